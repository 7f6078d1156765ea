#include "support/fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>

#include "manager.h"

std::string writeinput(const void* data, size_t size, const char* tag) {
  // One file in memory per tag, named through /proc: a fault that stops the process leaves nothing.
  static std::map<std::string, int> files;
  int& fd = files.try_emplace(tag, -1).first->second;
  if (fd < 0 && (fd = memfd_create(tag, 0)) < 0) abort();
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) abort();
  return "/proc/self/fd/" + std::to_string(fd);
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
