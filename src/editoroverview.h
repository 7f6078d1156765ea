#pragma once

#include <allegro.h>

#include <string>
#include <vector>

#include "checks.h"
#include "editoroverlay.h"

// The editor's overview: the whole level scaled to fit the window above the
// status line, with the view's rectangle, the objects, the check's rings and
// the pilot's route on it.

// Where the level lies on the screen in the overview.
struct OverviewLayout {
  float scale;     // screen pixels per level pixel
  int x, y, w, h;  // the scaled level's place on the screen
};

// The largest scale at which a levelw x levelh picture fits the window above
// a two-row status line, and its place there, centred.
OverviewLayout overviewlayout(int levelw, int levelh);

// The level point under the screen point (sx, sy), and whether the screen
// point lies on the level.
Point overviewpoint(const OverviewLayout& layout, int sx, int sy);
bool onoverview(const OverviewLayout& layout, int sx, int sy);

// What the overview shows over the level.
struct OverviewContent {
  Rect view{0, 0, 0, 0};  // the editor's view, world pixels
  std::vector<LevelObject> objects;
  std::vector<CheckMark> marks;
  int current = 0;           // the mark PgDn and PgUp went to, or 0
  std::vector<Point> route;  // where the pilot flew, or empty
  std::string title;         // a line along the top (the pilot's result), or ""
};

class Overview {
 public:
  Overview() = default;
  Overview(const Overview&) = delete;
  Overview& operator=(const Overview&) = delete;
  ~Overview();

  // The level picture has changed: its scaled copy is made again when the
  // overview is next drawn.
  void stale() { current = false; }
  // Draws the overview of background into `target`, 640 x 480; the status
  // line is left to the caller. Throws "Problem creating bitmaps" when the
  // scaled copy cannot be made.
  void draw(BITMAP* target, const OverviewContent& content);

 private:
  BITMAP* scaled = nullptr;
  bool current = false;
};
