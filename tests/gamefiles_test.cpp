#include "gamefiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/testsupport.h"

// Without a data directory all is read in the working directory. With one (the launcher's case)
// data.dat is the installed one, and a level the player's whatever lies at its name.
TEST(GameFiles, ThePlayersLevelWinsOverTheInstalledOneAndDataIsAlwaysInstalled) {
  const std::string player = maketempdir();
  InDirectory in(player);
  std::filesystem::create_directories("levels/level4objects.txt");
  writefile("levels/level2.txt", "mine");
  writefile("data.dat", "a stray copy");
  std::filesystem::create_symlink("nowhere.txt", "levels/level5.txt");
  for (const char* installed : {"", "/usr/share/games/marsflyer", "/usr/share/games/marsflyer/"}) {
    SCOPED_TRACE(installed);
    setenv(DataDirectoryVariable, installed, 1);
    const std::string dir = *installed ? "/usr/share/games/marsflyer/" : "";
    EXPECT_EQ(datafilepath(), dir + "data.dat");
    EXPECT_EQ(levelfilepath("levels/level1.txt"), dir + "levels/level1.txt");
    for (const char* mine : {"levels/level2.txt", "levels/level4objects.txt", "levels/level5.txt"})
      EXPECT_EQ(levelfilepath(mine), mine);
  }
  unsetenv(DataDirectoryVariable);
  EXPECT_EQ(datafilepath(), "data.dat");
}
