// The level editor driven with real keys and mouse, checked through the files it writes and what it draws.

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <sstream>

#include "data.h"
#include "e2e/harness.h"
#include "gamedata.h"
#include "main.h"

namespace {

// The level's objects file, and what the editor saves of it around the HCl tank.
const char* const Objects =
    "S 100.5 150.25\nT 5 100.7 200.9\nT 2 200.6 300.4\nT 3 420.2 300.9\n"
    "E 2 1200.9 900.5\nE 4 2000.75 -0.5\nT 0 2300.3 2400.8\n";
const std::string Before = "S 100 150\nT 5 100 200\nT 2 200 300\n",
                  After = "E 2 1200 900\nE 4 2000 0\nT 0 2300 2400\n";

// The fraction of that circle drawn in the colour, white unless said.
double circleat(BITMAP* s, int x, int y, int r, int red = 255, int green = 255, int blue = 255) {
  int hits = 0;
  for (int i = 0; i < 96; i++) {
    int dx = int(std::lround(r * std::cos(i * M_PI / 48))), dy = int(std::lround(r * std::sin(i * M_PI / 48)));
    hits += fractionof(s, {x + dx, y + dy, 1, 1}, red, green, blue) > 0;
  }
  return hits / 96.0;
}

// The white selection circle, radius 48, around (x, y).
Seen selectionat(int x, int y) { return [x, y](BITMAP* s) { return circleat(s, x, y, 48) > 0.5; }; }

// Chambers `from` to `to` of a row, as the editor writes them; each of its own depth, so no two views look alike.
std::string chambers(int from, int to) {
  std::ostringstream s;
  for (int i = from; i < to; i++) {
    const int x = 40 + 250 * i, y = 440 - 20 * i;
    s << "4  " << x << " 40  " << x + 240 << " 40  " << x + 240 << ' ' << y << "  " << x << ' ' << y << "\n";
  }
  return s.str();
}

// The status line, its dark strip along the bottom of the window.
bool statusline(BITMAP* s) {
  int hits = 0;
  for (int x = 0; x < 640; x += 8) hits += fractionof(s, {x, 471, 1, 1}, 24, 28, 48) > 0;
  return hits > 40;
}

// The status line shows `text` in one of its rows.
Seen statusshows(const std::string& text) { return [text](BITMAP* s) { return showstextin(s, font, text, {0, 462, 640, 18}); }; }

class Editor : public E2ETest {
 protected:
  void SetUp() override { E2ETest::SetUp(); writelevels(1, "10\n" + chambers(0, 10), Objects); }

  // Ends with the pointer seen at (600, 400): a key held down before the window takes input is never seen.
  bool startediting(const std::string& args = "e 1") {
    start(args);
    // Open cave, black, in the first chamber; textured rock left of it.
    return waitfor("editor showing its cave", [](BITMAP* s) {
      return fractionof(s, {100, 330, 120, 60}, 0, 0, 0, 12) > 0.97 && fractionof(s, {4, 60, 30, 360}, 0, 0, 0, 12) < 0.5;
    }) && pointto(600, 400);
  }

  // Waits for the selection circle round the new object, so the next key cannot find the pointer elsewhere.
  void place(const std::string& key, int x, int y) {
    mousemove(x, y);
    holdkey(key, 0.12);
    if (!seenwithin(selectionat(x, y), 5)) failed("selection circle round the object of " + key);
  }

  int leave() { return finishholding("Escape"); }

  // Moves the pointer and waits for the status line to show it there (the window may not take input yet).
  bool pointto(int x, int y) {
    const std::string at = "x " + std::to_string(x) + " y " + std::to_string(y) + " ";
    for (int attempt = 0; attempt < 3; attempt++) {
      mousemove(x + 1, y), mousemove(x, y);
      if (seenwithin(statusshows(at), 3)) return true;
    }
    return failed("pointer at " + at + "on the status line");
  }

  // Presses the left button at (x, y) and holds it until `taken` is seen. A press the editor
  // missed (a loaded machine can lose one) is let go and made again.
  bool pressat(int x, int y, const Seen& taken, const std::string& what) {
    for (int attempt = 0; attempt < 3; attempt++) {
      if (!pointto(x, y)) return false;
      xdo("mousedown 1");
      if (seenwithin(taken, 6)) return true;
      xdo("mouseup 1");
    }
    return failed(what);
  }

  // Holds an arrow until the picture stops changing.
  bool scrolluntilstopped(const std::string& arrow) {
    xdo("keydown " + arrow);
    bool moved = false, same = false;
    for (double end = now() + 30; !(moved && same) && now() < end; moved = moved || !same) {
      sleepfor(0.4);
      Picture after = grabscreen();
      same = samepicture(last.get(), after.get());
      last = std::move(after);
    }
    xdo("keyup " + arrow);
    return (moved && same) || failed("end of scrolling with " + arrow);
  }
};

TEST_F(Editor, SelectMoveWithShiftArrowsPlaceDeleteAndScroll) {
  ASSERT_TRUE(startediting());
  // Nearest to the HCl tank at (420.2, 300.9), held until it is selected; then Shift and each arrow
  // until it has moved.
  ASSERT_TRUE(pressat(410, 290, selectionat(420, 300), "selection circle round the clicked tank"));
  xdo("mouseup 1 keydown Shift_L sleep 0.1");
  auto tankat = [](const std::string& where) { return statusshows("hydrochloric acid tank at (" + where); };
  ASSERT_TRUE(holduntil("Right", "tank moved right", [&](BITMAP* s) { return tankat("")(s) && !tankat("420, ")(s); }));
  ASSERT_TRUE(holduntil("Down", "tank moved down", [&](BITMAP* s) { return tankat("")(s) && !statusshows(", 300)")(s); }));
  xdo("keyup Shift_L");
  mousemove(600, 460);  // off the circle
  ASSERT_TRUE(waitfor("picture at rest", [](BITMAP* s) { return sleepfor(0.3), samepicture(s, grabscreen().get()); }));
  int cx = 0, cy = 0;
  double best = 0;
  for (int y = 280; y < 440; y++)
    for (int x = 400; x < 600; x++)
      if (double score = circleat(last.get(), x, y, 48); score > best) best = score, cx = x, cy = y;
  EXPECT_TRUE(cx > 420 && cy > 300) << "Shift+arrows left the tank at " << cx << ", " << cy;

  const char* keys[] = {"1", "5", "percent", "0", "6", "7", "8", "9", "3"};
  for (int i = 0; i < 9; i++) place(keys[i], 100 + 50 * i, 50 + 10 * i);
  holdkey("d", 0.12);  // takes the HCl tank just placed away again, before scrolling starts
  ASSERT_TRUE(waitfor("the HCl tank's selection gone", [](BITMAP* s) { return !selectionat(500, 130)(s); }));
  ASSERT_TRUE(scrolluntilstopped("Right"));
  place("1", 100, 50);  // the view of the 2560-pixel level stops at 1920
  ASSERT_TRUE(scrolluntilstopped("Left"));
  place("2", 100, 50);
  EXPECT_EQ(leave(), 0);
  // The tank is saved where its circle was drawn, in whole pixels.
  EXPECT_EQ(edited(), Before + "T 3 " + std::to_string(cx) + " " + std::to_string(cy) + "\n" +
                          After + "T 1 100 50\nT 0 150 60\nT 5 200 70\nS 250 80\nE 1 300 90\n"
                          "E 2 350 100\nE 3 400 110\nE 4 450 120\nT 1 2020 50\nT 2 100 50\n");
}

// The overview's middle column shows the level's x 1282; a click at (400, 300) goes to the level's
// (1724, 1657), the view's corner then at (1404, 1416). q then asks, and y leaves without writing a file.
TEST_F(Editor, StatusLineFollowsThePointerOverviewClickAndHomeMoveTheViewAndQLeavesWithoutSaving) {
  writefile(run + "/levels/level1objects.txt", "T 3 420.2 300.9\nS 1300 1200\nT 5 1300 1258\n");
  ASSERT_TRUE(startediting());
  ASSERT_TRUE(pointto(100, 50));
  const std::string tank = "hydrochloric acid tank at (420, 300)";
  ASSERT_TRUE(pressat(410, 290, statusshows("x 410 y 290  objects  " + tank), "selection on the status line"));
  xdo("mouseup 1");
  holdkey("m");
  ASSERT_TRUE(waitfor("overview", statusshows("  overview")));
  mousemove(321, 240), mousemove(320, 240);
  EXPECT_TRUE(seenwithin(statusshows("x 1282 y 1326  overview"), 3));
  mousemove(400, 300);
  const Seen moved = statusshows("x 1804 y 1716  objects  " + tank);
  for (int attempt = 0; attempt < 3; attempt++) {  // a click the editor missed leaves the overview open
    xdo("mousedown 1 sleep 0.15 mouseup 1");
    if (seenwithin(moved, 6) || !seenwithin(statusshows("  overview"), 0)) break;
  }
  ASSERT_TRUE(waitfor("the view moved", moved));
  holdkey("Home");  // the view's corner goes to (980, 960)
  ASSERT_TRUE(waitfor("view centred on the ship", statusshows("x 1380 y 1260  objects  " + tank)));
  auto help = [](BITMAP* s) { return showstextin(s, font, "Level editor keys", {0, 0, 640, 200}); };
  holdkey("F1");
  ASSERT_TRUE(waitfor("help", help));
  holdkey("F1");
  ASSERT_TRUE(waitfor("help closed", [&help](BITMAP* s) { return !help(s) && statusline(s); }));
  holdkey("q");
  ASSERT_TRUE(waitfor("the question", statusshows("Leave without saving? (y/n)")));
  xdo("key y");
  EXPECT_EQ(finish(), 0);
  EXPECT_NE(access((run + "/leveledited.txt").c_str(), F_OK), 0);
  EXPECT_NE(access((run + "/leveleditedmap.txt").c_str(), F_OK), 0);
}

TEST_F(Editor, CaveEditsAreSavedInTheMapFormatAndTheGameLoadsThem) {
  ASSERT_TRUE(startediting());
  holdkey("Tab");
  ASSERT_TRUE(waitfor("cave mode", statusshows("  cave")));
  // The first chamber's bottom-right corner, dragged down and right.
  ASSERT_TRUE(pressat(280, 440, statusshows("vertex 3 of 4 at (280, 440)"), "corner taken"));
  xdo("mousemove 300 436 sleep 0.1 mousemove 330 430");
  ASSERT_TRUE(waitfor("corner following the pointer", statusshows("vertex 3 of 4 at (330, 430)")));
  xdo("mouseup 1");
  auto dragged = [](BITMAP* s) { return fractionof(s, {284, 424, 3, 3}, 0, 0, 0, 12) == 1.0; };
  ASSERT_TRUE(waitfor("cave drawn again with the corner moved", dragged));
  mousemove(200, 430);  // the pointer kept off the status line
  holdkey("Insert");
  ASSERT_TRUE(waitfor("inserted vertex", statusshows("polygon 1 of 10, vertex 4 of 5 at (200, 430)")));
  mousemove(400, 300);
  holdkey("n");
  ASSERT_TRUE(waitfor("new cavern", statusshows("polygon 11 of 11, vertex 1 of 4 at (300, 225)")));
  holdkey("Delete");
  ASSERT_TRUE(waitfor("deleted vertex", statusshows("vertex 3 of 3 at (300, 375)")));
  holdkey("s");
  ASSERT_TRUE(waitfor("saved", statusshows("Saved leveledited.txt and leveleditedmap.txt")));
  EXPECT_TRUE(running());
  const std::string cave = "11\n5  40 40  280 40  330 430  200 430  40 440\n" + chambers(1, 10) +
                           "3  500 225  500 375  300 375\n";
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(readfile(run + "/leveleditedmap.txt"), cave);

  writelevels(2, cave, Objects);
  ASSERT_TRUE(startediting("e 2"));
  EXPECT_TRUE(waitfor("the dragged corner in the saved cave", dragged));
  EXPECT_EQ(leave(), 0);
}

// The topmost row of the ship's picture in the first chamber (open cave is black), or -1.
int shiptop(BITMAP* s) {
  for (int y = 45; y < 175; y++)
    if (fractionof(s, {90, y, 20, 1}, 0, 0, 0, 40) < 0.9) return y;
  return -1;
}

TEST_F(Editor, CheckRingsATankInRockUndoTakesItAwayAndTestFlightChangesNothing) {
  ASSERT_TRUE(startediting("e"));  // level 1
  ASSERT_TRUE(pointto(20, 250));
  place("1", 20, 250);  // left of the first chamber, in rock
  BITMAP* tank = static_cast<BITMAP*>(datafile[DataTankHydrogen].dat);
  const int middle = 250 - tank->h + tank->h / 2;
  holdkey("v");
  ASSERT_TRUE(waitfor("check's ring round the tank",
                      [middle](BITMAP* s) { return circleat(s, 20, middle, 31, 255, 0, 0) > 0.5; }));
  EXPECT_TRUE(seenwithin(statusshows(" problems. 1: "), 1));
  holdkey("u");
  ASSERT_TRUE(waitfor("undo", [](BITMAP* s) { return !selectionat(20, 250)(s) && statusshows("Undone")(s); }));
  // t flies the level and comes back to the edit unchanged, writing nothing.
  mousemove(300, 300);
  holdkey("t");
  int top = -1;
  ASSERT_TRUE(waitfor("ship in flight", [&top](BITMAP* s) { return !statusline(s) && (top = shiptop(s)) > 100; }));
  EXPECT_TRUE(holduntil("Up", "ship climbing", [top](BITMAP* s) { int now = shiptop(s); return now > 0 && now < top - 5; }));
  holdkey("Escape", 1);  // the editor waits for it to be let go
  ASSERT_TRUE(waitfor("editor again", statusshows("Back from the test flight"), 30));
  EXPECT_NE(access((run + "/leveledited.txt").c_str(), F_OK), 0) << "the flight wrote a file";
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(edited(), Before + "T 3 420 300\n" + After);
}

// The HCl tank dragged by (80, 40), undone and redone, is saved at its new
// place; every save, s or Esc, writes the objects and the unchanged cave.
TEST_F(Editor, DraggedObjectIsSavedAtItsNewPlaceAfterUndoAndRedo) {
  ASSERT_TRUE(startediting());
  ASSERT_TRUE(pressat(420, 290, selectionat(420, 300), "the tank taken"));
  xdo("mousemove 460 310 sleep 0.1 mousemove 500 330 sleep 0.3 mouseup 1");
  ASSERT_TRUE(waitfor("the tank dragged", selectionat(500, 340)));
  holdkey("u");
  ASSERT_TRUE(waitfor("the drag undone", selectionat(420, 300)));
  holdkey("r");
  ASSERT_TRUE(waitfor("the drag redone", [](BITMAP* s) { return selectionat(500, 340)(s) && statusshows("Redone")(s); }));
  holdkey("s");
  ASSERT_TRUE(waitfor("saved", statusshows("Saved leveledited.txt and leveleditedmap.txt")));
  const std::string cave = "10\n" + chambers(0, 10);
  EXPECT_EQ(readfile(run + "/leveleditedmap.txt"), cave);
  ASSERT_EQ(unlink((run + "/leveleditedmap.txt").c_str()), 0);  // Esc writes both again
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(edited(), Before + "T 3 500 340\n" + After);
  EXPECT_EQ(readfile(run + "/leveleditedmap.txt"), cave);
}

// f: the pilot flies from the start to the exit pad 400 px away; the overview shows its route, the status line its result.
TEST_F(Editor, PilotFliesTheLevelAndTheOverviewShowsHow) {
  writelevels(1, "1\n4  100 100  900 100  900 400  100 400\n", "S 300 343\nT 5 300 401\nT 0 700 401\n");
  ASSERT_TRUE(startediting());
  ASSERT_TRUE(pointto(320, 240));  // where the overview shows the level
  holdkey("f");
  ASSERT_TRUE(waitfor("the pilot's result", [](BITMAP* s) {
    return statusshows("The pilot finished in ")(s) && statusshows("  overview")(s);
  }, 60));
  // The route on the overview, between the start (142, 62) and the exit (214, 72).
  EXPECT_GT(fractionof(last.get(), {140, 40, 80, 40}, 0, 255, 96), 0.01);
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(edited(), "S 300 343\nT 5 300 401\nT 0 700 401\n");  // the flight changed nothing
}

}  // namespace

// Esc saves through a symbolic leveledited.txt, which stays a link. A read-only one is kept: s says so
// and the editor goes on; Esc ends it with "Save error" and what was wrong.
TEST_F(Editor, EscapeSavesThroughALinkAndKeepsAReadOnlyFile) {
  writefile(run + "/levels/level1objects.txt", "T 3 420.2 300.9\n");
  ASSERT_EQ(mkdir((run + "/saves").c_str(), 0755), 0);
  writefile(run + "/saves/mine.txt", "S 1 2\n");
  ASSERT_EQ(symlink("saves/mine.txt", (run + "/leveledited.txt").c_str()), 0);
  ASSERT_TRUE(startediting());
  EXPECT_EQ(leave(), 0);
  struct stat link;
  ASSERT_EQ(lstat((run + "/leveledited.txt").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  EXPECT_EQ(readfile(run + "/saves/mine.txt"), "T 3 420 300\n");

  ASSERT_EQ(unlink((run + "/leveledited.txt").c_str()), 0);
  writefile(run + "/leveledited.txt", "S 1 2\n");
  ASSERT_EQ(chmod((run + "/leveledited.txt").c_str(), 0444), 0);
  ASSERT_TRUE(startediting());
  holdkey("s");
  EXPECT_TRUE(waitfor("report of the failed save", statusshows("Save error: leveledited.txt not written")));
  EXPECT_TRUE(running());
  EXPECT_EQ(leave(), 2);
  EXPECT_NE(readfile(dir + "/game.err").find("Save error\nleveledited.txt: the file is read-only\n"),
            std::string::npos);
  EXPECT_EQ(edited(), "S 1 2\n");
}
