#include "makedata/sounds.h"

#include <algorithm>
#include <cmath>

#include "makedata/rng.h"

const int SoundRate = 22050;

namespace {

const float Tau = 6.2831853f;

// Oscillators and shapes work on a float buffer; `finish` scales it to the
// common peak and converts it.
using Wave = std::vector<float>;

Wave silence(float seconds) { return Wave(static_cast<size_t>(seconds * SoundRate), 0.0f); }

float seconds(size_t i) { return static_cast<float>(i) / SoundRate; }

// A one-pole low-pass filter over white noise: `smooth` near 1 rumbles,
// near 0 hisses.
void addnoise(Wave& w, Rng& rng, float smooth, float level) {
  float state = 0;
  for (float& s : w) {
    state = state * smooth + rng.range(-1, 1) * (1 - smooth);
    s += state * level;
  }
}

// A sine whose frequency glides exponentially from `from` to `to` Hz.
void addglide(Wave& w, float from, float to, float level) {
  float phase = 0, length = seconds(w.size());
  for (size_t i = 0; i < w.size(); i++) {
    float f = from * std::pow(to / from, seconds(i) / length);
    phase += Tau * f / SoundRate;
    w[i] += std::sin(phase) * level;
  }
}

void addtone(Wave& w, float freq, float decay, float level) {
  for (size_t i = 0; i < w.size(); i++) w[i] += std::sin(Tau * freq * seconds(i)) * std::exp(-seconds(i) * decay) * level;
}

// Fades in over a few milliseconds (no click) and decays exponentially.
void envelope(Wave& w, float attack, float decay) {
  for (size_t i = 0; i < w.size(); i++) {
    float t = seconds(i);
    w[i] *= std::min(1.0f, t / attack) * std::exp(-t * decay);
  }
}

Sound finish(const Wave& w) {
  float peak = 1e-6f;
  for (float s : w) peak = std::max(peak, std::fabs(s));
  Sound sound;
  sound.freq = SoundRate;
  for (float s : w) sound.samples.push_back(static_cast<int16_t>(std::lround(s / peak * 26000)));
  return sound;
}

}  // namespace

Sound shotsound() {
  Rng rng(11);
  Wave w = silence(0.18f);
  addglide(w, 1500, 420, 1.0f);
  addnoise(w, rng, 0.3f, 0.25f);
  envelope(w, 0.003f, 18);
  return finish(w);
}

Sound shipexplodesound() {
  Rng rng(12);
  Wave w = silence(1.4f);
  addnoise(w, rng, 0.96f, 3.0f);
  addnoise(w, rng, 0.6f, 0.3f);
  addglide(w, 90, 35, 0.5f);
  envelope(w, 0.01f, 2.6f);
  return finish(w);
}

Sound shiphitsound() {
  Rng rng(13);
  Wave w = silence(0.35f);
  // Inharmonic partials ring like struck sheet metal.
  addtone(w, 523, 9, 0.8f);
  addtone(w, 1247, 14, 0.5f);
  addtone(w, 1871, 20, 0.35f);
  addtone(w, 2963, 30, 0.25f);
  Wave knock = silence(0.35f);
  addnoise(knock, rng, 0.5f, 1.0f);
  envelope(knock, 0.001f, 60);
  for (size_t i = 0; i < w.size(); i++) w[i] += knock[i];
  envelope(w, 0.001f, 4);
  return finish(w);
}

Sound enemydeathsound() {
  Rng rng(14);
  Wave w = silence(0.6f);
  // A falling triangle wave wobbled by a fast vibrato, over bubbly noise.
  float phase = 0;
  for (size_t i = 0; i < w.size(); i++) {
    float t = seconds(i);
    float f = 700 * std::exp(-t * 3.2f) * (1 + 0.25f * std::sin(Tau * 17 * t));
    phase += f / SoundRate;
    float frac = phase - std::floor(phase);
    w[i] = 4 * std::fabs(frac - 0.5f) - 1;
  }
  addnoise(w, rng, 0.85f, 1.2f);
  envelope(w, 0.005f, 4.5f);
  return finish(w);
}
