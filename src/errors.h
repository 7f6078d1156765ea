#pragma once

#include <string>

// How the program reports what went wrong: messages on the standard error
// stream, and the file behind a text error.

// Writes msg and a line end to the standard error stream.
void ShowError(const char* msg);

// The second line of a text error: the file it concerns and what was wrong
// with it. The thrown message itself stays the first line.
struct ErrorDetail {
  std::string file;
  std::string what;
};

// Throws `message` as a text error and keeps the file and the fault behind
// it for errordetail.
[[noreturn]] void throwfileerror(const char* message, const std::string& file, const std::string& what);

// The detail kept by the last throwfileerror when it threw this very
// message; empty otherwise.
ErrorDetail errordetail(const char* message);
