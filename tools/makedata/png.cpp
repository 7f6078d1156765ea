#include "makedata/png.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

const size_t StoredBlockMax = 65535;  // deflate's limit for one stored block

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// A chunk: length, type, data, and the CRC of type and data.
void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  put32(out, uint32_t(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  put32(out, crc32(body));
}

// A zlib stream of stored deflate blocks.
std::vector<uint8_t> zlibstored(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z = {0x78, 0x01};  // deflate, 32 KB window, no preset dictionary
  size_t at = 0;
  do {
    size_t n = std::min(StoredBlockMax, raw.size() - at);
    bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00
    z.insert(z.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
  } while (at < raw.size());
  put32(z, adler32(raw));
  return z;
}

}  // namespace

uint32_t crc32(const std::vector<uint8_t>& data) {
  uint32_t crc = 0xffffffffu;
  for (uint8_t byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
  uint32_t a = 1, b = 0;
  for (uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::vector<uint8_t> encodepng(int w, int h, const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> header;
  put32(header, uint32_t(w));
  put32(header, uint32_t(h));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  chunk(png, "IHDR", header);
  std::vector<uint8_t> rows;
  for (int y = 0; y < h; y++) {
    rows.push_back(0);  // filter: none
    rows.insert(rows.end(), rgba.begin() + size_t(y) * w * 4, rgba.begin() + size_t(y + 1) * w * 4);
  }
  chunk(png, "IDAT", zlibstored(rows));
  chunk(png, "IEND", {});
  return png;
}

bool writepng(const char* path, int w, int h, const std::vector<uint8_t>& rgba, std::string& why) {
  std::vector<uint8_t> png = encodepng(w, h, rgba);
  std::ofstream out(path, std::ios::binary);
  if (out) out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  if (out) out.close();
  if (!out) why = std::string("cannot write ") + path + ": " + std::strerror(errno);
  return bool(out);
}
