// The game's window as a desktop sees it: its title, class (the menu entry's StartupWMClass), icon.

#include "e2e/harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>

#include <vector>

using screens::mainmenu;

namespace {

// A window icon's pixels as 0xRRGGBB, -1 where its mask hides them; empty without icon and mask.
std::vector<long> windowicon(unsigned long window) {
  std::vector<long> pixels;
  Display* d = XOpenDisplay(nullptr);
  XWMHints* hints = d ? XGetWMHints(d, window) : nullptr;
  if (hints && (hints->flags & IconPixmapHint) && (hints->flags & IconMaskHint)) {
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    XGetGeometry(d, hints->icon_pixmap, &root, &x, &y, &w, &h, &border, &depth);
    XImage* picture = XGetImage(d, hints->icon_pixmap, 0, 0, w, h, AllPlanes, ZPixmap);
    XImage* mask = XGetImage(d, hints->icon_mask, 0, 0, w, h, 1, XYPixmap);
    for (unsigned py = 0; picture && mask && py < h; py++)
      for (unsigned px = 0; px < w; px++)
        pixels.push_back(XGetPixel(mask, px, py) ? long(XGetPixel(picture, px, py) & 0xffffff) : -1);
    if (picture) XDestroyImage(picture);
    if (mask) XDestroyImage(mask);
  }
  if (hints) XFree(hints);
  if (d) XCloseDisplay(d);
  return pixels;
}

// The build's 48-pixel desktop icon as a window shows it: pixels under half opaque hidden.
std::vector<long> desktopicon() {
  const std::string rgba = shell("convert " + shellword(std::string(MARSFLYER_BIN_DIR) + "/packaging/marsflyer-48.png") +
                                 " -depth 8 rgba:- 2>/dev/null").out;
  std::vector<long> pixels;
  auto byte = [&rgba](size_t at) { return long(static_cast<unsigned char>(rgba[at])); };
  for (size_t i = 0; rgba.size() == 48 * 48 * 4 && i < rgba.size(); i += 4)
    pixels.push_back(byte(i + 3) >= 128 ? byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2) : -1);
  return pixels;
}

std::string visiblewindow() {
  return shell("xdotool search --onlyvisible --class '^marsflyer$' 2>/dev/null | head -1 | tr -d '\\n'").out;
}

using Desktop = E2ETest;

}  // namespace

// Full screen, Allegro's picture lies in an override-redirect window that a
// window manager never sees; in a window, a top-level one of 640 x 480.
TEST_F(Desktop, WindowIsTitledForGameOrEditorOfClassMarsflyerWithTheShipAsIcon) {
  writelevels(1, "1 4 100 100 600 100 600 400 100 400\n", "S 300 300\n");
  const std::vector<long> ship = desktopicon();
  ASSERT_EQ(ship.size(), 48u * 48) << "no desktop icon in the build";
  start("");
  ASSERT_TRUE(waitfor("main menu full screen", mainmenu));
  EXPECT_EQ(visiblewindow(), "");
  killgame();
  sleepfor(1);  // Xvfb may refuse a client that comes straight after one it lost
  const std::pair<const char*, const char*> runs[] = {{"window", "Mars Flyer"}, {"e 1", "Mars Flyer level editor"}};
  for (auto [args, title] : runs) {
    SCOPED_TRACE(args);
    start(args);
    std::string window;
    for (double end = now() + 20; window.empty() && running() && now() < end; sleepfor(0.1)) window = visiblewindow();
    ASSERT_FALSE(window.empty()) << "no window of class marsflyer: " << readfile(dir + "/game.err");
    EXPECT_EQ(shell("xprop -id " + window + " WM_NAME WM_CLASS").out,
              "WM_NAME(STRING) = \"" + std::string(title) + "\"\nWM_CLASS(STRING) = \"marsflyer\", \"marsflyer\"\n");
    const std::string info = shell("xwininfo -id " + window).out;
    for (const char* fact : {"Map State: IsViewable", "Override Redirect State: no", "Width: 640\n", "Height: 480\n"})
      EXPECT_NE(info.find(fact), std::string::npos) << info;
    EXPECT_TRUE(windowicon(std::stoul(window)) == ship) << "the window's icon is not the ship's";
    EXPECT_TRUE(args != std::string("window") || waitfor("main menu in the window", mainmenu));
    kill(pid, SIGTERM);
    EXPECT_EQ(finish(), 128 + SIGTERM);
    sleepfor(0.5);
  }
}
