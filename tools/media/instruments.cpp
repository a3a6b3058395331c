#include "instruments.h"

#include <cmath>
#include <functional>

#include "synth.h"

namespace {

// Tonal samples hold one cycle in `period` frames; played at C-4 they run at twice 8363 Hz,
// which makes a cycle of 64 frames sound as middle C.
constexpr int period = 64;
constexpr int tonal_relative_note = 12;
constexpr int harmonics = period / 2 - 1;

// Sum of sine harmonics; `amplitude`(h, progress) may change over the first `evolving` cycles
// and is held at progress 1 for the `looped` cycles after them, which form the loop. Every
// voice makes a whole number of cycles in the loop, so it joins without a click.
Signal additive(int evolving, int looped, const std::vector<double>& detune_cycles,
                const std::function<double(int, double)>& amplitude) {
  const int frames = (evolving + looped) * period;
  Signal out(frames, 0.0);
  Noise phases(0xF00D);
  for (double cycles_per_loop : detune_cycles) {
    // A voice's frequency: `cycles_per_loop` cycles in the loop of `looped` periods.
    const double ratio = cycles_per_loop / looped;
    for (int h = 1; h <= harmonics; ++h) {
      if (h * ratio >= period / 2.0) break;
      const double phase = pi * phases.next();
      for (int i = 0; i < frames; ++i) {
        const double progress = std::min(1.0, static_cast<double>(i) / (evolving * period + 1));
        out[i] += amplitude(h, progress) * std::sin(2 * pi * h * ratio * i / period + phase);
      }
    }
  }
  return out;
}

xm::Instrument tonal(const char* name, const Signal& wave, int looped_cycles, int volume) {
  xm::Instrument in;
  in.name = name;
  Signal s = wave;
  normalise(s, 0.9);
  in.sample = to_pcm(s);
  in.loop_length = static_cast<std::size_t>(looped_cycles * period);
  in.loop_start = in.sample.size() - in.loop_length;
  in.relative_note = tonal_relative_note;
  in.volume = volume;
  return in;
}

xm::Instrument one_shot(const char* name, Signal wave, double rate, int volume) {
  xm::Instrument in;
  in.name = name;
  normalise(wave, 0.9);
  in.sample = to_pcm(wave);
  xm::tune_to_rate(in, rate);
  in.volume = volume;
  return in;
}

std::size_t frames(double seconds, double rate = sample_rate) {
  return static_cast<std::size_t>(seconds * rate);
}

// Filtered noise, `high` and `band` parts of it, dying away with time constant `decay`.
Signal noise_hit(double seconds, std::uint32_t seed, double cutoff, double high, double band,
                 double decay) {
  Signal s(frames(seconds));
  Noise noise(seed);
  StateVariableFilter filter(0.8);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = i / sample_rate;
    filter.run(noise.next(), cutoff, sample_rate);
    const double release = std::min(1.0, (seconds - t) / (0.1 * seconds));
    s[i] = (high * filter.high + band * filter.band) * std::exp(-t / decay) * release;
  }
  return s;
}

}  // namespace

xm::Instrument make_pad() {
  // Three saw-like voices a few cents apart, softened above the sixth harmonic.
  const int looped = 128;
  const Signal wave = additive(0, looped, {looped - 1.0, double(looped), looped + 1.0},
                               [](int h, double) { return 1.0 / h / (1 + (h / 6.0) * (h / 6.0)); });
  xm::Instrument in = tonal("pad", wave, looped, 40);
  in.volume_envelope = {{0, 0}, {40, 52}, {70, 64}, {120, 56}};
  in.sustain_point = 3;
  in.fadeout = 300;
  return in;
}

xm::Instrument make_bass() {
  // Bright at the attack, closing to a round tone.
  const Signal wave = additive(48, 4, {4.0}, [](int h, double progress) {
    const double odd = (h % 2) ? 1.0 : 0.6;
    return odd / h * std::exp(-(h - 1) * (0.12 + 0.45 * progress)) + (h == 1 ? 0.5 : 0.0);
  });
  xm::Instrument in = tonal("bass", wave, 4, 56);
  in.volume_envelope = {{0, 64}, {12, 46}, {40, 40}};
  in.sustain_point = 2;
  in.fadeout = 2000;
  return in;
}

xm::Instrument make_lead() {
  // Hollow, square-like voice pair with a slow vibrato that comes in as the note holds.
  const int looped = 128;
  const Signal wave = additive(0, looped, {double(looped), looped + 1.0}, [](int h, double) {
    const double odd = (h % 2) ? 1.0 : 0.25;
    return odd / h / (1 + (h / 9.0) * (h / 9.0));
  });
  xm::Instrument in = tonal("lead", wave, looped, 48);
  in.volume_envelope = {{0, 0}, {2, 64}, {30, 50}};
  in.sustain_point = 2;
  in.fadeout = 900;
  in.vibrato_depth = 3;
  in.vibrato_rate = 12;
  in.vibrato_sweep = 40;
  return in;
}

xm::Instrument make_pluck() {
  const Signal wave = additive(24, 4, {4.0}, [](int h, double progress) {
    return std::exp(-(h - 1) * (0.08 + 0.6 * progress)) / h;
  });
  xm::Instrument in = tonal("pluck", wave, 4, 36);
  in.volume_envelope = {{0, 64}, {6, 30}, {24, 8}, {48, 0}};
  in.fadeout = 2000;
  return in;
}

xm::Instrument make_kick() {
  Signal s(frames(0.45));
  double phase = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = i / sample_rate;
    phase += 2 * pi * (45.0 + 95.0 * std::exp(-t / 0.035)) / sample_rate;
    const double click = std::exp(-t / 0.002) * 0.6;
    s[i] = (std::sin(phase) + click) * std::exp(-t / 0.16) * std::min(1.0, (0.45 - t) / 0.05);
  }
  return one_shot("kick", s, sample_rate, 60);
}

xm::Instrument make_snare() {
  Signal s(frames(0.35));
  Noise noise(0x5AA);
  StateVariableFilter filter(0.8);
  double phase = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = i / sample_rate;
    phase += 2 * pi * (185.0 + 60.0 * std::exp(-t / 0.01)) / sample_rate;
    filter.run(noise.next(), 4200.0, sample_rate);
    const double body = std::sin(phase) * std::exp(-t / 0.05);
    const double rattle = (filter.band + 0.4 * filter.high) * std::exp(-t / 0.09);
    s[i] = (0.8 * body + rattle) * std::min(1.0, (0.35 - t) / 0.05);
  }
  return one_shot("snare", s, sample_rate, 44);
}

xm::Instrument make_hat() {
  return one_shot("hat", noise_hit(0.12, 0x4A7, 7500.0, 1.0, 0.0, 0.025), sample_rate, 30);
}

xm::Instrument make_crash() {
  return one_shot("crash", noise_hit(2.0, 0xC2A5, 5000.0, 1.0, 0.5, 0.55), sample_rate, 36);
}

xm::Instrument make_riser() {
  // Four seconds of noise whose band climbs and swells, into a section's first beat.
  const double rate = sample_rate / 2;
  Signal s(frames(4.0, rate));
  Noise noise(0x7153);
  StateVariableFilter filter(3.0);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double x = i / static_cast<double>(s.size());
    filter.run(noise.next(), 200.0 * std::pow(25.0, x), rate);
    s[i] = filter.band * x * x * std::min(1.0, (1.0 - x) * 40);
  }
  return one_shot("riser", s, rate, 34);
}
