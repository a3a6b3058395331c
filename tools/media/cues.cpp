#include "cues.h"

#include <cmath>

#include "speech.h"

namespace {

std::size_t frames(double seconds) {
  return static_cast<std::size_t>(seconds * sample_rate);
}

// Band-passed noise whose centre glides up and back down, swelling in the middle.
Signal whoosh(double seconds) {
  Signal out(frames(seconds));
  Noise noise(0x5EED1);
  StateVariableFilter filter(2.5);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double x = static_cast<double>(i) / out.size();  // 0..1 through the sweep
    const double sweep = std::sin(pi * x);
    filter.run(noise.next(), 250.0 * std::pow(24.0, sweep), sample_rate);
    out[i] = filter.band * std::pow(sweep, 1.5);
  }
  return out;
}

Signal spoken_with_echo(const std::string& text, const std::string& scratch_file) {
  Signal voice = speak(text, scratch_file);
  add_echo(voice, 0.21, 0.28, 3);
  return voice;
}

}  // namespace

Signal make_strike() {
  Signal out(frames(1.1));
  Noise noise(0xB00F);
  StateVariableFilter burst_filter(0.9);
  OnePole tail_filter;
  double phase = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / sample_rate;
    // The thump falls from 150 Hz to 38 Hz within a few tenths of a second.
    const double frequency = 38.0 + 112.0 * std::exp(-t / 0.06);
    phase += 2 * pi * frequency / sample_rate;
    const double thump = std::sin(phase) * std::exp(-t / 0.28);
    const double n = noise.next();
    burst_filter.run(n, 3000.0 * std::exp(-t / 0.08) + 400.0, sample_rate);
    const double burst = burst_filter.low * std::exp(-t / 0.045);
    const double tail = tail_filter.run(n, 900.0, sample_rate) * std::exp(-t / 0.3);
    const double attack = std::min(1.0, t / 0.002);  // no click at the very start
    const double release = std::min(1.0, (1.1 - t) / 0.1);
    out[i] = attack * release * (0.9 * thump + 0.7 * burst + 0.5 * tail);
  }
  normalise(out, cue_peak);
  return out;
}

Signal make_swirlbeam(const std::string& scratch_file) {
  Signal out = whoosh(2.4);
  for (double& s : out) s *= 0.55;
  mix_into(out, spoken_with_echo("Swirlbeam", scratch_file), frames(0.45), 1.0);
  normalise(out, cue_peak);
  return out;
}

Signal make_thanks(const std::string& scratch_file) {
  Signal out = spoken_with_echo("Thanks for watching", scratch_file);
  normalise(out, cue_peak);
  return out;
}
