// A small writer for FastTracker 2 extended modules (XM, version 0x0104), linear frequencies,
// one 16-bit sample per instrument.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr std::uint8_t no_note = 0;
constexpr std::uint8_t key_off = 97;
constexpr std::uint8_t effect_set_global_volume = 0x10;  // "G"

// One cell of a pattern; zero fields are left empty (and packed away).
struct Cell {
  std::uint8_t note = no_note;  // 1 = C-0 .. 96 = B-7, 97 = key off
  std::uint8_t instrument = 0;  // 1-based
  std::uint8_t volume = 0;      // volume column: 0x10..0x50 sets volume 0..64
  std::uint8_t effect = 0;
  std::uint8_t parameter = 0;
};

// Pattern note number of a note name's pieces: octave 4, semitone 0 is C-4 (49).
constexpr std::uint8_t note(int octave, int semitone) {
  return static_cast<std::uint8_t>(octave * 12 + semitone + 1);
}
constexpr std::uint8_t set_volume(int volume) {
  return static_cast<std::uint8_t>(0x10 + volume);
}

struct Pattern {
  Pattern(int rows, int channels)
      : rows(rows), channels(channels), cells(static_cast<std::size_t>(rows * channels)) {}
  Cell& at(int row, int channel) {
    return cells[static_cast<std::size_t>(row * channels + channel)];
  }
  const Cell& at(int row, int channel) const {
    return cells[static_cast<std::size_t>(row * channels + channel)];
  }
  int rows;
  int channels;
  std::vector<Cell> cells;
};

struct EnvelopePoint {
  int tick;
  int value;  // 0..64
};

struct Instrument {
  std::string name;
  std::vector<std::int16_t> sample;  // mono PCM
  // Forward loop in sample frames; loop_length 0 plays the sample once.
  std::size_t loop_start = 0;
  std::size_t loop_length = 0;
  int volume = 64;                             // 0..64
  int panning = 128;                           // 0..255
  int relative_note = 0;                       // semitones above C-4 at 8363 Hz
  int finetune = 0;                            // 1/128 semitone, -128..127
  std::vector<EnvelopePoint> volume_envelope;  // empty: no envelope
  int sustain_point = -1;                      // index into the envelope, -1: none
  int fadeout = 0;                             // per tick after key off, 0..4095
  // Automatic sine vibrato: depth in 1/16 semitone, rate in 1/256 cycle a tick, sweep in ticks.
  int vibrato_depth = 0, vibrato_rate = 0, vibrato_sweep = 0;
};

struct Module {
  std::string name;
  int channels = 8;
  int speed = 6;  // ticks a row
  int bpm = 125;
  std::vector<std::uint8_t> order;  // pattern indices, played in turn
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;
};

// Throws std::invalid_argument when the module breaks a limit of the format.
std::vector<unsigned char> write_module(const Module& module);

// Relative note and finetune that play a sample recorded at `rate` in its own pitch at C-4.
void tune_to_rate(Instrument& instrument, double rate);

}  // namespace xm
