#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Helpers of the fuzz targets and of the corpus regression tests.

// Puts a fuzz input in this process's own file for `tag` (the loaders only
// take file names) and returns its name, good until the next input of the
// same tag. The file lives in memory and goes with the process.
std::string writeinput(const void* data, size_t size, const char* tag);

// Runs a loader with std::cout swallowed (the objects reader traces every
// record); returns the message it threw, or "".
std::string quietly(const std::function<void()>& load);

// Plays `count` frames of the world: ticks, camera, drawing, restoring.
void playframes(int count);
