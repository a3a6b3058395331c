// What the live output and the off-line recording of the sound module share: the handles'
// insides and the volume arithmetic, so that both sound alike.
#pragma once

#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>

#include "platform/sound.h"

struct Song {
  std::unique_ptr<openmpt::module> module;
  std::atomic<bool> playing{false};
  std::atomic<int> volume{full_volume};  // set by the main thread
  int applied_volume = full_volume;      // the mixing side's own copy, ramped towards `volume`
};

struct Sample {
  Mix_Chunk* chunk;  // 16-bit stereo at sound_rate: the device format, opened without changes
};

namespace sound_detail {

constexpr int mix_channels = 32;  // samples that can sound at once

// Music and cues share one 16-bit mix: each gets half of full scale so that the music and two
// cues together rarely clip.
constexpr int headroom = 2;

inline int clamp_volume(int volume) {
  return std::clamp(volume, 0, full_volume);
}

// The mixer's channel volume (0..MIX_MAX_VOLUME) for a sample started at `volume`.
inline int channel_volume(int volume) {
  return clamp_volume(volume) * MIX_MAX_VOLUME / (full_volume * headroom);
}

// Scales stereo music by the master volume, ramped from `from` to `to` across the block so that
// each volume step is a slope, not a click.
inline void apply_music_volume(std::int16_t* out, std::size_t frames, int from, int to) {
  const auto n = static_cast<std::int64_t>(frames);
  for (std::int64_t i = 0; i < n; ++i) {
    const std::int64_t v = from + (to - from) * i / n;
    for (int c = 0; c < 2; ++c) {
      std::int16_t& s = out[2 * i + c];
      s = static_cast<std::int16_t>(s * v / (full_volume * headroom));
    }
  }
}

// The silent output that music switched off plays into: each platform's own (silent_output.cpp).
// The first is called before the audio subsystem starts, the second once the device is open.
void choose_silent_output();
void silence_open_output();

// Renders the next stereo frames of the song, silence once it has ended; returns those rendered.
std::size_t render_song(Song& song, std::int16_t* out, std::size_t frames);

// The recording takes over the song and the samples while it runs (sound_offline.cpp).
bool recording();
void record_song(Song* song);
void record_sample(Sample* sample, int volume);

}  // namespace sound_detail
