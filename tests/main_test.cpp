#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/testsupport.h"

namespace {

// Runs the staged game in `dir` under a timeout, in case it wrongly starts; its status (-1: a signal).
int rungame(const std::string& dir, std::string& errors, const std::string& env = "") {
  std::string command = "cd '" + dir + "' && " + env + " timeout 30 '" + rundir() + "/marsflyer' >/dev/null 2>stderr.txt";
  int raw = std::system(command.c_str());
  errors = readfile(dir + "/stderr.txt");
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

// Status 1 and a message: never a crash (a signal, or timeout's 128 + it) nor a start (124).
TEST(Main, NoDisplayOrMissingOrDamagedDataExitsWithStatusOne) {
  std::string errors;
  EXPECT_EQ(rungame(maketempdir(), errors, "env -u DISPLAY"), 1) << errors;
  EXPECT_NE(errors.find("display"), std::string::npos) << errors;
  if (const char* why = ensuredisplay()) FAIL() << why;
  const std::string good = readfile(rundir() + "/data.dat");
  auto patched = [&](size_t at, const std::string& with) { return good.substr(0, at) + with + good.substr(at + with.size()); };
  // Every kind of damage the file check knows is pinned by the DataFile tests; these reach it here.
  const std::pair<const char*, std::string> cases[] = {
      {"missing", ""}, {"last byte missing", good.substr(0, good.size() - 1)}, {"wrong magic", patched(4, "XLL.")}};
  for (const auto& [what, bytes] : cases) {
    std::string dir = maketempdir();
    if (std::string(what) != "missing") writefile(dir + "/data.dat", bytes);
    EXPECT_EQ(rungame(dir, errors), 1) << what << ": " << errors;
    EXPECT_NE(errors.find("Failed to load data."), std::string::npos) << what << ": " << errors;
  }
}
