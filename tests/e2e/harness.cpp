#include "e2e/harness.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "data.h"
#include "main.h"
#include "support/testsupport.h"

extern char** environ;

namespace {

// ---- process helpers ----

// Gives up the capabilities that let root write into read-only directories;
// what is dropped from the bounding set is lost by the program exec'd next.
bool dropwriteoverride() {
  if (geteuid() != 0) return true;  // permissions already bind everyone else
  for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
    if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0) return false;
  return true;
}

void redirect(int fd, const std::string& path, int flags) {
  int f = open(path.c_str(), flags, 0644);
  if (f >= 0) {
    dup2(f, fd);
    close(f);
  }
}

// In the forked child: never returns.
[[noreturn]] void execgame(const std::string& workdir, const std::vector<std::string>& args,
                           const std::string& logprefix, GameOptions options) {
  setpgid(0, 0);
  redirect(0, "/dev/null", O_RDONLY);
  redirect(1, logprefix + ".out", O_WRONLY | O_CREAT | O_TRUNC);
  redirect(2, logprefix + ".err", O_WRONLY | O_CREAT | O_TRUNC);
  if (chdir(workdir.c_str()) != 0) _exit(126);
  if (!getenv("ALLEGRO")) setenv("ALLEGRO", (sourcedir() + "/tests/data/quiet").c_str(), 1);
  if (options.nodisplay) unsetenv("DISPLAY");
  if (options.nowriteaccess && !dropwriteoverride()) _exit(125);
  std::string binary = rundir() + "/marsflyer";
  std::vector<char*> argv{const_cast<char*>(binary.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(binary.c_str(), argv.data());
  _exit(127);
}

}  // namespace

GameProcess::GameProcess(const std::string& workdir, const std::vector<std::string>& args,
                         const std::string& logprefix, GameOptions options)
    : logprefix(logprefix) {
  command = "marsflyer";
  for (const std::string& a : args) command += " " + a;
  pid = fork();
  if (pid == 0) execgame(workdir, args, logprefix, options);
  if (pid > 0) setpgid(pid, pid);
}

GameProcess::~GameProcess() { kill(); }

bool GameProcess::running() {
  if (pid <= 0) return false;
  int st = 0;
  pid_t r = waitpid(pid, &st, WNOHANG);
  if (r == 0) return true;
  if (r == pid) status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  pid = -1;
  return false;
}

int GameProcess::waitexit(double seconds) {
  double end = now() + seconds;
  while (running()) {
    if (now() > end) return -1;
    sleepfor(0.02);
  }
  return status;
}

void GameProcess::kill() {
  if (!running()) return;
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
  int st = 0;
  waitpid(pid, &st, 0);
  status = 128 + SIGKILL;
  pid = -1;
}

std::string GameProcess::errtext() const { return readfile(logprefix + ".err"); }
std::string GameProcess::outtext() const { return readfile(logprefix + ".out"); }
std::string GameProcess::describe() const { return command; }

bool canrunwithoutwriteaccess() {
  std::string dir = maketempdir();
  chmod(dir.c_str(), 0555);
  // What the bounding set loses counts from the next exec on, so the probe
  // writes through a shell, as the game will run after its own exec.
  std::string probe = dir + "/probe";
  pid_t pid = fork();
  if (pid == 0) {
    if (!dropwriteoverride()) _exit(2);
    execl("/bin/sh", "sh", "-c", "touch \"$0\" 2>/dev/null && exit 1 || exit 0", probe.c_str(),
          static_cast<char*>(nullptr));
    _exit(3);
  }
  int st = 1;
  waitpid(pid, &st, 0);
  chmod(dir.c_str(), 0755);
  unlink(probe.c_str());
  rmdir(dir.c_str());
  return WIFEXITED(st) && WEXITSTATUS(st) == 0;
}

// ---- input ----

bool xdo(const std::vector<std::string>& words) {
  std::vector<char*> argv{const_cast<char*>("xdotool")};
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  // A busy X server now and then refuses a new client; xdotool then sends
  // nothing, so trying again cannot double an input.
  for (int attempt = 0; attempt < 3; attempt++) {
    pid_t pid;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) break;
    int st = 0;
    waitpid(pid, &st, 0);
    if (WIFEXITED(st) && WEXITSTATUS(st) == 0) return true;
    sleepfor(0.1);
  }
  std::string command = "xdotool";
  for (const std::string& w : words) command += " " + w;
  ADD_FAILURE() << "input not sent: " << command << " failed";
  return false;
}

namespace {

std::string seconds(double s) {
  std::ostringstream out;
  out << s;
  return out.str();
}

}  // namespace

void mousemove(int x, int y) {
  xdo({"mousemove", std::to_string(x), std::to_string(y)});
  sleepfor(0.05);
}

void click(int x, int y) {
  xdo({"mousemove", std::to_string(x), std::to_string(y), "sleep", "0.1", "mousedown", "1", "sleep",
       "0.15", "mouseup", "1"});
}

void holdkey(const std::string& name, double s) {
  xdo({"keydown", name, "sleep", seconds(s), "keyup", name});
}

void tapkey(const std::string& name) { xdo({"key", name}); }

void releaseinput() {
  xdo({"keyup", "space", "Escape", "Left", "Right", "Up", "Down", "Shift_L", "Shift_R", "Control_R",
       "d", "mouseup", "1"});
}

void sleepfor(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

double now() {
  using clock = std::chrono::steady_clock;
  static const clock::time_point start = clock::now();
  return std::chrono::duration<double>(clock::now() - start).count();
}

// ---- screen grabbing: xwd writes a big-endian header, then a colour map,
// then the pixels in the server's byte order ----

namespace {

uint32_t be32(const std::string& d, size_t at) {
  return (uint32_t(uint8_t(d[at])) << 24) | (uint32_t(uint8_t(d[at + 1])) << 16) |
         (uint32_t(uint8_t(d[at + 2])) << 8) | uint32_t(uint8_t(d[at + 3]));
}

std::string runcapture(const char* command) {
  std::string data;
  FILE* p = popen(command, "r");
  if (!p) return data;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) data.append(buf, n);
  pclose(p);
  return data;
}

// Value of the bits of `mask` in `pixel`, scaled to 0..255.
int channel(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) shift++;
  uint32_t v = (pixel & mask) >> shift, max = mask >> shift;
  return int(v * 255 / max);
}

struct XwdHeader {
  uint32_t headersize, width, height, byteorder, bpp, bytesperline, rmask, gmask, bmask, ncolours;
};

bool readheader(const std::string& d, XwdHeader& h) {
  if (d.size() < 100) return false;
  h = {be32(d, 0), be32(d, 16), be32(d, 20), be32(d, 28), be32(d, 44), be32(d, 48),
       be32(d, 56), be32(d, 60), be32(d, 64), be32(d, 76)};
  if (h.bpp != 24 && h.bpp != 32) return false;
  size_t need = h.headersize + size_t(h.ncolours) * 12 + size_t(h.bytesperline) * h.height;
  return d.size() >= need && h.width > 0 && h.height > 0;
}

uint32_t pixelat(const std::string& d, size_t at, const XwdHeader& h) {
  int bytes = h.bpp / 8;
  uint32_t v = 0;
  for (int i = 0; i < bytes; i++) {
    uint32_t b = uint8_t(d[at + i]);
    v |= h.byteorder == 0 ? b << (8 * i) : b << (8 * (bytes - 1 - i));
  }
  return v;
}

}  // namespace

Picture grabscreen() {
  initallegro();  // memory bitmaps need Allegro, even without a display
  std::string d = runcapture("xwd -root -silent 2>/dev/null");
  XwdHeader h;
  if (!readheader(d, h)) {
    d = runcapture("import -window root xwd:- 2>/dev/null");
    if (!readheader(d, h)) return nullptr;
  }
  Picture pic(create_bitmap_ex(32, int(h.width), int(h.height)));
  if (!pic) return nullptr;
  size_t base = h.headersize + size_t(h.ncolours) * 12;
  for (uint32_t y = 0; y < h.height; y++) {
    uint32_t* row = reinterpret_cast<uint32_t*>(pic->line[y]);
    for (uint32_t x = 0; x < h.width; x++) {
      uint32_t p = pixelat(d, base + y * size_t(h.bytesperline) + x * (h.bpp / 8), h);
      row[x] = makecol32(channel(p, h.rmask), channel(p, h.gmask), channel(p, h.bmask));
    }
  }
  return pic;
}

// ---- looking at pictures ----

int white32() { return makecol32(255, 255, 255); }

bool nearcolour(int c, int r, int g, int b, int tol) {
  return std::abs(getr32(c) - r) <= tol && std::abs(getg32(c) - g) <= tol &&
         std::abs(getb32(c) - b) <= tol;
}

namespace {

int pixel32(BITMAP* b, int x, int y) {
  if (x < 0 || y < 0 || x >= b->w || y >= b->h) return -1;
  return reinterpret_cast<uint32_t*>(b->line[y])[x] & 0xffffff;
}

bool iswhite(int c) { return c >= 0 && nearcolour(c, 255, 255, 255); }

// The text as two pixel lists: where the glyphs are white, and where the
// text's box shows no glyph at all. Anti-aliased edge pixels are in neither.
struct TextMask {
  std::vector<std::pair<int, int>> ink, paper;
  int w = 0, h = 0;
};

const TextMask& textmask(FONT* f, const std::string& text) {
  static std::map<std::pair<FONT*, std::string>, TextMask> cache;
  auto found = cache.find({f, text});
  if (found != cache.end()) return found->second;
  TextMask& m = cache[{f, text}];
  m.w = text_length(f, text.c_str());
  m.h = text_height(f);
  BITMAP* b = create_bitmap_ex(32, m.w, m.h);
  if (!b) return m;
  const int key = makecol32(255, 0, 255);
  clear_to_color(b, key);
  textout_ex(b, f, text.c_str(), 0, 0, white32(), -1);
  for (int y = 0; y < m.h; y++)
    for (int x = 0; x < m.w; x++) {
      int c = pixel32(b, x, y);
      if (c == key)
        m.paper.push_back({x, y});
      else if (iswhite(c))
        m.ink.push_back({x, y});
    }
  destroy_bitmap(b);
  return m;
}

bool textat(BITMAP* shot, const TextMask& m, int x, int y) {
  if (m.ink.empty()) return false;
  int allowed = int(m.ink.size() / 100), wrong = 0;
  for (auto [px, py] : m.ink)
    if (!iswhite(pixel32(shot, x + px, y + py)) && ++wrong > allowed) return false;
  for (auto [px, py] : m.paper)
    if (iswhite(pixel32(shot, x + px, y + py)) && ++wrong > allowed) return false;
  return true;
}

}  // namespace

bool showstext(BITMAP* shot, FONT* f, const std::string& text, int x, int y, int slack) {
  const TextMask& m = textmask(f, text);
  return showstextin(shot, f, text, {x - slack, y - slack, m.w + 2 * slack, m.h + 2 * slack});
}

bool showstextin(BITMAP* shot, FONT* f, const std::string& text, Area area) {
  if (!shot) return false;
  const TextMask& m = textmask(f, text);
  for (int y = area.y; y <= area.y + std::max(0, area.h - m.h); y++)
    for (int x = area.x; x <= area.x + std::max(0, area.w - m.w); x++)
      if (textat(shot, m, x, y)) return true;
  return false;
}

double fractionof(BITMAP* shot, Area a, int r, int g, int b, int tol) {
  if (!shot || a.w <= 0 || a.h <= 0) return 0;
  long hits = 0;
  for (int y = a.y; y < a.y + a.h; y++)
    for (int x = a.x; x < a.x + a.w; x++) {
      int c = pixel32(shot, x, y);
      if (c >= 0 && nearcolour(c, r, g, b, tol)) hits++;
    }
  return double(hits) / (double(a.w) * a.h);
}

bool samepixels(BITMAP* a, BITMAP* b, Area area) {
  if (!a || !b) return false;
  for (int y = area.y; y < area.y + area.h; y++)
    for (int x = area.x; x < area.x + area.w; x++)
      if (pixel32(a, x, y) != pixel32(b, x, y)) return false;
  return true;
}

CircleMatch findcircle(BITMAP* shot, int r, Area area) {
  CircleMatch best;
  const int steps = 96;
  std::vector<std::pair<int, int>> rim;
  for (int i = 0; i < steps; i++) {
    double a = 2 * M_PI * i / steps;
    rim.push_back({int(std::lround(r * std::cos(a))), int(std::lround(r * std::sin(a)))});
  }
  for (int cy = area.y; cy < area.y + area.h; cy++)
    for (int cx = area.x; cx < area.x + area.w; cx++) {
      int hits = 0;
      for (auto [dx, dy] : rim) hits += iswhite(pixel32(shot, cx + dx, cy + dy));
      double score = double(hits) / steps;
      if (score > best.score) best = {cx, cy, score};
    }
  return best;
}

// ---- fonts and sprites from the staged data file ----

FONT* dialogfont() {
  initallegro();
  return static_cast<FONT*>(datafile[DataFont].dat);
}

FONT* defaultfont() {
  initallegro();
  return font;
}

int exitbaseheight() {
  initallegro();
  return static_cast<BITMAP*>(datafile[DataBaseExit].dat)->h;
}
