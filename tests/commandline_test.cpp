#include "commandline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "support/testsupport.h"

TEST(CommandLine, FirstWordPicksWhatRunsAndTheSecondTheLevel) {
  struct Case { std::vector<const char*> words; Mode mode; int level; };
  const Case cases[] = {
      {{"marsflyer"}, Mode::Game, 1},          {{"marsflyer", "play", "4"}, Mode::Game, 4},
      {{"marsflyer", "window", "3"}, Mode::Window, 3}, {{"marsflyer", "edit", "2"}, Mode::Editor, 2},
      {{"marsflyer", "e", "abc"}, Mode::Editor, 0},    {{"marsflyer", "E", "2"}, Mode::Game, 2},
      {{"marsflyer", "", "5"}, Mode::Game, 5},         {{"marsflyer", "windows"}, Mode::Game, 1},
      {{"marsflyer", "--help"}, Mode::Help, 1},        {{"marsflyer", "--version", "3"}, Mode::Version, 3},
      {{"marsflyer", "--helpme"}, Mode::Game, 1},      {{"marsflyer", "-h"}, Mode::Game, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words.size() > 1 ? std::string("first word '") + c.words[1] + "'" : "no words");
    const CommandLine line = readcommandline(int(c.words.size()), c.words.data());
    EXPECT_EQ(line.mode, c.mode);
    EXPECT_EQ(line.level, c.level);
    EXPECT_EQ(answersatonce(line), c.mode == Mode::Help || c.mode == Mode::Version);
  }
}

// --help is the manual's synopsis, a line each, so the two cannot drift apart.
TEST(CommandLine, UsageListsTheManualsSynopsisALineEach) {
  std::string manual;
  if (FILE* p = popen(("MANWIDTH=200 man -l '" + sourcedir() + "/packaging/marsflyer.6' 2>/dev/null").c_str(), "r")) {
    for (int c; (c = fgetc(p)) != EOF;) manual += char(c);
    pclose(p);
  }
  const size_t from = manual.find("SYNOPSIS\n"), to = manual.find("\nDESCRIPTION");
  ASSERT_TRUE(from != std::string::npos && to != std::string::npos) << "man could not render packaging/marsflyer.6";
  std::istringstream synopsis(manual.substr(from + 9, to - from - 9)), usage(usagetext());
  int commands = 0;
  for (std::string command, line; synopsis >> std::ws && std::getline(synopsis, command); commands++) {
    ASSERT_TRUE(std::getline(usage, line)) << command;
    EXPECT_EQ(line.find(command + "  "), line.find("marsflyer")) << "\"" << line << "\" against the manual's " << command;
  }
  EXPECT_EQ(commands, 5);
  EXPECT_EQ(usagetext().rfind("Usage: marsflyer", 0), 0u);
}
