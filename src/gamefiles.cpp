#include "gamefiles.h"

#include <cstdlib>
#include <filesystem>

const char* const DataDirectoryVariable = "MARSFLYER_DATA";

namespace {

// The installed data directory with a slash after it; empty when none is named.
std::string datadirectory() {
  const char* dir = std::getenv(DataDirectoryVariable);
  if (!dir || !*dir) return "";
  std::string d = dir;
  return d.back() == '/' ? d : d + "/";
}

}  // namespace

std::string datafilepath() { return datadirectory() + "data.dat"; }

std::string levelfilepath(const std::string& name) {
  const std::string dir = datadirectory();
  std::error_code error;
  if (dir.empty() || std::filesystem::symlink_status(name, error).type() != std::filesystem::file_type::not_found)
    return name;
  return dir + name;
}
