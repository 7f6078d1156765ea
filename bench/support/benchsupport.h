#pragma once

#include <string>
#include <vector>

// Helpers shared by the benchmarks: display set-up, clocks and memory figures.

// Installs Allegro with keyboard and timer, opens a 640x480 window at
// `depth` bits, changes into the staged run directory and loads its
// data.dat with the game's own loader. False (with a message) on failure.
bool startdisplay(int depth);

// The colour depth named by the first command-line argument, else 32.
int depthfromargs(int argc, char** argv);

// Milliseconds on a steady clock from an arbitrary start.
double nowms();

// Milliseconds of processor time used by this process; on a machine shared
// with other work this is what the code itself costs.
double cpums();

// The middle value of the samples (the upper middle for an even count).
double median(std::vector<double> samples);

// The peak resident memory of this process so far, in kilobytes.
long peakmemorykb();

// The least, middle and greatest of a set of samples.
struct Spread {
  double min = 0, median = 0, max = 0;
};
Spread spreadof(const std::vector<double>& samples);

// "min / median / max" with `decimals` places, each in `width` characters.
std::string spreadtext(const Spread& s, int decimals = 2, int width = 6);

// Sets level `level` up as the game does before its first frame, from
// srand(`seed`): initlevel, its trace lines on the standard output left
// out, then the whole picture copied into vscreen. Throws what initlevel
// throws.
void setuplevel(int level, unsigned seed);
