// The level editor driven with real keys and mouse, checked through the
// leveledited.txt it writes and the selection circle it draws.

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "e2e/harness.h"

namespace {

// The level's objects file, and what the editor saves of it around the HCl tank.
const char* const Objects =
    "S 100.5 150.25\nT 5 100.7 200.9\nT 2 200.6 300.4\nT 3 420.2 300.9\n"
    "E 2 1200.9 900.5\nE 4 2000.75 -0.5\nT 0 2300.3 2400.8\n";
const std::string Before = "S 100 150\nT 5 100 200\nT 2 200 300\n",
                  After = "E 2 1200 900\nE 4 2000 0\nT 0 2300 2400\n";

bool samepicture(BITMAP* a, BITMAP* b) {  // two grabs of the display
  for (int y = 0; a && b && y < a->h; y++)
    if (std::memcmp(a->line[y], b->line[y], a->w * 4) != 0) return false;
  return a && b;
}

double circleat(BITMAP* s, int x, int y, int r) {  // the white fraction of that circle
  int hits = 0;
  for (int i = 0; i < 96; i++) {
    int dx = int(std::lround(r * std::cos(i * M_PI / 48))), dy = int(std::lround(r * std::sin(i * M_PI / 48)));
    hits += fractionof(s, {x + dx, y + dy, 1, 1}, 255, 255, 255) > 0;
  }
  return hits / 96.0;
}

// The white selection circle, radius 48, around (x, y).
Seen selectionat(int x, int y) {
  return [x, y](BITMAP* s) { return circleat(s, x, y, 48) > 0.5; };
}

class Editor : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    // A row of chambers, each of its own depth, so that no two scroll
    // positions show the same picture.
    std::ostringstream map;
    map << 10;
    for (int i = 0, x = 40, y = 440; i < 10; i++, x += 250, y -= 20)
      map << " 4 " << x << " 40 " << x + 240 << " 40 " << x + 240 << ' ' << y << ' ' << x << ' ' << y;
    writelevels(1, map.str(), Objects);
  }

  bool startediting(const std::string& args = "e 1", bool readonly = false) {
    start(args, readonly);
    // Open cave, black, in the first chamber; textured rock left of it.
    return waitfor("editor showing its cave", [](BITMAP* s) {
      return fractionof(s, {100, 330, 120, 60}, 0, 0, 0, 12) > 0.97 &&
             fractionof(s, {4, 60, 30, 360}, 0, 0, 0, 12) < 0.5;
    });
  }

  // Waits for the selection circle round the new object, so that the next
  // key cannot find the pointer already elsewhere.
  void place(const std::string& key, int x, int y) {
    mousemove(x, y);
    holdkey(key, 0.12);
    if (!seenwithin(selectionat(x, y), 5)) failed("selection circle round the object of " + key);
  }

  int leave() { return holdkey("Escape"), finish(); }

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
  // Nearest to the HCl tank at (420.2, 300.9). The first pass with the
  // button down only lets the level's objects be drawn: hold it a while.
  bool selected = false;
  for (int attempt = 0; attempt < 3 && !selected; attempt++) {
    xdo("mousemove 410 290 sleep 0.1 mousedown 1 sleep 0.3 mouseup 1");
    selected = seenwithin(selectionat(420, 300), 2);
  }
  ASSERT_TRUE(selected || failed("selection circle round the clicked tank"));
  xdo("keydown Shift_L sleep 0.1 keydown Right sleep 0.3 keyup Right keydown Down sleep 0.2 keyup "
      "Down sleep 0.1 keyup Shift_L");
  mousemove(600, 460);  // off the circle
  sleepfor(0.1);
  ASSERT_TRUE(last = grabscreen());
  int cx = 0, cy = 0;
  double best = 0;
  for (int y = 280; y < 440; y++)
    for (int x = 400; x < 600; x++)
      if (double score = circleat(last.get(), x, y, 48); score > best) best = score, cx = x, cy = y;
  EXPECT_TRUE(cx > 420 && cy > 300) << "Shift+arrows left the tank at " << cx << ", " << cy;

  const char* keys[] = {"1", "5", "percent", "0", "6", "7", "8", "9", "3"};
  for (int i = 0; i < 9; i++) place(keys[i], 100 + 50 * i, 50 + 10 * i);
  holdkey("d", 0.12);  // takes the HCl tank just placed away again
  auto deleted = [](BITMAP* s) { return !selectionat(500, 130)(s); };
  ASSERT_TRUE(waitfor("the HCl tank's selection gone", deleted));  // before scrolling starts
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

// A first Esc saves; a second run in a read-only directory cannot, and leaves the earlier file.
TEST_F(Editor, EscapeFirstSavesTheObjectsTruncatedAndAFailedSaveKeepsTheEarlierFile) {
  ASSERT_TRUE(startediting("e"));  // level 1
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(edited(), Before + "T 3 420 300\n" + After);
  writefile(run + "/leveledited.txt", "S 1 2\n");
  chmod(run.c_str(), 0555);
  if (!readonlyworks()) GTEST_SKIP() << "root here cannot give up overriding file permissions";
  ASSERT_TRUE(startediting("e 1", true));
  EXPECT_EQ(leave(), 2);
  EXPECT_NE(readfile(dir + "/game.err").find("Save error"), std::string::npos);
  EXPECT_EQ(edited(), "S 1 2\n");
}

}  // namespace

// Esc saves through a symbolic leveledited.txt into the file it points to,
// which stays a link; a read-only leveledited.txt is kept and the editor
// ends with "Save error" and what was wrong.
TEST_F(Editor, EscapeSavesThroughALinkAndKeepsAReadOnlyFile) {
  writefile(run + "/levels/level1objects.txt", "T 3 420.2 300.9\n");
  ASSERT_EQ(mkdir((run + "/saves").c_str(), 0755), 0);
  writefile(run + "/saves/mine.txt", "S 1 2\n");
  ASSERT_EQ(symlink("saves/mine.txt", (run + "/leveledited.txt").c_str()), 0);
  ASSERT_TRUE(startediting());
  EXPECT_EQ(leave(), 0);
  struct stat link;
  EXPECT_TRUE(lstat((run + "/leveledited.txt").c_str(), &link) == 0 && S_ISLNK(link.st_mode));
  EXPECT_EQ(readfile(run + "/saves/mine.txt"), "T 3 420 300\n");

  ASSERT_EQ(unlink((run + "/leveledited.txt").c_str()), 0);
  writefile(run + "/leveledited.txt", "S 1 2\n");
  ASSERT_EQ(chmod((run + "/leveledited.txt").c_str(), 0444), 0);
  ASSERT_TRUE(startediting());
  EXPECT_EQ(leave(), 2);
  EXPECT_NE(readfile(dir + "/game.err").find("Save error\nleveledited.txt: the file is read-only\n"),
            std::string::npos);
  EXPECT_EQ(edited(), "S 1 2\n");
}
