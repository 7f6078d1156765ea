#include "textfile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "errors.h"
#include "support/testsupport.h"

namespace fs = std::filesystem;

namespace {

// Saves `text` to `path` through savetextfile: "" when it saved, else the
// error with the fault named on its second line.
std::string save(const std::string& path, const std::string& text) {
  try {
    savetextfile(path.c_str(), [&text](std::ostream& out) { out << text; });
  } catch (const char* message) {
    return std::string(message) + " | " + errordetail(message).what;
  }
  return "";
}

}  // namespace

TEST(SaveText, SavesThroughLinksAndKeepsThemLinks) {
  const fs::path dir = maketempdir();
  fs::create_directories(dir / "real");
  writefile(dir / "real" / "a.txt", "old\n");
  fs::permissions(dir / "real" / "a.txt", fs::perms(0640));
  // A relative link to a link, each resolved from its own directory, and a
  // link to a file not there yet.
  fs::create_symlink("real/a.txt", dir / "inner");
  fs::create_symlink(dir / "inner", dir / "outer");
  fs::create_symlink("real/b.txt", dir / "dangling");
  EXPECT_EQ(save(dir / "outer", "S 1 2\n") + save(dir / "dangling", "T 0 1 2\n"), "");
  for (const char* link : {"outer", "inner", "dangling"}) EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
  EXPECT_EQ(readfile(dir / "real" / "a.txt") + readfile(dir / "real" / "b.txt"), "S 1 2\nT 0 1 2\n");
  EXPECT_EQ(fs::status(dir / "real" / "a.txt").permissions(), fs::perms(0640));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), {}), 2) << "a temporary file left behind";
}

TEST(SaveText, ReadOnlyFilesDirectoriesAndLinkLoopsAreRefused) {
  const fs::path dir = maketempdir();
  writefile(dir / "a.txt", "old\n");
  fs::permissions(dir / "a.txt", fs::perms(0444));  // refused even to root
  fs::create_symlink("a.txt", dir / "link");
  fs::create_symlink("loop", dir / "loop");
  EXPECT_EQ(save(dir / "link", ""), "Save error | the file is read-only");
  EXPECT_EQ(readfile(dir / "a.txt"), "old\n");
  EXPECT_EQ(save(dir, ""), "Save error | not a plain file");
  EXPECT_EQ(save(dir / "loop", ""), "Save error | too many symbolic links");
  // Forty links are followed, the forty-first is taken for a loop.
  for (int i = 1; i <= 41; i++) fs::create_symlink(i < 41 ? "c" + std::to_string(i + 1) : "b.txt", dir / ("c" + std::to_string(i)));
  EXPECT_EQ(save(dir / "c2", "") + "|" + save(dir / "c1", ""), "|Save error | too many symbolic links");
}


namespace {

// What a directory holds, by name: "f" a plain file, "l" a link, "p" a
// pipe, "d" a directory.
std::string listing(const fs::path& dir) {
  std::string all;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    const fs::file_type type = e.symlink_status().type();
    all += e.path().filename().string() + ":" +
           (type == fs::file_type::regular ? "f" : type == fs::file_type::symlink ? "l" : type == fs::file_type::fifo ? "p" : "d") + " ";
  }
  return all;
}

// Plants a link to `victim` ('l'), a pipe ('p') or a directory ('d') at
// `name`.
void plant(char kind, const std::string& name, const fs::path& victim) {
  if (kind == 'l') fs::create_symlink(victim, name);
  if (kind == 'p') {
    ASSERT_EQ(mkfifo(name.c_str(), 0644), 0);
  }
  if (kind == 'd') fs::create_directory(name);
}

// The names a save of `target` would use first: the old fixed one, then
// this process's.
std::vector<std::string> temporarynames(const fs::path& target) {
  const std::string unique = target.string() + "." + std::to_string(getpid());
  return {target.string() + ".tmp", unique + ".tmp", unique + "-1.tmp", unique + "-2.tmp"};
}

}  // namespace

// A name planted where the save makes its temporary file is never written
// through, opened or removed: the save goes round it.
TEST(SaveText, PlantedLinksPipesAndDirectoriesAreLeftAlone) {
  for (char kind : {'l', 'p', 'd'}) {
    const fs::path dir = maketempdir(), target = dir / "leveledited.txt", victim = dir / "victim.txt";
    writefile(target, "old\n");
    writefile(victim, "someone else's\n");
    for (const std::string& name : temporarynames(target)) plant(kind, name, victim);
    const std::string planted = listing(dir);
    EXPECT_EQ(save(target, "S 1 2\n"), "") << kind;
    EXPECT_EQ(readfile(target), "S 1 2\n") << kind;
    EXPECT_EQ(readfile(victim), "someone else's\n") << kind;
    EXPECT_EQ(listing(dir), planted) << kind << ": the planted names changed, or a temporary file was left";
  }
}

// A save that fails half way (here a write beyond the size a process may
// write) removes its own temporary file and nothing else.
TEST(SaveText, AFailedWriteRemovesOnlyItsOwnTemporaryFile) {
  const fs::path dir = maketempdir(), target = dir / "leveledited.txt";
  writefile(target, "old\n");
  const std::vector<std::string> names = temporarynames(target);
  plant('l', names[0], dir / "victim.txt");
  plant('p', names[1], "");
  plant('d', names[2], "");
  const std::string planted = listing(dir);
  struct rlimit was;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  struct rlimit small = was;
  small.rlim_cur = 8;
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string said = save(target, std::string(100, 'x'));
  setrlimit(RLIMIT_FSIZE, &was);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(said.rfind("Save error | cannot write " + target.string() + ".", 0), 0u) << said;
  EXPECT_NE(said.find("File too large"), std::string::npos) << said;
  EXPECT_EQ(readfile(target), "old\n");
  EXPECT_EQ(listing(dir), planted);
}
