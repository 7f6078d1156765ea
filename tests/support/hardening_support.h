#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Helpers of the fuzz targets.

// Writes a fuzz input to a file of this process's own in the temporary
// directory (one per `tag`, reused input after input) and returns its path:
// the loaders only take file names. The caller removes it.
std::string writeinput(const uint8_t* data, size_t size, const char* tag);
