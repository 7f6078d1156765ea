#include "makedata/datawriter.h"

namespace {

void putbyte(std::string& out, int v) { out += static_cast<char>(v & 0xFF); }

void putword16(std::string& out, int v) {
  putbyte(out, v >> 8);
  putbyte(out, v);
}

void putword32(std::string& out, long v) {
  putword16(out, static_cast<int>(v >> 16));
  putword16(out, static_cast<int>(v));
}

bool putpackword(PACKFILE* f, long v) { return pack_mputl(v, f) == v; }

bool putpackbytes(PACKFILE* f, const std::string& bytes) {
  long n = static_cast<long>(bytes.size());
  return pack_fwrite(bytes.data(), n, f) == n;
}

bool writeproperty(PACKFILE* f, int id, const std::string& value) {
  return putpackword(f, DAT_PROPERTY) && putpackword(f, id) && putpackword(f, static_cast<long>(value.size())) &&
         putpackbytes(f, value);
}

// Properties, type, then the chunk with equal packed and unpacked sizes,
// which marks it as stored uncompressed.
bool writeobject(PACKFILE* f, const DataObject& object) {
  long size = static_cast<long>(object.bytes.size());
  return writeproperty(f, DAT_NAME, object.name) && putpackword(f, object.type) && putpackword(f, size) &&
         putpackword(f, size) && putpackbytes(f, object.bytes);
}

}  // namespace

DataObject bitmapobject(const std::string& name, BITMAP* bmp, bool alpha) {
  DataObject object{DAT_BITMAP, name, {}};
  std::string& out = object.bytes;
  putword16(out, alpha ? -32 : 32);
  putword16(out, bmp->w);
  putword16(out, bmp->h);
  out.reserve(out.size() + static_cast<size_t>(bmp->w) * bmp->h * 4);
  for (int y = 0; y < bmp->h; y++) {
    for (int x = 0; x < bmp->w; x++) {
      int c = getpixel(bmp, x, y);
      putbyte(out, getr32(c));
      putbyte(out, getg32(c));
      putbyte(out, getb32(c));
      if (alpha) putbyte(out, geta32(c));
    }
  }
  return object;
}

DataObject soundobject(const std::string& name, const Sound& sound) {
  DataObject object{DAT_SAMPLE, name, {}};
  std::string& out = object.bytes;
  putword16(out, 16);
  putword16(out, sound.freq);
  putword32(out, static_cast<long>(sound.samples.size()));
  // Allegro keeps samples unsigned, so the sign bit is flipped.
  for (int16_t s : sound.samples) {
    int u = (s + 0x8000) & 0xFFFF;
    putbyte(out, u);
    putbyte(out, u >> 8);
  }
  return object;
}

DataObject monofontobject(const std::string& name, int first, const std::vector<MonoGlyph>& glyphs) {
  DataObject object{DAT_FONT, name, {}};
  std::string& out = object.bytes;
  putword16(out, 0);  // a font of ranges
  putword16(out, 1);  // one range
  putbyte(out, 1);    // of 1-bit glyphs
  putword32(out, first);
  putword32(out, first + static_cast<long>(glyphs.size()) - 1);
  for (const MonoGlyph& g : glyphs) {
    putword16(out, g.w);
    putword16(out, g.h);
    out.append(g.bits.begin(), g.bits.end());
  }
  return object;
}

DataObject dataobject(const std::string& name, const std::string& bytes) { return DataObject{DAT_DATA, name, bytes}; }

bool writedatafile(const char* path, const std::vector<DataObject>& objects) {
  // F_WRITE_NOPACK writes the "slh." magic of an uncompressed file first.
  PACKFILE* f = pack_fopen(path, F_WRITE_NOPACK);
  if (!f) return false;
  bool good = putpackword(f, DAT_MAGIC) && putpackword(f, static_cast<long>(objects.size()));
  for (const DataObject& object : objects)
    good = good && writeobject(f, object);
  good = pack_fclose(f) == 0 && good;
  return good;
}
