// makedata OUT.dat [SHEET.bmp]: bakes the game's data file from the
// generators in tools/makedata/, and optionally a contact sheet of its art.
#include <allegro.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "makedata/bake.h"
#include "makedata/contactsheet.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: makedata OUT.dat [SHEET.bmp]" << std::endl;
    return 2;
  }
  if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
    std::cerr << "makedata: Allegro would not start" << std::endl;
    return 1;
  }
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
