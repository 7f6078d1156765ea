// The level editor driven with real keys and mouse over the editor fixture
// level, checked through the leveledited.txt it writes and its screen.

#include <sys/stat.h>

#include <sstream>

#include "e2e/e2etest.h"
#include "support/testsupport.h"

namespace {

// What the fixture's objects file (fractional coordinates) saves as.
const std::string FixtureSaved =
    "S 100 150\n"
    "T 5 100 200\n"
    "T 2 200 300\n"
    "T 3 420 300\n"
    "E 2 1200 900\n"
    "E 4 2000 0\n"
    "T 0 2300 2400\n";

class Editor : public E2ETest {
 protected:
  void SetUp() override {
    E2ETest::SetUp();
    if (!HasFatalFailure()) writeeditorlevel();
  }

  bool startediting(GameOptions options = {}) {
    start({"e", "1"}, options);
    return waitscreen("editor showing its cave", editorready);
  }

  // Places an object by its key with the pointer at (x, y).
  void place(const std::string& keyname, int x, int y) {
    mousemove(x, y);
    holdkey(keyname, 0.12);
    sleepfor(0.05);
  }

  int leave() {
    holdkey("Escape", 0.2);
    return finish();
  }

  // Holds an arrow key until the view stops moving.
  bool scrolluntilstopped(const std::string& arrow) {
    xdo({"keydown", arrow});
    bool moved = false, stopped = false;
    Picture before = grabscreen();
    double end = now() + 30;
    while (!stopped && now() < end) {
      sleepfor(0.4);
      Picture after = grabscreen();
      bool same = samepixels(before.get(), after.get(), {0, 0, 640, 480});
      stopped = moved && same;
      moved = moved || !same;
      before = std::move(after);
    }
    xdo({"keyup", arrow});
    last = std::move(before);
    if (!stopped) ADD_FAILURE() << "holding " << arrow << " never stopped scrolling (moved: " << moved << ")";
    return stopped;
  }
};

TEST_F(Editor, EscapeAsFirstInputSavesTheLevelsObjectsInFileOrderTruncated) {
  start({"e"});  // no level number: level 1
  ASSERT_TRUE(waitscreen("editor showing its cave", editorready));
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(edited(), FixtureSaved);
  // One trace line per record read, in file order.
  std::string out = game->outtext(), types;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("Object type: ", 0) == 0) types += line.substr(13);
  EXPECT_EQ(types, "STTTEET") << out;
}

TEST_F(Editor, TypedKeysPlaceObjectsAtThePointerAndDRemovesTheLastPlaced) {
  ASSERT_TRUE(startediting());
  place("1", 100, 50);
  place("5", 150, 60);
  place("percent", 200, 70);
  place("0", 250, 80);
  place("6", 300, 90);
  place("7", 350, 100);
  place("8", 400, 110);
  place("9", 450, 120);
  place("2", 500, 130);
  place("3", 550, 140);
  holdkey("d", 0.12);  // takes the HCl tank away again
  place("4", 600, 150);
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(edited(), FixtureSaved +
                          "T 1 100 50\n"
                          "T 0 150 60\n"
                          "T 5 200 70\n"
                          "S 250 80\n"
                          "E 1 300 90\n"
                          "E 2 350 100\n"
                          "E 3 400 110\n"
                          "E 4 450 120\n"
                          "T 2 500 130\n"
                          "T 4 600 150\n");
}

TEST_F(Editor, ClickSelectsTheNearestObjectAndShiftArrowsMoveItToASavedPixel) {
  ASSERT_TRUE(startediting());
  // Nearer the HCl tank at (420.2, 300.9) than to anything else.
  click(410, 290);
  xdo({"keydown", "Shift_L", "sleep", "0.1", "keydown", "Right", "sleep", "0.3", "keyup", "Right",
       "keydown", "Down", "sleep", "0.2", "keyup", "Down", "sleep", "0.1", "keyup", "Shift_L"});
  mousemove(600, 460);  // keep the pointer off the selection circle
  sleepfor(0.1);
  last = grabscreen();
  ASSERT_TRUE(last);
  CircleMatch circle = findcircle(last.get(), 48, {400, 280, 200, 160});
  EXPECT_GT(circle.score, 0.6) << "no selection circle near the moved tank";

  EXPECT_EQ(leave(), 0);
  std::istringstream saved(edited());
  std::string before, line;
  for (int i = 0; i < 3 && std::getline(saved, line); i++) before += line + "\n";
  EXPECT_EQ(before, "S 100 150\nT 5 100 200\nT 2 200 300\n");
  char type = 0;
  int kind = 0, x = 0, y = 0;
  saved >> type >> kind >> x >> y;
  EXPECT_EQ(type, 'T');
  EXPECT_EQ(kind, 3);
  EXPECT_GT(x, 420) << "Shift+Right did not move the selected tank";
  EXPECT_GT(y, 300) << "Shift+Down did not move the selected tank";
  // The circle is drawn around the selection's whole-pixel position.
  EXPECT_EQ(x, circle.x);
  EXPECT_EQ(y, circle.y);
  std::string rest((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rest, "\nE 2 1200 900\nE 4 2000 0\nT 0 2300 2400\n");
}

TEST_F(Editor, ScrollingStopsAtTheRightEdgeAndReturnsToZero) {
  ASSERT_TRUE(startediting());
  ASSERT_TRUE(scrolluntilstopped("Right"));
  place("1", 100, 50);  // 2560-pixel level: the view stops at 1920
  ASSERT_TRUE(scrolluntilstopped("Left"));
  place("2", 100, 50);
  EXPECT_EQ(leave(), 0);
  EXPECT_EQ(edited(), FixtureSaved + "T 1 2020 50\nT 2 100 50\n");
}

TEST_F(Editor, FailedSaveReportsSaveErrorAndKeepsTheEarlierFile) {
  if (!canrunwithoutwriteaccess())
    GTEST_SKIP() << "cannot make a directory read-only for the game here (root with no way to "
                    "give up overriding file permissions)";
  const std::string earlier = "S 1 2\n";
  writefile(run + "/leveledited.txt", earlier);
  chmod(run.c_str(), 0555);
  ASSERT_TRUE(startediting({true, false}));
  place("1", 100, 50);
  holdkey("Escape", 0.2);
  EXPECT_EQ(finish(), 2);
  EXPECT_NE(game->errtext().find("Save error"), std::string::npos) << game->errtext();
  EXPECT_EQ(edited(), earlier);
}

}  // namespace
