#include "gamefiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/testsupport.h"

namespace fs = std::filesystem;

namespace {

// Names the data directory for as long as it lives.
class DataDirectory {
 public:
  explicit DataDirectory(const char* dir) {
    if (dir) setenv(DataDirectoryVariable, dir, 1);
    else unsetenv(DataDirectoryVariable);
  }
  ~DataDirectory() { unsetenv(DataDirectoryVariable); }
};

}  // namespace

TEST(GameFiles, WithoutADataDirectoryEverythingIsReadFromTheWorkingDirectory) {
  for (const char* unnamed : {static_cast<const char*>(nullptr), ""}) {
    DataDirectory data(unnamed);
    EXPECT_EQ(datafilepath(), "data.dat");
    EXPECT_EQ(levelfilepath("levels/level3.txt"), "levels/level3.txt");
  }
}

// The launcher's case: data.dat always installed, a level the player's own
// whatever lies at its name (the game then says what is wrong with it).
TEST(GameFiles, ThePlayersLevelWinsOverTheInstalledOneAndDataIsAlwaysInstalled) {
  const std::string player = maketempdir();
  InDirectory in(player);
  fs::create_directories("levels/level4objects.txt");
  writefile("levels/level2.txt", "mine");
  writefile("data.dat", "a stray copy");
  fs::create_symlink("nowhere.txt", "levels/level5.txt");
  for (const std::string installed : {"/usr/share/games/marsflyer", "/usr/share/games/marsflyer/"}) {
    SCOPED_TRACE(installed);
    DataDirectory data(installed.c_str());
    EXPECT_EQ(datafilepath(), "/usr/share/games/marsflyer/data.dat");
    EXPECT_EQ(levelfilepath("levels/level1.txt"), "/usr/share/games/marsflyer/levels/level1.txt");
    EXPECT_EQ(levelfilepath("levels/level2.txt"), "levels/level2.txt");
    EXPECT_EQ(levelfilepath("levels/level4objects.txt"), "levels/level4objects.txt");
    EXPECT_EQ(levelfilepath("levels/level5.txt"), "levels/level5.txt");
  }
}
