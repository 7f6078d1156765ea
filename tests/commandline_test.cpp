#include "commandline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "support/testsupport.h"

namespace {

CommandLine read(std::vector<const char*> words) {
  words.insert(words.begin(), "marsflyer");
  return readcommandline(int(words.size()), words.data());
}

// The synopsis of the manual as man renders it, a line per way to start.
std::vector<std::string> synopsis() {
  std::string text;
  const std::string command = "MANWIDTH=200 man -l '" + sourcedir() + "/packaging/marsflyer.6' 2>/dev/null";
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    pclose(p);
  }
  std::vector<std::string> lines;
  std::istringstream in(text.substr(0, text.find("\nDESCRIPTION")));
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (inside && line.find_first_not_of(' ') != std::string::npos) lines.push_back(line.substr(line.find_first_not_of(' ')));
    inside = inside || line == "SYNOPSIS";
  }
  return lines;
}

}  // namespace

TEST(CommandLine, FirstWordPicksWhatRunsAndTheSecondTheLevel) {
  struct Case { std::vector<const char*> words; Mode mode; int level; };
  const Case cases[] = {
      {{}, Mode::Game, 1},
      {{"play", "4"}, Mode::Game, 4},
      {{"window", "3"}, Mode::Window, 3},
      {{"e"}, Mode::Editor, 1},
      {{"edit", "2"}, Mode::Editor, 2},
      {{"e", "abc"}, Mode::Editor, 0},          // atoi: the editor then fails to find level 0
      {{"E", "2"}, Mode::Game, 2},              // only a lower-case e
      {{"-e", "5"}, Mode::Game, 5},
      {{"", "5"}, Mode::Game, 5},
      {{"windows"}, Mode::Game, 1},
      {{"--help"}, Mode::Help, 1},
      {{"--version", "3"}, Mode::Version, 3},
      {{"--helpme"}, Mode::Game, 1},
      {{"-h"}, Mode::Game, 1},
  };
  for (const Case& c : cases) {
    std::string words;
    for (const char* w : c.words) words += std::string(" '") + w + "'";
    SCOPED_TRACE("marsflyer" + words);
    const CommandLine line = read(c.words);
    EXPECT_EQ(line.mode, c.mode);
    EXPECT_EQ(line.level, c.level);
    EXPECT_EQ(answersatonce(line), c.mode == Mode::Help || c.mode == Mode::Version);
  }
}

// --help is the manual's synopsis, a line each, so the two cannot drift apart.
TEST(CommandLine, UsageListsTheManualsSynopsisALineEach) {
  const std::vector<std::string> commands = synopsis();
  ASSERT_EQ(commands.size(), 5u) << "man could not render packaging/marsflyer.6";
  std::istringstream usage(usagetext());
  std::string line;
  for (const std::string& command : commands) {
    ASSERT_TRUE(std::getline(usage, line)) << command;
    EXPECT_EQ(line.find(command + "  "), line.find("marsflyer")) << "\"" << line << "\" against the manual's " << command;
  }
  EXPECT_EQ(usagetext().rfind("Usage: marsflyer", 0), 0u);
}
