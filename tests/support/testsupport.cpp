#include "support/testsupport.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gamedata.h"
#include "main.h"
#include "map.h"

std::string rundir() { return MARSFLYER_RUN_DIR; }
std::string sourcedir() { return MARSFLYER_SOURCE_DIR; }

void initallegro() {
  static bool done = false;
  if (done) return;
  done = true;
  if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
    throw std::runtime_error("Allegro would not start");
  const char* depth = getenv("MARSFLYER_TEST_DEPTH");
  chosenDepth = depth ? atoi(depth) : 32;
  set_color_depth(chosenDepth);
  set_color_conversion(chosenDepth == 16 ? COLORCONV_32_TO_16 : COLORCONV_16_TO_32);
  std::string path = rundir() + "/data.dat";
  datafile = load_datafile(path.c_str());
  if (!datafile) throw std::runtime_error("cannot load " + path);
}

namespace {

pid_t xvfb = -1;

void stopxvfb() {
  if (xvfb > 0 && kill(xvfb, SIGTERM) == 0) waitpid(xvfb, nullptr, 0);
  xvfb = -1;
}

}  // namespace

const char* ensuredisplay() {
  const char* display = getenv("DISPLAY");
  if (display && *display) return nullptr;
  int fds[2];
  if (pipe(fds) != 0) return "no pipe for Xvfb";
  if ((xvfb = fork()) == 0) {
    // Xvfb writes its display number to the pipe once it takes connections, and ends with this
    // process however that ends; the key repeat settings keep a held key from flooding the buffer.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_RDWR);
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(null, fd);
    close(fds[0]);
    execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0", "640x480x24", "-ardelay",
           "60000", "-arinterval", "1000", "-nolisten", "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  for (char c; xvfb > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
  close(fds[0]);
  if (number.empty()) {
    const char* why = xvfb < 0 ? "cannot start Xvfb" : "Xvfb did not start (is it installed?)";
    stopxvfb();
    return why;
  }
  atexit(stopxvfb);
  setenv("DISPLAY", (":" + number).c_str(), 1);
  return nullptr;
}

void makeworld(int w, int h) {
  initallegro();
  for (BITMAP** b : {&background, &vscreen, &collisionmap})
    if (*b) destroy_bitmap(*b);
  background = create_bitmap(w, h);
  vscreen = create_bitmap(w, h);
  collisionmap = create_bitmap_ex(8, w, h);
  clear_to_color(background, 0);
  clear_to_color(vscreen, 0);
  clear_to_color(collisionmap, 0);
  backgroundWidth = w;
  backgroundHeight = h;
}

void makerock(int x1, int y1, int x2, int y2) { rectfill(collisionmap, x1, y1, x2, y2, 1); }

void releaseallkeys() {
  for (int i = 0; i < KEY_MAX; i++) key[i] = 0;
}

namespace {

std::vector<std::string>& tempdirs() {
  static std::vector<std::string> dirs;
  return dirs;
}

void removetempdirs() {
  std::error_code ignored;
  for (const std::string& dir : tempdirs()) std::filesystem::remove_all(dir, ignored);
}

}  // namespace

std::string maketempdir() {
  std::string templ = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/marsflyer-XXXXXX";
  if (!mkdtemp(&templ[0])) throw std::runtime_error("mkdtemp failed");
  // Registered after the list exists, so the list outlives the removal.
  if (tempdirs().empty()) atexit(removetempdirs);
  tempdirs().push_back(templ);
  return templ;
}

void keeptempdir(const std::string& dir) {
  std::vector<std::string>& dirs = tempdirs();
  dirs.erase(std::remove(dirs.begin(), dirs.end(), dir), dirs.end());
}

InDirectory::InDirectory(const std::string& dir) : old(std::filesystem::current_path()) {
  std::filesystem::current_path(dir);
}

InDirectory::~InDirectory() { std::filesystem::current_path(old); }

std::string readfile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writefile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}
