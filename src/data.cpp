#include "data.h"

#include <cstdint>
#include <string>

const int DataEntryTypes[DataCount] = {
    DAT_SAMPLE,  // DataShotSound
    DAT_BITMAP,  // DataTitle
    DAT_BITMAP,  // DataBaseStart
    DAT_BITMAP,  // DataBaseExit
    DAT_BITMAP,  // DataDirt3
    DAT_BITMAP,  // DataDirt2
    DAT_BITMAP,  // DataDirt1
    DAT_BITMAP,  // DataExplosion
    DAT_SAMPLE,  // DataShipExplodeSound
    DAT_FONT,    // DataFont
    DAT_BITMAP,  // DataPanel
    0,           // DataUnused11
    DAT_BITMAP,  // DataBlueWibblet
    0,           // DataUnused13
    0,           // DataUnused14
    DAT_BITMAP,  // DataGreenWibblet
    DAT_BITMAP,  // DataOrangeWibblet
    DAT_BITMAP,  // DataYellowWibblet
    0,           // DataUnused18
    DAT_BITMAP,  // DataRock
    DAT_SAMPLE,  // DataShipHitSound
    DAT_BITMAP,  // DataShip
    DAT_SAMPLE,  // DataEnemyDeathSound
    DAT_BITMAP,  // DataEnemyExplosion
    DAT_BITMAP,  // DataEmptyTank
    DAT_BITMAP,  // DataTankHCl
    DAT_BITMAP,  // DataTankHF
    DAT_BITMAP,  // DataTankHydrogen
    DAT_BITMAP,  // DataTankOxygen
};

namespace {

// Allegro's loader reads whatever sizes a file claims: a count or a chunk
// size that runs past the end of the file makes it read garbage as object
// headers and crash. The walker below reads the file the same way the loader
// does, but every read is charged against the bytes that are really there
// (`left`, narrowed to the enclosing chunk while inside one), and the first
// claim that does not fit stops the walk with a reason.
class Walker {
 public:
  Walker(PACKFILE* f, long size) : f(f), left(size) {}

  std::string why;
  int depth = 0;  // how many nested files the walk is inside

  bool fail(const std::string& reason) {
    if (why.empty()) why = reason;
    return false;
  }

  bool fits(long n) const { return n >= 0 && n <= left; }

  // Reads a big-endian 32-bit word.
  bool word(long& v) {
    if (!need(4)) return false;
    // Sizes and counts are 32-bit signed in the file, whatever a long is here.
    v = static_cast<int32_t>(pack_mgetl(f));
    return ok();
  }

  // Reads a big-endian 16-bit value, sign-extended as the loader does.
  bool half(int& v) {
    if (!need(2)) return false;
    v = static_cast<short>(pack_mgetw(f));
    return ok();
  }

  bool byte(int& v) {
    if (!need(1)) return false;
    v = pack_getc(f);
    return ok();
  }

  bool skip(long n) {
    if (!need(n)) return false;
    if (n > 0 && pack_fseek(f, n) != 0) return fail("unreadable");
    return true;
  }

  // Walks `size` bytes as one chunk with `inner`, then skips what the
  // chunk's reader did not consume.
  template <class F>
  bool chunk(long size, F inner) {
    if (!fits(size)) return fail("a chunk of " + std::to_string(size) + " bytes with only " + std::to_string(left) + " left");
    long outer = left - size;
    left = size;
    bool good = inner() && skip(left);
    left = outer;
    return good;
  }

 private:
  bool need(long n) {
    if (n < 0 || n > left) return fail("truncated");
    left -= n;
    return true;
  }

  bool ok() { return pack_ferror(f) ? fail("unreadable") : true; }

  PACKFILE* f;
  long left;
};

bool walkobjects(Walker& w, const std::string& where);

bool walkbitmap(Walker& w) {
  int bits, width, height;
  if (!w.half(bits) || !w.half(width) || !w.half(height)) return false;
  int bytes;
  switch (bits) {
    case 8: bytes = 1; break;
    case 15: case 16: bytes = 2; break;
    case 24: case 32: bytes = 3; break;
    case -32: bytes = 4; break;
    default: return w.fail("a bitmap of " + std::to_string(bits) + " bits");
  }
  if (width < 1 || height < 1) return w.fail("a bitmap of " + std::to_string(width) + "x" + std::to_string(height));
  long size = static_cast<long>(width) * height * bytes;
  if (!w.fits(size)) return w.fail("bitmap pixels beyond its chunk");
  return w.skip(size);
}

bool walksample(Walker& w) {
  int bits, freq;
  long length;
  if (!w.half(bits) || !w.half(freq) || !w.word(length)) return false;
  int channels = bits < 0 ? 2 : 1;
  bits = bits < 0 ? -bits : bits;
  if (bits != 8 && bits != 16) return w.fail("a sample of " + std::to_string(bits) + " bits");
  if (length < 0 || length > (1L << 28)) return w.fail("a sample of absurd length");
  long size = length * channels * (bits / 8);
  if (!w.fits(size)) return w.fail("sample data beyond its chunk");
  return w.skip(size);
}

bool walkglyphs(Walker& w, long count, bool mono) {
  for (long i = 0; i < count; i++) {
    int width, height;
    if (!w.half(width) || !w.half(height)) return false;
    if (width < 0 || height < 0) return w.fail("a glyph of negative size");
    long size = mono ? static_cast<long>((width + 7) / 8) * height : static_cast<long>(width) * height;
    if (!w.skip(size)) return false;
  }
  return true;
}

// Fonts of ranges: each range a flag (1-bit or 8-bit glyphs), its first
// and last character, and one sized glyph per character.
bool walkfont(Walker& w) {
  int kind;
  if (!w.half(kind)) return false;
  if (kind == 8 || kind == 16) return w.skip(95L * kind);
  if (kind == -1) return walkglyphs(w, 95, false);
  if (kind != 0) return w.fail("a font of unknown kind");
  int ranges;
  if (!w.half(ranges)) return false;
  if (ranges < 1) return w.fail("a font without characters");
  for (int r = 0; r < ranges; r++) {
    int mono;
    long first, last;
    if (!w.byte(mono) || !w.word(first) || !w.word(last)) return false;
    // Only the two flags whose meaning no reader can mistake.
    if (mono != 0 && mono != 1) return w.fail("a font range of unknown glyph format");
    // Every glyph takes at least its 4-byte size, which bounds the range.
    if (first < 0 || last < first || !w.fits((last - first + 1) * 4)) return w.fail("an impossible font range");
    if (!walkglyphs(w, last - first + 1, mono != 0)) return false;
  }
  return true;
}

// Deeper nesting than any real file uses would only exhaust the stack.
const int MaxNesting = 16;

bool walknested(Walker& w, const std::string& where) {
  if (w.depth >= MaxNesting) return w.fail("files nested too deep");
  w.depth++;
  bool good = walkobjects(w, where + "/");
  w.depth--;
  return good;
}

bool walkdata(Walker& w, long type, const std::string& where) {
  switch (type) {
    case DAT_FILE: return walknested(w, where);
    case DAT_BITMAP: return walkbitmap(w);
    case DAT_SAMPLE: return walksample(w);
    case DAT_FONT: return walkfont(w);
    case DAT_DATA: return true;
    default: return w.fail("an object type this game does not use");
  }
}

// One object: any number of properties, then its type and data chunk.
bool walkobject(Walker& w, const std::string& where) {
  long type;
  for (;;) {
    if (!w.word(type)) return false;
    if (type != DAT_PROPERTY) break;
    long id, size;
    if (!w.word(id) || !w.word(size) || !w.skip(size)) return false;
  }
  long packed, unpacked;
  if (!w.word(packed) || !w.word(unpacked)) return false;
  if (unpacked < 0) return w.fail("compressed objects are not supported");
  if (packed != unpacked) return w.fail("inconsistent chunk sizes");
  return w.chunk(packed, [&] { return walkdata(w, type, where); });
}

bool walkobjects(Walker& w, const std::string& where) {
  long count;
  if (!w.word(count)) return false;
  // Each object needs at least its 12-byte chunk header.
  if (count < 0 || !w.fits(count * 12)) return w.fail("an object count of " + std::to_string(count) + " that cannot fit");
  for (long i = 0; i < count; i++) {
    if (!walkobject(w, where + std::to_string(i))) {
      w.why = "object " + where + std::to_string(i) + ": " + w.why;
      return false;
    }
  }
  return true;
}

bool walkfile(PACKFILE* f, long size, std::string& why) {
  Walker w(f, size);
  long magic, datmagic;
  if (!w.word(magic) || !w.word(datmagic)) {
    why = "too short to be a data file";
    return false;
  }
  if (magic == F_PACK_MAGIC) {
    why = "compressed data files are not supported";
    return false;
  }
  if (magic != F_NOPACK_MAGIC || datmagic != DAT_MAGIC) {
    why = "not an Allegro data file";
    return false;
  }
  if (!walkobjects(w, "")) {
    why = w.why;
    return false;
  }
  return true;
}

}  // namespace

bool checkdatafile(const char* filename, std::string& why) {
  int attrib = 0;
  if (!file_exists(filename, FA_ALL, &attrib)) {
    why = "not found";
    return false;
  }
  if (attrib & FA_DIREC) {
    why = "is a directory";
    return false;
  }
  uint64_t size = file_size_ex(filename);
  if (size > (1ULL << 30)) {
    why = "too large";
    return false;
  }
  PACKFILE* f = pack_fopen(filename, F_READ);
  if (!f) {
    why = "cannot be opened";
    return false;
  }
  bool good = walkfile(f, static_cast<long>(size), why);
  pack_fclose(f);
  return good;
}

bool checkdataentries(const DATAFILE* data, std::string& why) {
  if (!data) {
    why = "nothing loaded";
    return false;
  }
  int count = 0;
  while (count < DataCount && data[count].type != DAT_END) count++;
  if (count < DataCount) {
    why = "holds " + std::to_string(count) + " entries, the game needs " + std::to_string(DataCount);
    return false;
  }
  for (int i = 0; i < DataCount; i++) {
    if (DataEntryTypes[i] != 0 && (data[i].type != DataEntryTypes[i] || !data[i].dat)) {
      why = "entry " + std::to_string(i) + " has the wrong type";
      return false;
    }
  }
  return true;
}
