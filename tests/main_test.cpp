#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/testsupport.h"

namespace {

struct Outcome {
  int status = -1;      // the exit status, or -1 when the game did not exit
  std::string errors;   // what it wrote to the standard error stream
};

// Runs the staged game in `dir` with `env` prefixed (such as "DISPLAY=")
// and a timeout, so a game that wrongly starts up cannot hang the suite.
Outcome rungame(const std::string& dir, const std::string& env = "") {
  std::string command = "cd '" + dir + "' && " + env + " timeout 30 '" + rundir() + "/marsflyer' >/dev/null 2>stderr.txt";
  int raw = std::system(command.c_str());
  Outcome out;
  if (WIFEXITED(raw)) out.status = WEXITSTATUS(raw);
  out.errors = readfile(dir + "/stderr.txt");
  return out;
}

bool hasdisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

std::string lowercase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TEST(Main, WithoutDisplayExitsWithStatusOneNamingTheDisplay) {
  Outcome out = rungame(maketempdir(), "env -u DISPLAY");
  EXPECT_EQ(out.status, 1) << out.errors;
  EXPECT_NE(lowercase(out.errors).find("display"), std::string::npos) << out.errors;
}

TEST(Main, MissingDataFileFailsToLoadWithStatusOne) {
  if (!hasdisplay()) GTEST_SKIP() << "needs an X display (the suite runs under Xvfb)";
  Outcome out = rungame(maketempdir());
  EXPECT_EQ(out.status, 1) << out.errors;
  EXPECT_NE(out.errors.find("Failed to load data."), std::string::npos) << out.errors;
}

// Each damaged copy must end the game with status 1, never a signal (which
// shows as a status other than 1) and never a start-up (the timeout).
TEST(Main, DamagedDataFilesFailToLoadWithStatusOne) {
  if (!hasdisplay()) GTEST_SKIP() << "needs an X display (the suite runs under Xvfb)";
  const std::string good = readfile(rundir() + "/data.dat");
  ASSERT_GT(good.size(), 1000u);
  struct Damage {
    const char* what;
    std::string bytes;
  };
  auto patched = [&](size_t at, const std::string& with) { return good.substr(0, at) + with + good.substr(at + with.size()); };
  const Damage damages[] = {
      {"header only", good.substr(0, 8)},
      {"cut inside the first object", good.substr(0, 40)},
      {"cut in the middle", good.substr(0, good.size() / 2)},
      {"last byte missing", good.substr(0, good.size() - 1)},
      {"object count too large", patched(8, std::string("\x00\x00\x01\x00", 4))},
      {"wrong magic", patched(4, "XLL.")},
      {"property length absurd", patched(20, std::string("\x7f\xff\xff\xff", 4))},
      {"empty file", ""},
  };
  for (const Damage& d : damages) {
    std::string dir = maketempdir();
    writefile(dir + "/data.dat", d.bytes);
    Outcome out = rungame(dir);
    EXPECT_EQ(out.status, 1) << d.what << ": " << out.errors;
    EXPECT_NE(out.errors.find("Failed to load data."), std::string::npos) << d.what << ": " << out.errors;
  }
}
