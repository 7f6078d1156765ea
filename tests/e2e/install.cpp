// The game as `cmake --install` puts it in a temporary prefix, run from elsewhere with a fresh HOME.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "common.h"
#include "e2e/harness.h"

namespace fs = std::filesystem;
using namespace screens;

namespace {

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

std::set<std::string> lines(const std::string& text) {
  std::set<std::string> set;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) set.insert(line);
  return set;
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

  // Runs the launcher from / with HOME and `env`; without a display it ends once its directory is ready.
  Ran prepare(const std::string& env = "", const std::string& launcher = "") {
    return shell("cd / && env -u DISPLAY HOME=" + shellword(home) + " " + env + " " +
                 shellword(launcher.empty() ? prefix + "/games/marsflyer" : launcher) + " 2>&1");
  }
  void play(const std::string& args) {
    launch("cd / && HOME=" + shellword(home) + " exec " + shellword(prefix + "/games/marsflyer") + " " + args +
           " >" + shellword(dir + "/game.out") + " 2>" + shellword(dir + "/game.err"));
  }
  std::string installedlevel(const std::string& name) { return prefix + "/share/games/marsflyer/levels/" + name; }

  static inline std::string installroot;
  static inline bool installed = false;
  std::string prefix, home, player;
};

}  // namespace

// The Debian package holds the same files below /usr.
TEST_F(Install, PutsEachFileInDebiansPlaceForGames) {
  std::set<std::string> files = levelfiles("share/games/marsflyer/levels/");
  files.insert({"games/marsflyer", "lib/games/marsflyer/marsflyer", "share/games/marsflyer/data.dat",
                "share/man/man6/marsflyer.6.gz", "share/applications/marsflyer.desktop",
                "share/metainfo/org.marsflyer.marsflyer.metainfo.xml", "share/doc/marsflyer/README.md"});
  for (const char* size : {"32x32", "48x48", "64x64", "128x128"})
    files.insert(std::string("share/icons/hicolor/") + size + "/apps/marsflyer.png");
  EXPECT_EQ(filesunder(prefix), files);
  for (const char* program : {"/games/marsflyer", "/lib/games/marsflyer/marsflyer"})
    EXPECT_NE(fs::status(prefix + program).permissions() & fs::perms::others_exec, fs::perms::none) << program;
  // The menu entry passes the validator and names the launcher; the manual renders without a warning.
  const std::string entry = prefix + "/share/applications/marsflyer.desktop";
  Ran valid = shell("desktop-file-validate " + shellword(entry) + " 2>&1");
  EXPECT_TRUE(valid.status == 0 && valid.out.empty()) << valid.out;
  EXPECT_EQ(lines(shell("grep ^Exec= " + shellword(entry)).out),
            (std::set<std::string>{"Exec=" + prefix + "/games/marsflyer", "Exec=" + prefix + "/games/marsflyer window"}));
  Ran man = shell("MANWIDTH=80 man --warnings -l " + shellword(prefix + "/share/man/man6/marsflyer.6.gz") + " 2>&1 >/dev/null");
  EXPECT_TRUE(man.status == 0 && man.out.empty()) << man.out;
  for (const char* size : {"32", "48", "64", "128"}) {
    std::string png = prefix + "/share/icons/hicolor/" + size + "x" + size + "/apps/marsflyer.png";
    EXPECT_EQ(shell("identify -format '%wx%h %[channels]' " + shellword(png)).out, std::string(size) + "x" + size + " srgba");
  }
}

// Without a display the game stops at once, after the launcher readied the player's directory.
TEST_F(Install, LauncherLeavesThePlayersDirectoryToThePlayersOwnLevels) {
  // A copy of the install works from its new place, started through a link from elsewhere.
  const std::string moved = dir + "/moved";
  fs::copy(prefix, moved, fs::copy_options::recursive);
  fs::create_directories(dir + "/bin");
  fs::create_symlink(moved + "/games/marsflyer", dir + "/bin/marsflyer");
  prefix = moved;

  Ran first = prepare("", dir + "/bin/marsflyer");
  EXPECT_EQ(first.status, 1) << first.out;  // the game without a display
  EXPECT_EQ(first.out.rfind("Cannot start Allegro", 0), 0u) << first.out;
  EXPECT_TRUE(fs::is_directory(player + "/levels"));
  EXPECT_EQ(filesunder(player), std::set<std::string>{});  // nothing copied

  // The player's own level 3 is announced, an identical copy of level 4 is not.
  writefile(player + "/levels/level3objects.txt", "S 1 2\n");
  fs::copy_file(installedlevel("level4.txt"), player + "/levels/level4.txt");
  Ran second = prepare("", dir + "/bin/marsflyer");
  EXPECT_EQ(second.out.find("marsflyer: playing your own level " + player + "/levels/level3objects.txt"), 0u)
      << second.out;
  EXPECT_EQ(second.out.find("level4"), std::string::npos) << second.out;
}

// The old launcher copied data.dat and every level there, recording the levels in .installed-levels/.
TEST_F(Install, LauncherClearsAwayTheCopiesAnOldLauncherMadeAndKeepsThePlayersLevels) {
  fs::create_directories(player + "/levels");
  fs::create_directories(player + "/.installed-levels");
  fs::copy_file(prefix + "/share/games/marsflyer/data.dat", player + "/data.dat");
  for (const std::string& level : levelfiles("")) {
    fs::copy_file(installedlevel(level), player + "/levels/" + level);
    fs::copy_file(installedlevel(level), player + "/.installed-levels/" + level);
  }
  writefile(player + "/levels/level5.txt", "1 3 0 0 9 0 0 9\n");
  writefile(player + "/leveledited.txt", "S 1 2\n");
  Ran r = prepare();
  EXPECT_EQ(filesunder(player), (std::set<std::string>{"levels/level5.txt", "leveledited.txt"})) << r.out;
  EXPECT_NE(r.out.find("playing your own level " + player + "/levels/level5.txt"), std::string::npos) << r.out;
}

// A directory, or a link to nothing, where the game reads or writes a file.
TEST_F(Install, LauncherStopsWithThePathWhereAFileIsADirectoryOrALinkToNothing) {
  const std::string levels = player + "/levels/";
  const std::pair<std::string, std::function<void()>> cases[] = {
      {levels + "level2.txt", [&] { fs::create_directories(levels + "level2.txt"); }},
      {levels + "level4objects.txt", [&] { fs::create_symlink(dir + "/gone.txt", levels + "level4objects.txt"); }},
      {player + "/leveledited.txt", [&] { fs::create_directories(player + "/leveledited.txt"); }},
      {player + "/levels", [&] { writefile(player + "/levels", "not a directory"); }},
  };
  for (const auto& [path, make] : cases) {
    SCOPED_TRACE(path);
    fs::remove_all(player);
    fs::create_directories(player + "/levels");
    if (path == player + "/levels") fs::remove(path);
    make();
    Ran r = prepare();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("marsflyer: " + path + " ", 0), 0u) << r.out;
    EXPECT_EQ(r.out.find("Cannot start Allegro"), std::string::npos) << "the game was started: " << r.out;
  }
}

TEST_F(Install, LauncherFindsThePlayersDirectoryThroughXdgDataHomeOrHome) {
  prepare("XDG_DATA_HOME=" + shellword(dir + "/xdg"));
  EXPECT_TRUE(fs::is_directory(dir + "/xdg/marsflyer/levels"));
  EXPECT_FALSE(fs::exists(player));
  prepare("XDG_DATA_HOME=relative/path");  // only an absolute path counts
  EXPECT_TRUE(fs::is_directory(player + "/levels"));
  EXPECT_FALSE(fs::exists("/relative/path"));

  Ran nohome = shell("cd / && env -u DISPLAY -u HOME -u XDG_DATA_HOME " + shellword(prefix + "/games/marsflyer") + " 2>&1");
  EXPECT_EQ(nohome.status, 1);
  EXPECT_EQ(nohome.out, "marsflyer: HOME is not set, so there is no place for the game's files\n");
}

// Also through the launcher, with no HOME and no directory made; a failing output is no answer.
TEST_F(Install, HelpAndVersionAnswerWithoutADisplayOrAHome) {
  for (const std::string& program : {rundir() + "/marsflyer", prefix + "/games/marsflyer"}) {
    const std::string run = "cd / && env -u DISPLAY -u HOME -u XDG_DATA_HOME " + shellword(program);
    Ran help = shell(run + " --help 2>&1"), version = shell(run + " --version 2>&1");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: marsflyer [word [N]] ", 0), 0u) << help.out;
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.rfind("Mars Flyer ", 0) == 0 && lines(version.out).size() == 1) << version.out;
    EXPECT_EQ(shell(run + " --version >/dev/full 2>/dev/null").status, 1);
  }
  EXPECT_FALSE(fs::exists(home + "/.local"));
}

// Two players' games started at once on a first run, ten times: both start and end by the signal.
TEST_F(Install, LauncherPairsStartedAtOnceBothStart) {
  auto windows = [] { return lines(shell("xdotool search --onlyvisible --class '^marsflyer$' 2>/dev/null").out).size(); };
  for (int pair = 0; pair < 10; pair++) {
    SCOPED_TRACE("pair " + std::to_string(pair));
    const std::string fresh = dir + "/pair" + std::to_string(pair), errs[2] = {fresh + "/0.err", fresh + "/1.err"};
    fs::create_directories(fresh);
    pid_t pids[2];
    auto start = [&](int i) {
      if ((pids[i] = fork()) == 0) {
        const std::string command = "cd / && HOME=" + shellword(fresh) + " exec " + shellword(installroot) +
                                    "/games/marsflyer window >/dev/null 2>" + shellword(errs[i]);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
      }
    };
    start(0), start(1);
    // A game Xvfb refused (see E2ETest::launch) is started again, as a player would.
    for (double end = now() + 20, again = 0; windows() < 2 && now() < end; sleepfor(0.1))
      for (int i = 0, st = 0; i < 2; i++)
        if (again < 3 && waitpid(pids[i], &st, WNOHANG) == pids[i] &&
            readfile(errs[i]).find("no display available") != std::string::npos)
          again++, start(i);
    EXPECT_EQ(windows(), 2u) << readfile(errs[0]) << readfile(errs[1]);
    for (int i = 0; i < 2; i++) {
      int st = 0;
      kill(pids[i], SIGTERM);
      waitpid(pids[i], &st, 0);
      EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGTERM) << "status " << st << ": " << readfile(errs[i]);
      EXPECT_EQ(readfile(errs[i]).find("marsflyer:"), std::string::npos) << readfile(errs[i]);
    }
    EXPECT_EQ(filesunder(fresh + "/.local/share/marsflyer"), std::set<std::string>{});
    sleepfor(0.5);  // Xvfb may refuse a client that comes straight after one it lost
  }
}

// The installed data and levels are read, the player's own level 2 instead of the installed one;
// the editor saves in the player's directory, and nothing on a signal.
TEST_F(Install, InstalledGameShowsTheMenuAndEditsThePlayersOwnLevelInTheirDirectory) {
  play("");
  ASSERT_TRUE(waitfor("main menu of the installed game", mainmenu));
  ASSERT_TRUE(press(QuitButton, mainmenu));
  EXPECT_EQ(finish(), 0) << readfile(dir + "/game.err");

  play("e 1");  // the installed level 1
  ASSERT_TRUE(waitfor("editor on the installed level 1", cave));
  kill(pid, SIGTERM);
  EXPECT_EQ(finish(), 128 + SIGTERM);
  EXPECT_EQ(filesunder(player), std::set<std::string>{});
  sleepfor(0.5);

  const std::string objects = "S 320 200\nT 5 320 258\nT 0 520 258\nT 1 420 258\n";
  writefile(player + "/levels/level2.txt", "1 4 100 100 700 100 700 257 100 257\n");
  writefile(player + "/levels/level2objects.txt", objects);
  play("e 2");
  ASSERT_TRUE(waitfor("editor on level 2", cave));
  EXPECT_EQ(finishholding("Escape"), 0) << readfile(dir + "/game.err");
  EXPECT_EQ(lines(readfile(player + "/leveledited.txt")), lines(objects));
  EXPECT_FALSE(fs::exists("/leveledited.txt"));
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
