#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/testsupport.h"

namespace fs = std::filesystem;

namespace {

// A tiny project whose `stage` target puts its levels/ into build/run/levels/ as the game's does.
struct StagedProject {
  const std::string top = maketempdir(), repo = top + "/levels", staged = top + "/build/run/levels";

  StagedProject() {
    fs::create_directories(repo);
    writefile(top + "/CMakeLists.txt",
              "cmake_minimum_required(VERSION 3.18)\nproject(stagetest NONE)\n"
              "include(" + sourcedir() + "/scripts/stagelevels.cmake)\n"
              "stagelevelscommand(stage_levels " + repo + " " + staged + " ${CMAKE_BINARY_DIR}/stagedlevels)\n"
              "add_custom_target(stage ALL COMMAND ${stage_levels})\n");
  }
  ~StagedProject() { fs::remove_all(top); }

  // Configures on the first call; returns what the build wrote.
  std::string build() {
    std::string command = "cmake --build " + top + "/build >" + top + "/log 2>&1";
    if (!fs::exists(top + "/build/CMakeCache.txt"))
      command = "cmake -S " + top + " -B " + top + "/build >/dev/null && " + command;
    EXPECT_EQ(std::system(command.c_str()), 0) << readfile(top + "/log");
    return readfile(top + "/log");
  }
};

bool warnsabout(const std::string& out, const std::string& path) {
  return out.find("Warning: kept the changed level " + path) != std::string::npos;
}

}  // namespace

TEST(StageLevels, ALevelChangedBesideTheGameSurvivesEveryBuildWithAWarningUntilCopiedBack) {
  StagedProject p;
  const std::string map = p.staged + "/level1.txt", objects = p.staged + "/level1objects.txt";
  writefile(p.repo + "/level1.txt", "1 3 0 0 9 0 0 9\n");
  writefile(p.repo + "/level1objects.txt", "S 1 2\n");
  p.build();
  writefile(objects, "S 5 6\n");                     // the designer's edit
  writefile(p.repo + "/level1.txt", "0\n");           // while the repository moves on,
  writefile(p.repo + "/level1objects.txt", "S 3 4\n");  // under the edit too
  std::string out = p.build();
  EXPECT_TRUE(warnsabout(out, objects)) << out;
  EXPECT_FALSE(warnsabout(out, map)) << out;
  EXPECT_EQ(readfile(objects), "S 5 6\n");
  EXPECT_EQ(readfile(map), "0\n");

  fs::copy_file(objects, p.repo + "/level1objects.txt", fs::copy_options::overwrite_existing);
  EXPECT_EQ(p.build().find("Warning"), std::string::npos);
  writefile(p.repo + "/level1objects.txt", "S 7 8\n");  // copied back, it follows the repository again
  fs::remove(map);
  EXPECT_EQ(p.build().find("Warning"), std::string::npos);
  EXPECT_EQ(readfile(objects), "S 7 8\n");
  EXPECT_EQ(readfile(map), "0\n");
}

// Staged before builds kept a record: a staged level that differs is the designer's when newer.
TEST(StageLevels, WithoutARecordADifferingLevelIsKeptWhenNewer) {
  StagedProject p;
  const auto now = fs::file_time_type::clock::now();
  for (int hours : {-1, 1}) {
    const std::string name = "/level" + std::to_string(hours + 2) + "objects.txt";
    writefile(p.repo + name, "S 1 2\n");
    fs::create_directories(p.staged);
    writefile(p.staged + name, "S 5 6\n");
    fs::last_write_time(p.repo + name, now + std::chrono::hours(hours));
  }
  EXPECT_TRUE(warnsabout(p.build(), p.staged + "/level1objects.txt"));
  EXPECT_EQ(readfile(p.staged + "/level1objects.txt"), "S 5 6\n");
  EXPECT_EQ(readfile(p.staged + "/level3objects.txt"), "S 1 2\n");
}
