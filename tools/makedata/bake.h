#pragma once

#include <string>
#include <vector>

#include "makedata/datawriter.h"

// Every object of data.dat in file order, generated afresh. Needs Allegro
// installed (any system driver) for its memory bitmaps.
std::vector<DataObject> bakeentries();

// Bakes data.dat to `path`; false with a reason when it cannot be written.
bool bakedatafile(const char* path, std::string& why);
