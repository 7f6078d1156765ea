#include "support/fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "manager.h"

std::string writeinput(const void* data, size_t size, const char* tag) {
  const char* tmp = getenv("TMPDIR");
  const std::string path = std::string(tmp ? tmp : "/tmp") + "/marsflyer-fuzz-" + std::to_string(getpid()) + "-" + tag;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(static_cast<const char*>(data), std::streamsize(size));
  return path;
}

std::string quietly(const std::function<void()>& load) {
  std::ostringstream trace;
  std::streambuf* saved = std::cout.rdbuf(trace.rdbuf());
  std::string error;
  try {
    load();
  } catch (const char* message) {
    error = message;
  }
  std::cout.rdbuf(saved);
  return error;
}

void playframes(int count) {
  for (int i = 0; i < count; i++) {
    tickall(0.05f);
    track();
    drawobjects();
    restorerects();
  }
}
