// makedata OUT.dat [SHEET.bmp]: bakes the game's data file from the
// generators in tools/makedata/, and optionally a contact sheet of its art.
// makedata --icon SIZE OUT.png: draws the desktop icon, SIZE pixels square;
// OUT.xpm draws it for the window, as the C source the game compiles in.
#include <allegro.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "makedata/bake.h"
#include "makedata/contactsheet.h"
#include "makedata/icon.h"
#include "makedata/xpm.h"

namespace {

bool savesheet(const char* datapath, const char* sheetpath) {
  set_color_depth(32);
  set_color_conversion(COLORCONV_TOTAL);
  DATAFILE* data = load_datafile(datapath);
  if (!data) return false;
  BITMAP* sheet = makecontactsheet(data);
  bool good = sheet && save_bitmap(sheetpath, sheet, nullptr) == 0;
  if (sheet) destroy_bitmap(sheet);
  unload_datafile(data);
  return good;
}

int saveicon(const char* size, const char* path) {
  const int pixels = std::atoi(size);
  if (pixels < 16 || pixels > 512) {
    std::cerr << "makedata: an icon is 16 to 512 pixels square, not " << size << std::endl;
    return 2;
  }
  const std::string name = path;
  const bool xpm = name.size() > 4 && name.compare(name.size() - 4, 4, ".xpm") == 0;
  std::string why;
  try {
    Picture icon = makeicon(pixels);
    if (xpm ? savexpm(path, icon.get(), why) : savepng(path, icon.get(), why)) return 0;
  } catch (const char* message) {
    why = message;
  }
  std::cerr << "makedata: " << why << std::endl;
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool icon = argc == 4 && std::string(argv[1]) == "--icon";
  if (!icon && argc != 2 && argc != 3) {
    std::cerr << "usage: makedata OUT.dat [SHEET.bmp]\n       makedata --icon SIZE OUT.png|OUT.xpm" << std::endl;
    return 2;
  }
  if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
    std::cerr << "makedata: Allegro would not start" << std::endl;
    return 1;
  }
  if (icon) return saveicon(argv[2], argv[3]);
  std::string why;
  if (!bakedatafile(argv[1], why)) {
    std::cerr << "makedata: " << why << std::endl;
    return 1;
  }
  if (argc == 3 && !savesheet(argv[1], argv[2])) {
    std::cerr << "makedata: cannot make the contact sheet " << argv[2] << std::endl;
    return 1;
  }
  return 0;
}
END_OF_MAIN()
