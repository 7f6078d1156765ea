// The game as a player installs it: `cmake --install` into a temporary
// prefix, the launcher run from elsewhere with a fresh HOME, the Debian
// package's files and dependencies, a build without GoogleTest, and the
// game in a window.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>

#include "common.h"
#include "data.h"
#include "e2e/harness.h"
#include "gamedata.h"

namespace fs = std::filesystem;

namespace {

// A shell command's standard output and its exit status.
struct Ran { std::string out; int status; };
Ran shell(const std::string& command) {
  Ran r{"", -1};
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  return r;
}

std::string shellword(const std::string& s) { return "'" + s + "'"; }

// Every file and symbolic link below `root`, as paths relative to it.
std::set<std::string> filesunder(const std::string& root) {
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (!e.is_directory() || e.is_symlink()) files.insert(fs::relative(e.path(), root).string());
  return files;
}

std::set<std::string> levelfiles(const std::string& dir) {
  std::set<std::string> files;
  for (int n = 1; n <= NumLevels; n++)
    for (const char* kind : {".txt", "objects.txt"}) files.insert(dir + "level" + std::to_string(n) + kind);
  return files;
}

// What an install holds below its prefix; the Debian package holds the same below /usr.
std::set<std::string> installedfiles() {
  std::set<std::string> files = levelfiles("share/games/marsflyer/levels/");
  files.insert({"games/marsflyer", "lib/games/marsflyer/marsflyer", "share/games/marsflyer/data.dat",
                "share/man/man6/marsflyer.6.gz", "share/applications/marsflyer.desktop",
                "share/doc/marsflyer/README.md"});
  for (const char* size : {"32x32", "48x48", "64x64", "128x128"})
    files.insert(std::string("share/icons/hicolor/") + size + "/apps/marsflyer.png");
  return files;
}

std::set<std::string> lines(const std::string& text) {
  std::set<std::string> set;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) set.insert(line);
  return set;
}

// The desktop entry passes the validator and names the launcher under `prefix`;
// the man page renders without a warning.
void checkdesktopandman(const std::string& root, const std::string& prefix) {
  const std::string entry = root + "/share/applications/marsflyer.desktop";
  Ran valid = shell("desktop-file-validate " + shellword(entry) + " 2>&1");
  EXPECT_EQ(valid.status, 0) << valid.out;
  EXPECT_TRUE(valid.out.empty()) << valid.out;
  EXPECT_EQ(lines(shell("grep ^Exec= " + shellword(entry)).out),
            (std::set<std::string>{"Exec=" + prefix + "/games/marsflyer", "Exec=" + prefix + "/games/marsflyer window"}));
  Ran man = shell("MANWIDTH=80 man --warnings -l " + shellword(root + "/share/man/man6/marsflyer.6.gz") + " 2>&1 >/dev/null");
  EXPECT_EQ(man.status, 0);
  EXPECT_EQ(man.out, "");
}

FONT* df() { return static_cast<FONT*>(datafile[DataFont].dat); }

bool mainmenu(BITMAP* s) {
  return showstext(s, df(), "Background", 8, 128) && showstext(s, df(), "Start Level", 8, 360);
}

// The editor has drawn the level: no dialog's brown, and not all black.
bool editing(BITMAP* s) {
  return fractionof(s, {0, 0, 640, 480}, 80, 60, 0, 8) < 0.05 && fractionof(s, {0, 0, 640, 480}, 0, 0, 0, 4) < 0.9;
}

// One install for every test here, of the build these tests belong to.
class Install : public E2ETest {
 protected:
  static void SetUpTestSuite() {
    installroot = maketempdir() + "/prefix";
    Ran r = shell("cmake --install " + shellword(MARSFLYER_BIN_DIR) + " --prefix " + shellword(installroot) + " 2>&1");
    installed = r.status == 0;
    if (!installed) std::cout << r.out;
  }

  void SetUp() override {
    E2ETest::SetUp();
    ASSERT_TRUE(installed) << "cmake --install failed";
    prefix = installroot;
    home = dir + "/home";
    fs::create_directories(home);
    player = home + "/.local/share/marsflyer";
  }

  // Runs the launcher from the root directory with HOME set to `home`,
  // `env` before it; without a display it ends once its directory is ready.
  Ran prepare(const std::string& env = "", const std::string& launcher = "") {
    return shell("cd / && env -u DISPLAY HOME=" + shellword(home) + " " + env + " " +
                 shellword(launcher.empty() ? prefix + "/games/marsflyer" : launcher) + " 2>&1");
  }
  void play(const std::string& args) {
    launch("cd / && HOME=" + shellword(home) + " exec " + shellword(prefix + "/games/marsflyer") + " " + args +
           " >" + shellword(dir + "/game.out") + " 2>" + shellword(dir + "/game.err"));
  }
  std::string installedlevel(const std::string& name) { return prefix + "/share/games/marsflyer/levels/" + name; }

  static std::string installroot;
  static bool installed;
  std::string prefix, home, player;
};

std::string Install::installroot;
bool Install::installed = false;

}  // namespace

TEST_F(Install, PutsEachFileInDebiansPlaceForGames) {
  EXPECT_EQ(filesunder(prefix), installedfiles());
  for (const char* program : {"/games/marsflyer", "/lib/games/marsflyer/marsflyer"})
    EXPECT_NE(fs::status(prefix + program).permissions() & fs::perms::others_exec, fs::perms::none) << program;
  checkdesktopandman(prefix, prefix);
  for (const char* size : {"32", "48", "64", "128"}) {
    std::string png = prefix + "/share/icons/hicolor/" + size + "x" + size + "/apps/marsflyer.png";
    EXPECT_EQ(shell("identify -format '%wx%h %[channels]' " + shellword(png)).out, std::string(size) + "x" + size + " srgba");
  }
}

// Without a display the game stops at once, after the launcher has made the
// player's directory, so the copying can be watched run by run.
TEST_F(Install, LauncherCopiesTheLevelsKeepsThePlayersOwnAndFollowsAnUpgrade) {
  // A copy of the install works from its new place, started through a link from elsewhere.
  const std::string moved = dir + "/moved";
  fs::copy(prefix, moved, fs::copy_options::recursive);
  fs::create_directories(dir + "/bin");
  fs::create_symlink(moved + "/games/marsflyer", dir + "/bin/marsflyer");
  prefix = moved;

  Ran first = prepare("", dir + "/bin/marsflyer");
  EXPECT_EQ(first.status, 1) << first.out;  // the game without a display
  EXPECT_NE(first.out.find("Cannot start Allegro"), std::string::npos) << first.out;
  std::set<std::string> expected = levelfiles("levels/");
  for (const std::string& f : levelfiles(".installed-levels/")) expected.insert(f);
  expected.insert("data.dat");
  ASSERT_EQ(filesunder(player), expected);  // copies only: a cp into it never reaches the installed files
  EXPECT_EQ(readfile(player + "/levels/level2objects.txt"), readfile(installedlevel("level2objects.txt")));
  EXPECT_EQ(readfile(player + "/data.dat"), readfile(prefix + "/share/games/marsflyer/data.dat"));

  // The player edits level 3 and deletes level 4's cave; an upgrade changes levels 2 and 3.
  writefile(player + "/levels/level3objects.txt", "S 1 2\n");
  fs::remove(player + "/levels/level4.txt");
  writefile(installedlevel("level2objects.txt"), "S 3 4\n");
  writefile(installedlevel("level3objects.txt"), "S 5 6\n");
  Ran second = prepare("", dir + "/bin/marsflyer");
  EXPECT_EQ(readfile(player + "/levels/level2objects.txt"), "S 3 4\n");
  EXPECT_EQ(readfile(player + "/levels/level3objects.txt"), "S 1 2\n");
  EXPECT_NE(second.out.find("playing your own level " + player + "/levels/level3objects.txt"), std::string::npos)
      << second.out;
  EXPECT_EQ(readfile(player + "/levels/level4.txt"), readfile(installedlevel("level4.txt")));

  // Back to the installed level 3: it is untouched again and follows the next upgrade.
  fs::copy_file(installedlevel("level3objects.txt"), player + "/levels/level3objects.txt",
                fs::copy_options::overwrite_existing);
  Ran third = prepare("", dir + "/bin/marsflyer");
  EXPECT_EQ(third.out.find("playing your own"), std::string::npos) << third.out;
  writefile(installedlevel("level3objects.txt"), "S 7 8\n");
  prepare("", dir + "/bin/marsflyer");
  EXPECT_EQ(readfile(player + "/levels/level3objects.txt"), "S 7 8\n");
}

TEST_F(Install, LauncherFindsThePlayersDirectoryThroughXdgDataHomeOrHome) {
  prepare("XDG_DATA_HOME=" + shellword(dir + "/xdg"));
  EXPECT_TRUE(fs::exists(dir + "/xdg/marsflyer/data.dat"));
  EXPECT_FALSE(fs::exists(player));
  prepare("XDG_DATA_HOME=relative/path");  // only an absolute path counts
  EXPECT_TRUE(fs::exists(player + "/data.dat"));
  EXPECT_FALSE(fs::exists("/relative/path"));

  Ran nohome = shell("cd / && env -u DISPLAY -u HOME -u XDG_DATA_HOME " + shellword(prefix + "/games/marsflyer") + " 2>&1");
  EXPECT_EQ(nohome.status, 1);
  EXPECT_EQ(nohome.out, "marsflyer: HOME is not set, so there is no place for the game's files\n");
}

// The player's own level 2 is the one the editor opens, and the editor
// saves beside it.
TEST_F(Install, InstalledGameShowsTheMenuAndEditsThePlayersOwnLevelInTheirDirectory) {
  play("");
  ASSERT_TRUE(waitfor("main menu of the installed game", mainmenu));
  ASSERT_TRUE(press(QuitButton, mainmenu));
  EXPECT_EQ(finish(), 0) << readfile(dir + "/game.err");

  const std::string objects = "S 320 200\nT 5 320 258\nT 0 520 258\nT 1 420 258\n";
  writefile(player + "/levels/level2.txt", "1 4 100 100 700 100 700 257 100 257\n");
  writefile(player + "/levels/level2objects.txt", objects);
  play("e 2");
  ASSERT_TRUE(waitfor("editor on level 2", editing));
  sleepfor(0.8);
  holdkey("Escape");
  EXPECT_EQ(finish(), 0) << readfile(dir + "/game.err");
  EXPECT_EQ(lines(readfile(player + "/leveledited.txt")), lines(objects));
  EXPECT_FALSE(fs::exists("/leveledited.txt"));
}

// A package built from this build: the install's files under /usr, and the
// libraries the program needs as dependencies.
TEST(Package, DebHoldsTheInstallUnderUsrAndDependsOnItsLibraries) {
  const std::string out = maketempdir();
  Ran cpack = shell("cd " + shellword(MARSFLYER_BIN_DIR) + " && cpack -G DEB -B " + shellword(out) + " 2>&1");
  ASSERT_EQ(cpack.status, 0) << cpack.out;
  std::string deb;
  for (const auto& e : fs::directory_iterator(out))
    if (e.path().extension() == ".deb") deb = e.path();
  ASSERT_FALSE(deb.empty()) << cpack.out;

  const std::string root = out + "/root";
  ASSERT_EQ(shell("dpkg-deb -x " + shellword(deb) + " " + shellword(root)).status, 0);
  std::set<std::string> expected;
  for (const std::string& f : installedfiles()) expected.insert("usr/" + f);
  EXPECT_EQ(filesunder(root), expected);
  checkdesktopandman(root + "/usr", "/usr");
  EXPECT_NE(shell("file " + shellword(root + "/usr/lib/games/marsflyer/marsflyer")).out.find(", stripped"), std::string::npos);

  auto field = [&deb](const char* name) { return shell("dpkg-deb -f " + shellword(deb) + " " + name).out; };
  EXPECT_EQ(field("Package"), "marsflyer\n");
  EXPECT_EQ(field("Section"), "games\n");
  const std::string depends = field("Depends");
  for (const char* lib : {"liballegro4.4 ", "libc6 ", "libstdc++6 "})
    EXPECT_NE(depends.find(lib), std::string::npos) << lib << " in " << depends;
}

// ./play builds the game on a machine without GoogleTest.
TEST(Build, ConfiguresTheGameWithoutGoogleTest) {
  const std::string build = maketempdir();
  Ran configure = shell("cmake -S " + shellword(sourcedir()) + " -B " + shellword(build) +
                        " -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON 2>&1");
  ASSERT_EQ(configure.status, 0) << configure.out;
  const std::string targets = shell("cmake --build " + shellword(build) + " --target help").out;
  for (const char* target : {"marsflyer", "makedata", "levelcheck", "stage", "packaging"})
    EXPECT_NE(targets.find("... " + std::string(target) + "\n"), std::string::npos) << target;
  EXPECT_EQ(targets.find("unit_tests"), std::string::npos);
  EXPECT_EQ(targets.find("e2e_tests"), std::string::npos);
}

class WindowMode : public E2ETest {};

// Full screen, Allegro's picture lies in an override-redirect window that a
// window manager never sees; in a window, a top-level one of 640 x 480.
TEST_F(WindowMode, WindowWordMapsATopLevelWindowAndTheGameRunsInIt) {
  auto visible = [] { return shell("xdotool search --onlyvisible --name '^marsflyer$' 2>/dev/null").out; };
  start("");
  ASSERT_TRUE(waitfor("main menu full screen", mainmenu));
  EXPECT_EQ(visible(), "");
  killgame();
  sleepfor(1);  // Xvfb may refuse a client that comes straight after one it lost

  start("window 3");
  ASSERT_TRUE(waitfor("main menu in a window", [](BITMAP* s) { return mainmenu(s) && startfield(s, "3"); }));
  const std::string window = visible();
  ASSERT_FALSE(window.empty());
  const std::string info = shell("xwininfo -id " + window.substr(0, window.find('\n'))).out;
  EXPECT_NE(info.find("Map State: IsViewable"), std::string::npos) << info;
  EXPECT_NE(info.find("Override Redirect State: no"), std::string::npos) << info;
  EXPECT_NE(info.find("Width: 640\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Height: 480\n"), std::string::npos) << info;
  holdkey("Escape");
  EXPECT_EQ(finish(), 0);
}
