#include "synth.h"

#include <algorithm>
#include <cmath>

double Noise::next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<double>(state_) / 2147483647.5 - 1.0;
}

void StateVariableFilter::run(double input, double cutoff, double rate) {
  // Two passes at twice the rate keep the filter stable up to a quarter of `rate`.
  const double f = 2.0 * std::sin(pi * std::min(cutoff, rate / 4.0) / (2.0 * rate));
  for (int pass = 0; pass < 2; ++pass) {
    low += f * band;
    high = input - low - damping_ * band;
    band += f * high;
  }
}

double OnePole::run(double input, double cutoff, double rate) {
  const double a = 1.0 - std::exp(-2.0 * pi * cutoff / rate);
  state_ += a * (input - state_);
  return state_;
}

void mix_into(Signal& into, const Signal& from, std::size_t offset, double gain) {
  if (into.size() < offset + from.size()) into.resize(offset + from.size(), 0.0);
  for (std::size_t i = 0; i < from.size(); ++i) into[offset + i] += gain * from[i];
}

void add_echo(Signal& signal, double delay, double gain, int repeats) {
  const auto step = static_cast<std::size_t>(std::lround(delay * sample_rate));
  const std::size_t dry = signal.size();
  signal.resize(dry + step * static_cast<std::size_t>(repeats), 0.0);
  for (std::size_t i = step; i < signal.size(); ++i) signal[i] += gain * signal[i - step];
}

void normalise(Signal& signal, double peak) {
  double largest = 0;
  for (double s : signal) largest = std::max(largest, std::fabs(s));
  if (largest == 0) return;
  for (double& s : signal) s *= peak / largest;
}

std::vector<std::int16_t> to_pcm(const Signal& signal) {
  std::vector<std::int16_t> pcm(signal.size());
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const double v = std::clamp(signal[i], -1.0, 1.0) * 32767.0;
    pcm[i] = static_cast<std::int16_t>(std::lround(v));
  }
  return pcm;
}
