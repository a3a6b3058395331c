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
  // Where the show's clock read 0, in steady-clock nanoseconds; 0 while no clock is followed.
  std::atomic<std::int64_t> clock_zero_ns{0};
  std::int64_t mixed = 0;  // stereo frames of the song mixed so far, silence after its end too
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

// The music lets a gap in the output pass unnoticed up to this much before it skips ahead.
constexpr std::int64_t clock_tolerance_frames = sound_rate / 100;  // 10 ms

// How far the music must skip ahead to be where the clock is (`due` frames after its start),
// having mixed `mixed` frames: nothing until it is further behind than the tolerance. Music ahead
// of the clock (it starts a little before the clock does) plays on as it is.
inline std::int64_t frames_to_skip(std::int64_t mixed, std::int64_t due) {
  return due - mixed > clock_tolerance_frames ? due - mixed : 0;
}
// Moves the song `frames` ahead without sound (the mixing side's).
void skip_song(Song& song, std::int64_t frames);

// The live output, opened and closed again by the recovery of a lost output (sound_recovery.cpp).
// Each failure to open says why on stderr when `say_why`.
bool open_output(bool say_why);
void close_output();
// The audio driver of the first output opened ("pulseaudio", "alsa", ...); empty before.
const char* output_driver();
// Music was on when the sound started: the output is a real one, worth opening again.
bool output_audible();
// The output is open and has not been lost.
bool output_playing();
// The song hooked to the output, null before play_song.
Song* hooked_song();
void hook_song(Song* song);

// The recording takes over the song and the samples while it runs (sound_offline.cpp).
bool recording();
void record_song(Song* song);
void record_sample(Sample* sample, int volume);

}  // namespace sound_detail
