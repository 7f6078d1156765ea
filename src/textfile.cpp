#include "textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// Names tried for the temporary file before a save gives up.
const int MaxTemporaryNames = 100;

// Makes a new file beside `target` for the save to write, with a name no
// other process uses, and returns its descriptor. Only a file this call
// creates will do: whatever already has the name (a file, a link, a pipe,
// a directory, planted or left by a save that was killed) is never opened,
// written through or removed, and the next name is tried.
int createtemporary(const fs::path& target, const std::string& name, fs::path& temp) {
  const std::string stem = target.string() + "." + std::to_string(getpid());
  for (int attempt = 0; attempt < MaxTemporaryNames; attempt++) {
    temp = stem + (attempt ? "-" + std::to_string(attempt) : "") + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) failsave(name, "cannot create " + temp.string() + ": " + std::strerror(errno));
  }
  failsave(name, "cannot create a temporary file beside it: every name is taken");
}

// Writes all of `text` and flushes it to the disk; the reason when any of it
// failed, else "".
std::string writewhole(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::strerror(n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) return std::strerror(errno);
  return "";
}

// Flushes the directory that holds `file`, so that its new name survives a
// crash. The file is in place by then, so a directory that cannot be
// flushed only costs that.
void flushdirectory(const fs::path& file) {
  const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
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
  // Only a complete file beside the target, on the disk, replaces it, in
  // one rename; a failure removes the temporary file and nothing else.
  fs::path temp;
  const int fd = createtemporary(target, filename, temp);
  struct stat old;
  if (stat(target.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  std::string why = writewhole(fd, text.str());
  if (close(fd) != 0 && why.empty()) why = std::strerror(errno);
  if (!why.empty()) {
    unlink(temp.c_str());
    failsave(filename, "cannot write " + temp.string() + ": " + why);
  }
  if (rename(temp.c_str(), target.c_str()) != 0) {
    why = std::strerror(errno);
    unlink(temp.c_str());
    failsave(filename, "cannot replace it: " + why);
  }
  flushdirectory(target);
}
