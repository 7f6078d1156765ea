// The game's window as a desktop sees it: its title, its class (which the
// menu entry's StartupWMClass names) and its icon, read from the X server.

#include "e2e/harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>

#include <cstdio>
#include <vector>

namespace {

std::string output(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// The game's top-level window, found by its class; empty until it is mapped.
std::string gamewindow() {
  std::string ids = output("xdotool search --onlyvisible --class '^marsflyer$' 2>/dev/null");
  return ids.substr(0, ids.find('\n'));
}

// An icon's pixels as 0xRRGGBB, or -1 where its mask hides them.
struct Icon {
  int w = 0, h = 0;
  std::vector<long> pixels;
};

Icon windowicon(const std::string& window) {
  Icon icon;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return icon;
  XWMHints* hints = XGetWMHints(d, std::stoul(window));
  if (hints && (hints->flags & IconPixmapHint) && (hints->flags & IconMaskHint)) {
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    XGetGeometry(d, hints->icon_pixmap, &root, &x, &y, &w, &h, &border, &depth);
    XImage* picture = XGetImage(d, hints->icon_pixmap, 0, 0, w, h, AllPlanes, ZPixmap);
    XImage* mask = XGetImage(d, hints->icon_mask, 0, 0, w, h, 1, XYPixmap);
    for (unsigned py = 0; picture && mask && py < h; py++)
      for (unsigned px = 0; px < w; px++)
        icon.pixels.push_back(XGetPixel(mask, px, py) ? long(XGetPixel(picture, px, py) & 0xffffff) : -1);
    if (picture && mask) icon.w = w, icon.h = h;
    if (picture) XDestroyImage(picture);
    if (mask) XDestroyImage(mask);
  }
  if (hints) XFree(hints);
  XCloseDisplay(d);
  return icon;
}

// The desktop icon the build drew from the ship, as the window's icon shows
// it: pixels under half opaque hidden.
Icon desktopicon(int size) {
  Icon icon;
  const std::string png = std::string(MARSFLYER_BIN_DIR) + "/packaging/marsflyer-" + std::to_string(size) + ".png";
  const std::string rgba = output("convert '" + png + "' -depth 8 rgba:- 2>/dev/null");
  if (rgba.size() != size_t(size) * size * 4) return icon;
  icon.w = icon.h = size;
  for (size_t i = 0; i < rgba.size(); i += 4) {
    const auto byte = [&](size_t at) { return long(static_cast<unsigned char>(rgba[at])); };
    icon.pixels.push_back(byte(i + 3) >= 128 ? byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2) : -1);
  }
  return icon;
}

using Desktop = E2ETest;

}  // namespace

TEST_F(Desktop, WindowIsTitledForGameOrEditorOfClassMarsflyerWithTheShipAsIcon) {
  writelevels(1, "1 4 100 100 600 100 600 400 100 400\n", "S 300 300\n");
  const Icon ship = desktopicon(48);
  ASSERT_EQ(ship.w, 48) << "no desktop icon in the build";
  const std::pair<const char*, const char*> runs[] = {{"window", "Mars Flyer"}, {"e 1", "Mars Flyer level editor"}};
  for (auto [args, title] : runs) {
    SCOPED_TRACE(args);
    start(args);
    std::string window;
    for (double end = now() + 20; (window = gamewindow()).empty() && running() && now() < end;) sleepfor(0.1);
    ASSERT_FALSE(window.empty()) << "no window of class marsflyer: " << readfile(dir + "/game.err");
    const std::string props = output("xprop -id " + window + " WM_NAME WM_CLASS");
    EXPECT_EQ(props, "WM_NAME(STRING) = \"" + std::string(title) + "\"\nWM_CLASS(STRING) = \"marsflyer\", \"marsflyer\"\n");
    const Icon icon = windowicon(window);
    EXPECT_EQ(icon.w, 48);
    EXPECT_TRUE(icon.pixels == ship.pixels) << "the window's icon is not the ship's";
    kill(pid, SIGTERM);
    EXPECT_EQ(finish(), 128 + SIGTERM);
    sleepfor(0.5);  // Xvfb may refuse a client that comes straight after one it lost
  }
}
