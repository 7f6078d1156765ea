#include "textfile.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "errors.h"

namespace {

namespace fs = std::filesystem;

// A chain of symbolic links longer than this is taken for a loop.
const int MaxLinkHops = 40;

[[noreturn]] void failsave(const std::string& file, const std::string& what) {
  throwfileerror("Save error", file, what);
}

// The file a save really replaces: `name` itself, or the file at the end of
// the chain of symbolic links that starts there, so that the links stay
// links. A link may point at a file that does not exist yet.
fs::path savetarget(const std::string& name) {
  fs::path target = name;
  std::error_code error;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(target, error)); hops++) {
    if (hops == MaxLinkHops) failsave(name, "too many symbolic links");
    fs::path next = fs::read_symlink(target, error);
    if (error) failsave(name, "cannot read the symbolic link: " + error.message());
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

// A file made read-only is kept as it is, even from a user whom the system
// would let replace it; a file that is not there may be created.
void checkwritable(const fs::path& target, const std::string& name) {
  std::error_code error;
  const fs::file_status status = fs::status(target, error);
  if (!fs::exists(status)) return;
  if (!fs::is_regular_file(status)) failsave(name, "not a plain file");
  const fs::perms writebits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  const bool writable = (status.permissions() & writebits) != fs::perms::none &&
                        std::ofstream(target, std::ios::out | std::ios::app).is_open();
  if (!writable) failsave(name, "the file is read-only");
}

// Writes `text` to `temp` and closes it; false when any of it failed.
bool writewhole(const fs::path& temp, const std::string& text) {
  std::ofstream out(temp, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!out.is_open()) return false;
  out << text;
  out.flush();
  const bool written = out.good();
  out.close();
  return written && !out.fail();
}

}  // namespace

void savetextfile(const char* filename, const std::function<void(std::ostream&)>& write) {
  // The text is made in full before any file is touched, so a writer that
  // fails leaves everything as it was.
  std::ostringstream text;
  write(text);
  if (!text.good()) failsave(filename, "the text could not be made");
  const fs::path target = savetarget(filename);
  checkwritable(target, filename);
  // Only a complete file beside the target replaces it, in one rename.
  const fs::path temp = target.string() + ".tmp";
  std::error_code error;
  if (!writewhole(temp, text.str())) {
    fs::remove(temp, error);
    failsave(filename, "cannot write " + temp.string());
  }
  if (fs::exists(target, error)) fs::permissions(temp, fs::status(target, error).permissions(), error);
  fs::rename(temp, target, error);
  if (error) {
    const std::string why = error.message();
    fs::remove(temp, error);
    failsave(filename, "cannot replace it: " + why);
  }
}
