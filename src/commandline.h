#pragma once

#include <string>

// The program's command line. The first word decides what runs: "--help"
// and "--version" answer on the standard output and end; a word starting
// with a lower-case e opens the level editor; "window" plays in a window;
// any other word, or none, plays full screen. The second word is a level
// number (atoi; 1 without it): the level to edit, or the highest the main
// menu offers.

enum class Mode { Game, Window, Editor, Help, Version };

struct CommandLine {
  Mode mode = Mode::Game;
  int level = 1;
};

CommandLine readcommandline(int argc, const char* const* argv);

// Whether the command line is answered without starting Allegro.
bool answersatonce(const CommandLine& line);

// The text --help prints: a line for each way to start the program, as the
// manual's synopsis lists them.
std::string usagetext();

// The text --version prints: the game's name and version.
std::string versiontext();

// Prints the answer to --help or --version; returns the exit status: 0, or
// 1 when the standard output cannot take it.
int answer(const CommandLine& line);
