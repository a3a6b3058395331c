// What the live output and the off-line recording of the sound module share: the handles'
// insides and the volume arithmetic, so that both sound alike.
#pragma once

#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <libopenmpt/libopenmpt.hpp>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound.h"

// The steady clock in nanoseconds, the unit both threads keep their times in.
inline std::int64_t steady_ns(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// Keeps the music with the show's clock. At each buffer the output asks for, `lead` is how far
// the music is ahead of the clock (in frames): steady, give or take a buffer, while the output
// plays on; lower by the length of every gap it had, and higher by what an output fills ahead
// once it plays again (a new output's first buffers, an underrun's refill). The steady lead is
// learnt as the median of the first buffers after the music starts; from then on the music skips
// ahead by what a gap took, and waits for what was filled ahead, once either is more than a
// buffer and 10 ms: so a cue, mixed in at the next buffer, meets the music where it met it at the
// start. Music far behind while it learns (an output opened again after a while) skips to the
// clock at once.
class MusicPacer {
 public:
  // Frames to skip (above 0) or to wait for in silence (below 0).
  std::int64_t correction_for(std::int64_t lead, std::int64_t buffer) {
    const std::int64_t tolerance = buffer + sound_rate / 100;
    if (learnt_ < learn_count) {
      if (lead < -tolerance) return -lead;
      leads_[learnt_++] = lead;
      if (learnt_ == learn_count) {
        std::nth_element(leads_, leads_ + learn_count / 2, leads_ + learn_count);
        steady_ = leads_[learn_count / 2];
      }
      return 0;
    }
    const std::int64_t off = lead - steady_;
    return off < -tolerance || off > tolerance ? -off : 0;
  }
  // A new output: the lead learnt stays the measure; one still being learnt starts again.
  void restart() {
    if (learnt_ < learn_count) learnt_ = 0;
  }

 private:
  static constexpr int learn_count = 31;  // about 0.7 s of 1024-frame buffers
  std::int64_t leads_[learn_count] = {};
  int learnt_ = 0;
  std::int64_t steady_ = 0;
};

// Whether an output that SDL still calls playing has stopped asking for sound: SDL's PipeWire
// driver, after its server restarts, neither asks nor marks the device lost. A new output may
// pause too, after its first buffer, while its server starts the stream (1.4 s seen with
// PulseAudio): so one that has not yet asked steadily gets longer. Times are steady-clock
// nanoseconds, given, so that it is tested without a device. A main thread that was away itself
// (the program stopped and continued, a machine asleep) gives the audio thread a fresh start.
class OutputWatch {
 public:
  void opened(std::int64_t now) {
    opened_ = watched_from_ = last_seen_ = now;
    last_asked_ = 0;
    asks_seen_ = 0;
  }
  // Once a frame; `asked` is when the output last asked for a buffer.
  bool stalled(std::int64_t now, std::int64_t asked) {
    if (now - last_seen_ > main_thread_gap) watched_from_ = now;
    last_seen_ = now;
    if (asked != last_asked_ && asked >= opened_) ++asks_seen_;
    last_asked_ = asked;
    const std::int64_t limit = asks_seen_ >= steady_asks ? stall : starting_stall;
    return now - std::max({asked, watched_from_, opened_}) > limit;
  }
  // The output has asked for sound since it opened.
  bool heard(std::int64_t asked) const { return asked >= opened_; }

 private:
  static constexpr std::int64_t stall = 1'000'000'000;  // forty buffers
  static constexpr std::int64_t starting_stall = 5'000'000'000;
  static constexpr int steady_asks = 20;  // about half a second of buffers, seen frame by frame
  static constexpr std::int64_t main_thread_gap = 250'000'000;
  std::int64_t opened_ = 0;
  std::int64_t watched_from_ = 0;
  std::int64_t last_seen_ = 0;
  std::int64_t last_asked_ = 0;
  int asks_seen_ = 0;
};

struct Song {
  std::unique_ptr<openmpt::module> module;
  std::atomic<bool> playing{false};
  std::atomic<int> volume{full_volume};  // set by the main thread
  int applied_volume = full_volume;      // the mixing side's own copy, ramped towards `volume`
  // Where the show's clock read 0, in steady-clock nanoseconds; 0 while no clock is followed.
  std::atomic<std::int64_t> clock_zero_ns{0};
  std::int64_t mixed = 0;    // stereo frames of the song mixed so far, silence after its end too
  std::int64_t waiting = 0;  // frames of silence before the music goes on (the mixing side's)
  MusicPacer pacer;          // the mixing side's
  // When the output last asked for a buffer, in steady-clock nanoseconds; 0 before.
  std::atomic<std::int64_t> asked_ns{0};
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

// The music's hook on the output: `length` bytes of 16-bit stereo of `song` (a Song), where the
// show's clock says the music is (the mixing side).
void render_music(void* song, Uint8* stream, int length);

// Renders the next stereo frames of the song, silence once it has ended; returns those rendered.
std::size_t render_song(Song& song, std::int16_t* out, std::size_t frames);

// Moves the song `frames` ahead without sound (the mixing side's).
void skip_song(Song& song, std::int64_t frames);

// The live output (sound_output.cpp), opened at start and again by the recovery of a lost one
// (sound_recovery.cpp), and the clock both threads read: SDL's output and the steady clock, or a
// test's, so that a lost output, its retries and the music catching up run without a device.
struct OutputPort {
  // On `only_driver`, or, given null, as SDL chooses (the drivers SDL_AUDIODRIVER names, else each
  // of SDL's in its order, up to the first whose server is there). A failure says why on stderr
  // when `say_why`.
  bool (*open)(const char* only_driver, bool say_why);
  void (*close)();
  bool (*is_open)();         // the mixer has an output, which may have been lost since
  bool (*playing)();         // the output is open and its driver has not marked it lost
  const char* (*driver)();   // of the output last opened ("pulseaudio", "alsa", ...); empty before
  std::int64_t (*now_ns)();  // the steady clock
};
OutputPort sdl_output_port();
// Replaces the port until the next call; set before start_sound, with the sound closed.
void use_output_port(const OutputPort& port);
const OutputPort& output_port();

inline bool open_output(const char* only_driver, bool say_why) {
  return output_port().open(only_driver, say_why);
}
inline void close_output() {
  output_port().close();
}
inline bool output_open() {
  return output_port().is_open();
}
inline bool output_playing() {
  return output_port().playing();
}
inline const char* output_driver() {
  return output_port().driver();
}
inline std::int64_t now_ns() {
  return output_port().now_ns();
}
// A sample sounding in the recording, like one mixer channel.
struct Voice {
  const Sample* sample = nullptr;
  std::size_t next_frame = 0;
  int volume = 0;  // 0..MIX_MAX_VOLUME
};

// The off-line mix (sound_offline.cpp). SDL_mixer mixes only for a device, at its pace, so the
// recording mixes as it does: its channels' arithmetic, which a real-server test holds it to.
struct Recording {
  Song* song = nullptr;
  std::array<Voice, mix_channels> voices;  // mixed in slot order, as the mixer mixes channels
};

// The recovery of a lost output (sound_recovery.cpp).
struct Recovery {
  bool lost = false;
  bool heard = true;          // the output asked for sound since it opened, and that was said
  bool ever_heard = true;     // false while a player who wants sound has had none yet
  std::string driver;         // the driver to try again; empty tries them as at start
  std::int64_t next_try = 0;  // steady-clock nanoseconds
  OutputWatch watch;
  // Where the show's clock read 0, on the steady clock. A reading taken late (the thread was
  // descheduled between the show's clock and this one) puts it too late, never too early: so
  // the earliest of each second's readings, which also lets it follow a show clock that runs a
  // hair slower than the steady one.
  std::int64_t earliest_zero = 0;
  std::int64_t second_began = 0;
};

// Where play_song and play_sample send the sound: the live output, or the recording.
struct SoundSink {
  void (*play_song)(Song* song);
  void (*play_sample)(Sample* sample, int volume);
};
extern const SoundSink live_sink;       // sound.cpp
extern const SoundSink recording_sink;  // sound_offline.cpp

// All the sound keeps between calls (but the output port's own), made afresh by start_sound and
// close_sound, so that nothing of one run (a lost output, a recording) reaches the next.
struct SoundState {
  bool open = false;     // start_sound succeeded and close_sound has not run
  bool audible = false;  // music was on at start: the output is a real one, worth opening again
  const SoundSink* sink = &live_sink;
  Song* hooked = nullptr;  // the song hooked to the output, null before play_song
  std::vector<std::unique_ptr<Sample>> samples;
  Recording recording;
  Recovery recovery;
};
SoundState& sound_state();

inline bool recording() {
  return sound_state().sink == &recording_sink;
}
void hook_song(Song* song);
// Where the recovery starts: nothing lost, and, with `silent_for_now`, no output found yet for
// a player who wants sound (one is looked for as the show plays).
void reset_recovery(bool silent_for_now);

}  // namespace sound_detail
