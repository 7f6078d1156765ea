#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A minimal PNG encoder: 8-bit RGBA, no filtering, the image data kept in
// stored (uncompressed) deflate blocks. Small pictures only, such as icons.

// The whole file for a w x h picture of `rgba`, four bytes a pixel, rows
// top to bottom.
std::vector<uint8_t> encodepng(int w, int h, const std::vector<uint8_t>& rgba);

// Writes encodepng's file to `path`; false with a reason when it cannot.
bool writepng(const char* path, int w, int h, const std::vector<uint8_t>& rgba, std::string& why);

// The checksums PNG and zlib use, over `data`.
uint32_t crc32(const std::vector<uint8_t>& data);
uint32_t adler32(const std::vector<uint8_t>& data);
