#include "makedata/xpm.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

namespace {

// Characters that stand for a colour: printable, and never a quote or a
// backslash, which a C string would need escaped.
const char Symbols[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789#$%&()*+,-./:;<=>?@[]^_{|}~";
const int SymbolCount = sizeof Symbols - 1;
const int Transparent = -1;

std::string symbol(int index, int width) {
  std::string s;
  for (int i = 0; i < width; i++, index /= SymbolCount) s += Symbols[index % SymbolCount];
  return s;
}

std::string hexcolour(int c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", getr32(c), getg32(c), getb32(c));
  return text;
}

}  // namespace

std::string encodexpm(const std::string& name, BITMAP* picture) {
  // Every colour the picture uses gets a symbol, in the order met.
  std::map<int, int> index;
  std::vector<int> colours;
  std::vector<int> pixels;
  for (int y = 0; y < picture->h; y++)
    for (int x = 0; x < picture->w; x++) {
      const int c = getpixel(picture, x, y);
      const int key = geta32(c) < 128 ? Transparent : c & 0xffffff;
      auto [at, fresh] = index.emplace(key, int(colours.size()));
      if (fresh) colours.push_back(key);
      pixels.push_back(at->second);
    }
  int width = 1;
  for (long reach = SymbolCount; reach < long(colours.size()); reach *= SymbolCount) width++;

  std::string text = "/* XPM */\nstatic const char* const " + name + "[] = {\n";
  text += "\"" + std::to_string(picture->w) + " " + std::to_string(picture->h) + " " +
          std::to_string(colours.size()) + " " + std::to_string(width) + "\",\n";
  for (size_t i = 0; i < colours.size(); i++)
    text += "\"" + symbol(int(i), width) + " c " + (colours[i] == Transparent ? "None" : hexcolour(colours[i])) + "\",\n";
  for (int y = 0; y < picture->h; y++) {
    text += "\"";
    for (int x = 0; x < picture->w; x++) text += symbol(pixels[size_t(y) * picture->w + x], width);
    text += y + 1 < picture->h ? "\",\n" : "\"\n";
  }
  return text + "};\n";
}

bool savexpm(const char* path, BITMAP* picture, std::string& why) {
  std::string name = std::strrchr(path, '/') ? std::strrchr(path, '/') + 1 : path;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) name = "_" + name;
  std::ofstream out(path, std::ios::binary);
  if (out) out << encodexpm(name, picture);
  if (out) out.close();
  if (!out) why = std::string("cannot write ") + path + ": " + std::strerror(errno);
  return bool(out);
}
