#pragma once

#include <allegro.h>

#include <cstdint>
#include <string>
#include <vector>

// Builds Allegro 4 datafile objects in memory and writes them as an
// uncompressed data file. Numbers in the file are big-endian except 16-bit
// sample data, which is little-endian as Allegro's loader expects.

// One object of the file: its Allegro type, a name (stored as the NAME
// property, for people browsing the file) and its data chunk.
struct DataObject {
  int type = DAT_DATA;
  std::string name;
  std::string bytes;
};

// One glyph of a 1-bit font: rows of (w + 7) / 8 bytes, leftmost pixel in
// the top bit.
struct MonoGlyph {
  int w = 0, h = 0;
  std::vector<uint8_t> bits;
};

// A mono sound of signed 16-bit samples at `freq` Hz.
struct Sound {
  int freq = 22050;
  std::vector<int16_t> samples;
};

// A 32-bit bitmap; with `alpha` it is stored as RGBA (depth -32) and
// Allegro keeps it 32-bit with its alpha channel in every display depth.
DataObject bitmapobject(const std::string& name, BITMAP* bmp, bool alpha);

DataObject soundobject(const std::string& name, const Sound& sound);

// A font of one range of 1-bit glyphs for the characters first, first+1...
DataObject monofontobject(const std::string& name, int first, const std::vector<MonoGlyph>& glyphs);

DataObject dataobject(const std::string& name, const std::string& bytes);

// Writes the objects in order; false when the file cannot be written.
bool writedatafile(const char* path, const std::vector<DataObject>& objects);
