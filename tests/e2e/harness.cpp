#include "e2e/harness.h"

#include <arpa/inet.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "data.h"
#include "gamedata.h"

namespace fs = std::filesystem;

namespace {

const char* const ReleaseAll = "keyup space Escape Left Right Up Down Shift_L d mouseup 1";
constexpr Area StartField{188, 360, 80, 30};

int pixel(BITMAP* b, int x, int y) {
  if (x < 0 || y < 0 || x >= b->w || y >= b->h) return -1;
  return reinterpret_cast<uint32_t*>(b->line[y])[x] & 0xffffff;
}

// The grabbed pixels are 0xRRGGBB; Allegro without a display would read red and blue swapped.
bool near(int c, int r, int g, int b, int tol) {
  return c >= 0 && std::abs((c >> 16 & 0xff) - r) <= tol && std::abs((c >> 8 & 0xff) - g) <= tol &&
         std::abs((c & 0xff) - b) <= tol;
}

bool white(int c) { return near(c, 255, 255, 255, 24); }

// The text in its font: glyph pixels and untouched box pixels (anti-aliased edges are in neither).
struct Dot { int x, y; bool inked; };
struct TextMask { std::vector<Dot> pixels; int ink = 0, w = 0, h = 0; };

const TextMask& textmask(FONT* f, const std::string& text) {
  static std::map<std::pair<FONT*, std::string>, TextMask> cache;
  auto [entry, fresh] = cache.try_emplace({f, text});
  TextMask& m = entry->second;
  m.w = text_length(f, text.c_str()), m.h = text_height(f);
  Picture b(fresh ? create_bitmap_ex(32, m.w, m.h) : nullptr);
  if (!b) return m;
  const int key = makecol32(255, 0, 255);
  clear_to_color(b.get(), key);
  textout_ex(b.get(), f, text.c_str(), 0, 0, makecol32(255, 255, 255), -1);
  for (int y = 0; y < m.h; y++)
    for (int x = 0; x < m.w; x++) {
      int c = pixel(b.get(), x, y);
      if (c == key || white(c)) m.pixels.push_back({x, y, c != key}), m.ink += c != key;
    }
  return m;
}

// Where the pointer goes to press a button: inside it, clear of its label.
Area spot(const Button& b) { return {b.x + 16, b.y + b.h - 34, 12, 20}; }

// The pointer's black outline shows at its spot: the dialog knows where it is.
bool pointerat(BITMAP* s, const Button& b) { return fractionof(s, spot(b), 0, 0, 0, 16) > 0.1; }

// A button held down is drawn white inside.
bool held(BITMAP* s, const Button& b) { return fractionof(s, {b.x + 4, b.y + 4, b.w - 8, 8}, 255, 255, 255) > 0.9; }

// Neither a button nor the start field lies here in any dialog.
const int AsideX = 600, AsideY = 130;

// The start field's caret, a character cell in reverse, shows.
bool fieldfocused(BITMAP* s) {
  const int w = text_length(font, " "), h = text_height(font);
  for (int y = StartField.y; y + h <= StartField.y + StartField.h; y++)
    for (int x = StartField.x; x + w <= StartField.x + StartField.w; x++)
      if (fractionof(s, {x, y, w, h}, 255, 255, 255) > 0.9) return true;
  return false;
}

}  // namespace

FONT* screens::df() { return static_cast<FONT*>(datafile[DataFont].dat); }

bool screens::mainmenu(BITMAP* s) {
  return showstext(s, df(), "Background", 8, 128) && showstext(s, df(), "How to Play", 8, 248) &&
         showstext(s, df(), "Start Level", 8, 360);
}

Seen screens::levelstart(int level) {
  return [level](BITMAP* s) { return showstext(s, df(), "Entering level " + std::to_string(level), 8, 8); };
}

bool screens::inlevel(BITMAP* s) { return fractionof(s, {0, 0, 640, 480}, 80, 60, 0, 8) < 0.05; }

bool screens::cave(BITMAP* s) { return inlevel(s) && fractionof(s, {0, 0, 640, 480}, 0, 0, 0, 4) < 0.9; }

bool focused(BITMAP* s, const Button& b) {
  double dots = fractionof(s, {b.x + 1, b.y + 1, b.w - 3, 1}, 255, 255, 255);
  return dots > 0.3 && dots < 0.7;
}

bool startfield(BITMAP* s, const std::string& text) {
  double inked = fractionof(s, StartField, 255, 255, 255) * StartField.w * StartField.h;
  return showstextin(s, font, text, StartField) && !fieldfocused(s) &&
         inked <= textmask(font, text).ink + 4;
}

Ran shell(const std::string& command) {
  Ran r{"", -1};
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  return r;
}

std::string shellword(const std::string& s) { return "'" + s + "'"; }

void xdo(const std::string& args) {
  // A busy X server now and then refuses a new client, which then sent nothing: try again.
  for (int attempt = 0; attempt < 3; attempt++, sleepfor(0.1))
    if (std::system(("xdotool " + args).c_str()) == 0) return;
  ADD_FAILURE() << "input not sent: xdotool " << args;
}

void mousemove(int x, int y) {
  xdo("mousemove " + std::to_string(x) + " " + std::to_string(y));
  sleepfor(0.05);
}

void holdkey(const std::string& k, double s) { xdo("keydown " + k + " sleep " + std::to_string(s) + " keyup " + k); }

void sleepfor(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Picture grabscreen() {
  initallegro();  // memory bitmaps need Allegro, even without a display
  const std::string d = shell("xwd -root -silent 2>/dev/null").out;
  // A big-endian header, a colour map, then rows of the server's 0xRRGGBB pixels, Allegro's 32-bit ones.
  auto be = [&d](size_t at) { uint32_t v; std::memcpy(&v, &d[at], 4); return ntohl(v); };
  if (d.size() < 100 || be(28) != 0 || be(44) != 32 || be(56) != 0xff0000 || be(64) != 0xff)
    return nullptr;
  size_t w = be(16), h = be(20), line = be(48), start = be(0) + be(76) * 12;
  Picture pic(d.size() >= start + line * h ? create_bitmap_ex(32, w, h) : nullptr);
  for (size_t y = 0; pic && y < h; y++) std::memcpy(pic->line[y], &d[start + y * line], w * 4);
  return pic;
}

bool showstext(BITMAP* s, FONT* f, const std::string& text, int x, int y) {
  return showstextin(s, f, text, {x - 1, y - 1, text_length(f, text.c_str()) + 2, text_height(f) + 2});
}

bool showstextin(BITMAP* s, FONT* f, const std::string& text, Area a) {
  const TextMask& m = textmask(f, text);
  for (int y = a.y; y <= a.y + a.h - m.h; y++)
    for (int x = a.x; x <= a.x + a.w - m.w; x++) {
      int wrong = 0;  // a font's own rendering may differ in a stray pixel
      for (auto [px, py, inked] : m.pixels) wrong += white(pixel(s, x + px, y + py)) != bool(inked);
      if (m.ink > 0 && wrong <= m.ink / 100) return true;
    }
  return false;
}

double fractionof(BITMAP* s, Area a, int r, int g, int b, int tol) {
  long hits = 0;
  for (int y = a.y; y < a.y + a.h; y++)
    for (int x = a.x; x < a.x + a.w; x++) hits += near(pixel(s, x, y), r, g, b, tol);
  return a.w > 0 && a.h > 0 ? double(hits) / (a.w * a.h) : 0;
}

bool samepicture(BITMAP* a, BITMAP* b) {
  for (int y = 0; a && b && y < a->h; y++)
    if (std::memcmp(a->line[y], b->line[y], a->w * 4) != 0) return false;
  return a && b;
}

void E2ETest::SetUp() {
  Picture probe = grabscreen();
  ASSERT_TRUE(probe) << "xwd cannot read the display (./run-tests starts one)";
  ASSERT_EQ(probe->w, 640) << "the display must be 640x480";
  ASSERT_EQ(probe->h, 480) << "the display must be 640x480";
  setenv("ALLEGRO", (sourcedir() + "/tests/data/quiet").c_str(), 0);  // no sound card here
  xdo(ReleaseAll);
  run = (dir = maketempdir()) + "/run";
  fs::create_directories(run + "/levels");
  fs::copy_file(rundir() + "/data.dat", run + "/data.dat");
}

void E2ETest::TearDown() {
  if (HasFailure()) {
    if (Picture p = grabscreen()) last = std::move(p);
    std::cout << "[ e2e ] kept " << dir << " (game.out, game.err; screen " << saveshot() << ")\n";
    keeptempdir(dir);
  }
  killgame();
  xdo(ReleaseAll);
}

void E2ETest::start(const std::string& args) {
  // Allegro takes the pointer to be at (320, 240) until it moves, and a move while the game
  // opens its display could make the X server refuse it: the pointer is placed first.
  mousemove(pointer.x, pointer.y);
  launch("cd " + run + " && exec " + rundir() + "/marsflyer " + args + " >../game.out 2>../game.err");
}

void E2ETest::launch(const std::string& command) {
  // A busy X server now and then refuses a client that comes straight after one it lost; the
  // game then ends, saying so, and is started again until it shows a window or ends otherwise.
  auto windows = [] { return shell("xdotool search --class '^marsflyer$' 2>/dev/null").out; };
  for (int attempt = 0; attempt < 3; attempt++, sleepfor(1)) {
    status = -1;
    const std::string before = windows();
    if ((pid = fork()) == 0) {
      setpgid(0, 0);
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // a crashed test leaves no game behind
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (double end = now() + 20; running() && windows() == before && now() < end;) sleepfor(0.05);
    if (running() || readfile(dir + "/game.err").find("no display available") == std::string::npos) return;
  }
}

bool E2ETest::running() {
  int st = -1;
  if (pid <= 0 || waitpid(pid, &st, WNOHANG) == 0) return pid > 0;
  status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  pid = -1;
  return false;
}

void E2ETest::killgame() {
  if (running() && kill(-pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
  pid = -1;
}

int E2ETest::finish(double timeout) {
  for (double end = now() + timeout; running(); sleepfor(0.05))
    if (now() > end && !failed("end of the game")) return killgame(), -1;
  return status;
}

bool E2ETest::seenwithin(const Seen& seen, double timeout) {
  for (double end = now() + timeout;; sleepfor(0.1)) {
    if (Picture p = grabscreen()) last = std::move(p);
    if (last && seen(last.get())) return true;
    if (now() > end || !running()) return false;
  }
}

bool E2ETest::waitfor(const std::string& what, const Seen& seen, double t) { return seenwithin(seen, t) || failed(what); }

bool E2ETest::failed(const std::string& what) {
  ADD_FAILURE() << "no " << what << " within the time allowed"
                << (running() ? "" : "; the game ended: " + readfile(dir + "/game.err"))
                << "; screen saved as " << saveshot();
  return false;
}

std::string E2ETest::saveshot() {
  std::string path = dir + "/screen" + std::to_string(++shots) + ".bmp";
  return last && save_bitmap(path.c_str(), last.get(), nullptr) == 0 ? path : "(none)";
}

bool E2ETest::pointat(const Button& b) {
  for (int attempt = 0; attempt < 4; attempt++) {
    Area a = spot(b);
    mousemove(a.x + attempt % 2, a.y);
    if (seenwithin([&b](BITMAP* s) { return pointerat(s, b); }, 1.5)) return true;
    // A move the game missed is seen the next time: leave, come back.
    mousemove(AsideX, AsideY);
    sleepfor(0.2);
  }
  return false;
}

bool E2ETest::press(const Button& b, const Seen& before) {
  std::string name = std::string("\"") + b.name + "\" button";
  if (!waitfor("screen with the " + name + " to press", before)) return false;
  for (int attempt = 0; attempt < 3; attempt++) {
    if (!pointat(b)) continue;
    xdo("mousedown 1");
    // A press the dialog put elsewhere is let go away from every button.
    if (!seenwithin([&b](BITMAP* s) { return held(s, b); }, 2)) {
      mousemove(AsideX, AsideY);
      xdo("mouseup 1");
      continue;
    }
    // Let go: the game acts, however long a loaded machine makes it take (a level's set-up, say).
    xdo("mouseup 1");
    return seenwithin([&before](BITMAP* s) { return !before(s); }, 20) || !running() || failed("reaction to the " + name);
  }
  return failed("press of the " + name);
}

bool E2ETest::holduntil(const std::string& key, const std::string& what, const Seen& seen) {
  xdo("keydown " + key);
  const bool shown = waitfor(what, seen);
  xdo("keyup " + key);
  return shown;
}

int E2ETest::finishholding(const std::string& key) {
  xdo("keydown " + key);
  const int ended = finish();
  xdo("keyup " + key);
  return ended;
}

bool E2ETest::enter(const Seen& before) {
  if (!waitfor("screen to press Enter on", before)) return false;
  sleepfor(0.8);  // a key in a dialog's first moments can be lost
  xdo("key Return");
  return seenwithin([&before](BITMAP* s) { return !before(s); }, 20) || !running() || failed("reaction to Enter");
}

double E2ETest::cpuseconds() {
  // Fields 14 and 15 of stat; the name in field 2 may hold spaces, but ends with the last ')'.
  const std::string stat = readfile("/proc/" + std::to_string(pid) + "/stat");
  unsigned long user = 0, system = 0;
  if (size_t at = stat.rfind(')'); at != std::string::npos)
    std::sscanf(stat.c_str() + at + 1, " %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %lu %lu", &user, &system);
  return double(user + system) / sysconf(_SC_CLK_TCK);
}

double E2ETest::idleload(double seconds) {
  sleepfor(1);  // the screen settles
  const double before = cpuseconds(), start = now();
  sleepfor(seconds);
  const double load = (cpuseconds() - before) / (now() - start);
  std::cout << "[ e2e ] the waiting game took " << 100 * load << " % of a core\n";
  return load;
}

bool E2ETest::typestartlevel(const std::string& digit) {
  auto typed = [&digit](BITMAP* s) { return fieldfocused(s) && showstextin(s, font, digit, StartField); };
  for (int attempt = 0; attempt < 3; attempt++) {
    // The field takes the focus while the pointer is on it.
    mousemove(StartField.x + StartField.w / 2 + attempt % 2, StartField.y + StartField.h / 2);
    if (!seenwithin(fieldfocused, 2)) {
      mousemove(AsideX, AsideY);
      continue;
    }
    xdo("key End BackSpace BackSpace " + digit);
    if (seenwithin(typed, 3)) return true;
  }
  return failed(digit + " in the start field");
}

void E2ETest::writelevels(int count, const std::string& map, const std::string& objects) {
  for (int n = 1; n <= count; n++) {
    std::string name = run + "/levels/level" + std::to_string(n);
    writefile(name + ".txt", map);
    writefile(name + "objects.txt", objects);
  }
}

