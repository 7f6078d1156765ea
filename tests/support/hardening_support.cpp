#include "support/hardening_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

std::string writeinput(const uint8_t* data, size_t size, const char* tag) {
  const char* tmp = getenv("TMPDIR");
  std::string path = std::string(tmp ? tmp : "/tmp") + "/marsflyer-fuzz-" + std::to_string(getpid()) + "-" + tag;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}
