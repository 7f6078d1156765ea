#include "data.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

// The budget of a data file, counted before anything is loaded, so that a
// small file cannot make the game build gigabytes of empty glyphs or spend
// minutes converting sprites: what Allegro's loader would keep in memory;
// what it would read, which is every object's chunk once more for each file
// it is nested in (each level reads through its own buffer), and padding
// too; and properties, whose list the loader searches from its start at
// each one it adds.
const long long MaxLoadedBytes = 64LL << 20, MaxReadBytes = 128LL << 20;
const long MaxObjectProperties = 64, MaxFileProperties = 4096;

// What the loader allocates on a 64-bit machine, the allocator's headers
// included: a list entry for every object; for every bitmap, sprite and
// coloured glyph (empty ones too) a bitmap header, a pointer per row and
// each pixel at 4 bytes, the deepest the game displays; for every 1-bit
// glyph and MIDI track a small header and its bytes; a property's list entry
// and text; and everything else byte for byte.
const long long EntryBytes = 64, HeaderBytes = 160, RowBytes = 8, PixelBytes = 4, GlyphBytes = 40, PropertyBytes = 128;

long long bitmapbytes(long width, long height) {
  return HeaderBytes + RowBytes * height + PixelBytes * width * height;
}

// Allegro's loader reads whatever sizes a file claims: a count or a chunk
// size that runs past the end of the file makes it read garbage as object
// headers and crash. The walker below reads the file the same way the loader
// does, but every read is charged against the bytes that are really there
// (`left`, narrowed to the enclosing chunk while inside one), and the first
// claim that does not fit stops the walk with a reason.
class Walker {
 public:
  Walker(PACKFILE* f, long size) : f(f), left(size) {}

  std::string why;          // the first refusal, with the place of its object
  std::vector<long> place;  // the object being walked at each level of nesting
  long long loaded = 0;     // bytes charged so far against MaxLoadedBytes
  long long read = 0;       // and against MaxReadBytes
  long properties = 0;      // properties seen in the whole file

  bool fail(const std::string& reason) {
    if (why.empty()) why = place.empty() ? reason : "object " + placename() + ": " + reason;
    return false;
  }

  // Counts what the loader will keep in memory for the object being walked.
  bool charge(long long bytes) {
    loaded += bytes;
    if (loaded <= MaxLoadedBytes) return true;
    return fail("the data file would take more than " + std::to_string(MaxLoadedBytes >> 20) +
                " MB once loaded");
  }

  // Counts a chunk the loader reads through.
  bool reads(long bytes) {
    read += bytes;
    if (read <= MaxReadBytes) return true;
    return fail("loading would read more than " + std::to_string(MaxReadBytes >> 20) + " MB");
  }

  bool fits(long n) const { return n >= 0 && n <= left; }
  long remaining() const { return left; }

  // Reads a big-endian 32-bit word.
  bool word(long& v) {
    if (!need(4)) return false;
    // Sizes and counts are 32-bit signed in the file, whatever a long is here.
    v = static_cast<int32_t>(pack_mgetl(f));
    return ok();
  }

  // Reads a big-endian 16-bit value, sign-extended as the loader does for
  // colour depths and font kinds.
  bool half(int& v) {
    if (!need(2)) return false;
    v = static_cast<short>(pack_mgetw(f));
    return ok();
  }

  // Reads a big-endian 16-bit value as it stands: widths, heights and counts.
  bool size16(int& v) {
    if (!need(2)) return false;
    v = pack_mgetw(f);
    return ok();
  }

  // Little-endian words: run-length sprites keep their tokens this way.
  bool little16(int& v) {
    if (!need(2)) return false;
    v = pack_igetw(f);
    return ok();
  }

  bool little32(long& v) {
    if (!need(4)) return false;
    v = static_cast<int32_t>(pack_igetl(f));
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
  // "3/0/17": the object's position in each list from the outermost. Deep
  // places keep their first and last levels, so a message stays short.
  std::string placename() const {
    const size_t shown = 8;
    std::string name;
    for (size_t i = 0; i < place.size(); i++) {
      if (place.size() > shown && i == shown / 2) {
        name += ".../";
        i = place.size() - shown / 2;
      }
      name += std::to_string(place[i]) + (i + 1 < place.size() ? "/" : "");
    }
    if (place.size() > shown) name += " (in " + std::to_string(place.size() - 1) + " nested files)";
    return name;
  }

  bool need(long n) {
    if (n < 0 || n > left) return fail("truncated");
    left -= n;
    return true;
  }

  bool ok() { return pack_ferror(f) ? fail("unreadable") : true; }

  PACKFILE* f;
  long left;
};

bool walkobjects(Walker& w);

// Bytes a pixel takes in the file at a colour depth (-32: with alpha).
int pixelbytes(int bits) {
  switch (bits) {
    case 8: return 1;
    case 15: case 16: return 2;
    case 24: case 32: return 3;
    case -32: return 4;
    default: return 0;
  }
}

// A width, a height, then the pixels: bitmaps, compiled sprites and the
// glyphs of coloured fonts. The loader makes the bitmap before it reads a
// pixel, so pixels missing from the chunk would only cost memory; they are
// refused all the same.
bool walkpixels(Walker& w, int bits, bool empty) {
  int width, height;
  if (!w.size16(width) || !w.size16(height)) return false;
  // A glyph may be empty, but rows without width would still cost the
  // loader a line pointer each.
  if (empty ? width == 0 && height > 0 : width < 1 || height < 1)
    return w.fail("a bitmap of " + std::to_string(width) + "x" + std::to_string(height));
  long size = static_cast<long>(width) * height * pixelbytes(bits);
  if (!w.fits(size)) return w.fail("bitmap pixels beyond its chunk");
  return w.charge(bitmapbytes(width, height)) && w.skip(size);
}

bool walkbitmap(Walker& w) {
  int bits;
  if (!w.half(bits)) return false;
  if (pixelbytes(bits) == 0) return w.fail("a bitmap of " + std::to_string(bits) + " bits");
  return walkpixels(w, bits, false);
}

// Converting a run-length sprite to the screen's depth draws it whole into a
// bitmap of its header's size, so that size is bounded (4096 square).
const long MaxSpritePixels = 1L << 24;

// One row of a run-length sprite: tokens until the row's end marker, a
// negative token skipping pixels, any other followed by that many pixels.
// 8-bit sprites use bytes and end rows with 0; 15 and 16-bit ones use
// little-endian 16-bit tokens ending with 0xF81F; deeper ones 32-bit tokens
// ending with 0xFF00FF, and their pixels are 3 bytes (4 with alpha). The
// loader copies a row token by token into a buffer of the header's size
// (`used` counts that copy) and reads until it meets the end marker, so a
// row must end inside the chunk, fit the buffer and stay within the width.
bool walkrlerow(Walker& w, int bits, int width, long& used) {
  const int depth = bits < 0 ? -bits : bits;
  const long unit = depth == 8 ? 1 : depth <= 16 ? 2 : 4;
  long x = 0, token = 0;
  for (;;) {
    int small;
    bool end;
    if (depth == 8) {
      if (!w.byte(small)) return false;
      token = static_cast<signed char>(small);
      end = token == 0;
    } else if (depth <= 16) {
      if (!w.little16(small)) return false;
      end = small == 0xF81F;
      token = static_cast<short>(small);
    } else {
      if (!w.little32(token)) return false;
      end = token == 0xFF00FF;
    }
    used += unit;
    if (end) return true;
    if (token < 0) {
      x -= token;
    } else {
      // A run this long would read as the end of a row once loaded.
      if (depth == 15 && token == 0x7C1F) return w.fail("a sprite run that reads as a row's end");
      x += token;
      if (x <= width && !w.skip(token * pixelbytes(bits))) return false;
      used += unit * token;
    }
    if (x > width) return w.fail("a sprite row wider than its sprite");
  }
}

bool walkrle(Walker& w) {
  int bits, width, height;
  long size;
  if (!w.half(bits) || !w.size16(width) || !w.size16(height) || !w.word(size)) return false;
  if (pixelbytes(bits) == 0) return w.fail("a sprite of " + std::to_string(bits) + " bits");
  if (width < 1 || height < 1 || static_cast<long>(width) * height > MaxSpritePixels)
    return w.fail("a sprite of " + std::to_string(width) + "x" + std::to_string(height));
  if (size < 0) return w.fail("a sprite of negative size");
  // Loaded, it is converted to the screen's depth by drawing it whole into
  // a bitmap of its size; the runs are kept as well.
  if (!w.charge(bitmapbytes(width, height) + size)) return false;
  long used = 0;
  auto rows = [&] {
    for (int y = 0; y < height; y++)
      if (!walkrlerow(w, bits, width, used)) return false;
    return true;
  };
  // 8-bit sprites are read as `size` raw bytes, which must hold the rows;
  // deeper ones are read row by row into a buffer of `size` bytes, which
  // must be the size of their copy (no larger: the loader allocates it).
  if (bits == 8) return w.chunk(size, rows);
  if (!rows()) return false;
  if (used != size) return w.fail("a sprite of " + std::to_string(size) + " bytes whose rows take " + std::to_string(used));
  return true;
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
  return w.charge(HeaderBytes + size) && w.skip(size);
}

// Beat divisions, then 32 tracks, each a length and its bytes.
bool walkmidi(Walker& w) {
  int divisions;
  if (!w.half(divisions)) return false;
  for (int track = 0; track < 32; track++) {
    long length;
    if (!w.word(length)) return false;
    if (!w.fits(length)) return w.fail("a MIDI track of " + std::to_string(length) + " bytes");
    if (!w.charge(GlyphBytes + length) || !w.skip(length)) return false;
  }
  return true;
}

// The loader fills a legacy font's 224 characters from space upward; files
// hold at least the 95 printable ASCII ones.
const int LegacyGlyphs = 224, AsciiGlyphs = 95;

// Legacy fonts: a positive kind is the height of fixed 8-pixel-wide glyphs,
// one byte a row; a negative kind holds sized 8-bit glyphs until the chunk
// ends.
bool walklegacyfont(Walker& w, int kind) {
  if (kind > 0) {
    if (!w.fits(static_cast<long>(AsciiGlyphs) * kind)) return w.fail("a font cut short");
    return w.charge(LegacyGlyphs * (GlyphBytes + kind));
  }
  int glyphs = 0;
  for (; glyphs < LegacyGlyphs && w.remaining() > 0; glyphs++)
    if (!walkpixels(w, 8, true)) return false;
  if (glyphs < AsciiGlyphs) return w.fail("a font cut short");
  return true;
}

// Glyph formats of a font range: 1 and 255 mark 1-bit glyphs, 0 and 8
// 8-bit ones, 15, 16, 24 and 32 coloured glyphs of that depth.
int rangedepth(int flag) {
  if (flag == 1 || flag == 255) return 1;
  if (flag == 0) return 8;
  return pixelbytes(flag) ? flag : 0;
}

bool walkglyphs(Walker& w, long count, int depth) {
  for (long i = 0; i < count; i++) {
    if (depth != 1) {
      if (!walkpixels(w, depth, true)) return false;
      continue;
    }
    int width, height;
    if (!w.size16(width) || !w.size16(height)) return false;
    // Allegro writes far outside the screen drawing such a glyph.
    if (width == 0 && height > 0) return w.fail("a glyph of 0x" + std::to_string(height));
    const long bytes = static_cast<long>((width + 7) / 8) * height;
    if (!w.charge(GlyphBytes + bytes) || !w.skip(bytes)) return false;
  }
  return true;
}

// Fonts of ranges: each range a glyph format, its first and last character,
// and one sized glyph per character.
bool walkfont(Walker& w) {
  int kind;
  if (!w.half(kind)) return false;
  if (kind != 0) return walklegacyfont(w, kind);
  int ranges;
  if (!w.size16(ranges)) return false;
  if (ranges < 1) return w.fail("a font without characters");
  bool mono = false;
  for (int r = 0; r < ranges; r++) {
    int flag;
    long first, last;
    if (!w.byte(flag) || !w.word(first) || !w.word(last)) return false;
    const int depth = rangedepth(flag);
    if (depth == 0) return w.fail("a font range of unknown glyph format");
    // The font takes the kind of its last range and treats every range as
    // that kind, so 1-bit and coloured ranges cannot share a font.
    if (r > 0 && (depth == 1) != mono) return w.fail("a font mixing 1-bit and coloured ranges");
    mono = depth == 1;
    // Every glyph takes at least its 4-byte size, which bounds the range.
    if (first < 0 || last < first || last >= INT32_MAX || !w.fits((last - first + 1) * 4))
      return w.fail("an impossible font range");
    if (!walkglyphs(w, last - first + 1, depth)) return false;
  }
  return true;
}

// Allegro's loader recurses once per nested file; deeper nesting than any
// real file uses would only exhaust the stack.
const int MaxNesting = 1000;

bool walknested(Walker& w) {
  // The outermost list is no nested file.
  if (w.place.size() > MaxNesting) return w.fail("files nested too deep");
  return walkobjects(w);
}

// Every type the loader has no reader for (palettes, animations, patches,
// info, plain data, types of other programs) is kept as raw bytes.
bool walkdata(Walker& w, long type, long size) {
  switch (type) {
    case DAT_FILE: return walknested(w);
    case DAT_BITMAP: case DAT_C_SPRITE: case DAT_XC_SPRITE: return walkbitmap(w);
    case DAT_RLE_SPRITE: return walkrle(w);
    case DAT_SAMPLE: return walksample(w);
    case DAT_MIDI: return walkmidi(w);
    case DAT_FONT: return walkfont(w);
    default: return w.charge(size);
  }
}

// One object: properties (a name and the like), then its type and data
// chunk. DAT_END ends the loaded lists, so neither a property nor an object
// may carry it as its type.
bool walkobject(Walker& w) {
  long type;
  for (long properties = 0;; properties++) {
    if (!w.word(type)) return false;
    if (type != DAT_PROPERTY) break;
    if (properties == MaxObjectProperties)
      return w.fail("more than " + std::to_string(MaxObjectProperties) + " properties");
    if (++w.properties > MaxFileProperties)
      return w.fail("more than " + std::to_string(MaxFileProperties) + " properties in the file");
    long id, size;
    if (!w.word(id) || !w.word(size)) return false;
    if (id == DAT_END) return w.fail("a property typed as the end of a list");
    if (!w.fits(size)) return w.fail("a property of " + std::to_string(size) + " bytes");
    if (!w.charge(PropertyBytes + size) || !w.skip(size)) return false;
  }
  if (type == DAT_END) return w.fail("an object typed as the end of a list");
  long packed, unpacked;
  if (!w.word(packed) || !w.word(unpacked)) return false;
  if (unpacked < 0) return w.fail("compressed objects are not supported");
  if (packed != unpacked) return w.fail("inconsistent chunk sizes");
  if (!w.reads(packed)) return false;
  return w.chunk(packed, [&] { return walkdata(w, type, packed); });
}

bool walkobjects(Walker& w) {
  long count;
  if (!w.word(count)) return false;
  // Each object needs at least its 12-byte chunk header.
  if (count < 0 || !w.fits(count * 12)) return w.fail("an object count of " + std::to_string(count) + " that cannot fit");
  if (!w.charge((count + 1) * EntryBytes)) return false;
  w.place.push_back(0);
  for (long i = 0; i < count; i++) {
    w.place.back() = i;
    if (!walkobject(w)) return false;
  }
  w.place.pop_back();
  return true;
}

bool walkfile(PACKFILE* f, long size, std::string& why, long long& loaded) {
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
  if (!walkobjects(w)) {
    why = w.why;
    return false;
  }
  loaded = w.loaded;
  return true;
}

}  // namespace

bool checkdatafile(const char* filename, std::string& why, long long* loaded) {
  int attrib = 0;
  if (!file_exists(filename, FA_ALL, &attrib)) {
    why = "not found";
    return false;
  }
  if (attrib & FA_DIREC) {
    why = "is a directory";
    return false;
  }
  // A pipe or a device would keep the walk waiting, or reading, for ever.
  std::error_code error;
  if (!std::filesystem::is_regular_file(filename, error)) {
    why = "not a plain file";
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
  long long bytes = 0;
  bool good = walkfile(f, static_cast<long>(size), why, bytes);
  pack_fclose(f);
  if (good && loaded) *loaded = bytes;
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

DATAFILE* loaddatafile(const char* filename, std::string& why) {
  if (!checkdatafile(filename, why)) return nullptr;
  DATAFILE* data = load_datafile(filename);
  if (!data) {
    why = "Allegro could not read it";
    return nullptr;
  }
  if (checkdataentries(data, why)) return data;
  unload_datafile(data);
  return nullptr;
}
