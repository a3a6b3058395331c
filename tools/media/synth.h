// Sound building blocks shared by the samples and the music's instruments. Everything is
// computed in double from fixed seeds, so a run always gives the same numbers.
#pragma once

#include <cstdint>
#include <vector>

using Signal = std::vector<double>;

constexpr double sample_rate = 44100.0;
constexpr double pi = 3.14159265358979323846;

// White noise in -1..1 from a fixed seed (a 32-bit xorshift, not the show's generator).
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1) {}
  double next();

 private:
  std::uint32_t state_;
};

// Chamberlin state-variable filter; `cutoff` in Hz may change every sample.
class StateVariableFilter {
 public:
  explicit StateVariableFilter(double resonance) : damping_(1.0 / resonance) {}
  void run(double input, double cutoff, double rate);
  double low = 0, band = 0, high = 0;

 private:
  double damping_;
};

// One-pole smoothing low pass.
class OnePole {
 public:
  double run(double input, double cutoff, double rate);

 private:
  double state_ = 0;
};

// Adds `gain` times `from` into `into`, starting `offset` samples in; grows `into` as needed.
void mix_into(Signal& into, const Signal& from, std::size_t offset, double gain);
// Feedback echo: each repeat `delay` seconds after the last, `gain` times as loud.
void add_echo(Signal& signal, double delay, double gain, int repeats);
// Scales so that the largest magnitude is `peak` (of full scale 1.0).
void normalise(Signal& signal, double peak);
// Rounds to 16-bit PCM; values outside -1..1 are clipped.
std::vector<std::int16_t> to_pcm(const Signal& signal);
