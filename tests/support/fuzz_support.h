#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Helpers of the fuzz targets and of the corpus regression tests.

// Puts a fuzz input in an in-memory file of this process for `tag` (the loaders take file
// names) and returns its name, good until the next input of the same tag.
std::string writeinput(const void* data, size_t size, const char* tag);

// Runs a loader with std::cout swallowed (the objects reader traces records); what it threw, or "".
std::string quietly(const std::function<void()>& load);

// Plays `count` frames of the world: ticks, camera, drawing, restoring.
void playframes(int count);
