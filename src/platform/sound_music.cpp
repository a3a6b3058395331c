// The music's side: the song rendered into the output's buffers where the show's clock says it
// is, caught up after a gap, at its master volume; hooked to the output by play_song and again
// by the recovery.
#include <SDL_mixer.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <libopenmpt/libopenmpt.hpp>

#include "platform/sound.h"
#include "platform/sound_internal.h"

// Catching up is rendering, about 2 ms a second of music here: ten seconds of it in one buffer
// of 23 ms at most, the buffer itself silent, so that a long outage costs no run of underruns.
constexpr std::int64_t skip_per_buffer = std::int64_t{10} * sound_rate;

namespace {

using namespace sound_detail;

// Where the clock says the music should be now, in frames after its start.
std::int64_t due_frame(std::int64_t clock_zero_ns) {
  return (now_ns() - clock_zero_ns) * sound_rate / 1000000000;
}

}  // namespace

// Runs on the audio thread. Touches only the song's module and its atomics; the main thread
// never uses the module while the hook is installed.
void sound_detail::render_music(void* user_data, Uint8* stream, int length) {
  auto* song = static_cast<Song*>(user_data);
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  const std::size_t frames = static_cast<std::size_t>(length) / (2 * sizeof(std::int16_t));
  song->asked_ns = now_ns();
  // The clock is the master: after a gap (an output starved, a server restarted) the music
  // skips to where the picture and its cues are, and waits where the output filled ahead.
  const std::int64_t zero = song->clock_zero_ns.load();
  if (zero != 0 && song->waiting == 0) {
    const auto buffer = static_cast<std::int64_t>(frames);
    const std::int64_t correction =
        song->pacer.correction_for(song->mixed - due_frame(zero), buffer);
    if (correction > skip_per_buffer) {
      skip_song(*song, skip_per_buffer);
      std::fill(out, out + 2 * frames, std::int16_t{0});
      return;
    }
    if (correction > 0) skip_song(*song, correction);
    if (correction < 0) song->waiting = -correction;
  }
  const auto quiet = static_cast<std::size_t>(std::min<std::int64_t>(song->waiting, frames));
  std::fill(out, out + 2 * quiet, std::int16_t{0});
  song->waiting -= static_cast<std::int64_t>(quiet);
  render_song(*song, out + 2 * quiet, frames - quiet);
  const int to = song->volume.load();
  apply_music_volume(out, frames, song->applied_volume, to);
  song->applied_volume = to;
}

double music_lead_ms(const Song* song, double show_ms) {
  return static_cast<double>(song->mixed) * 1000.0 / sound_rate - show_ms;
}

std::size_t sound_detail::render_song(Song& song, std::int16_t* out, std::size_t frames) {
  std::size_t rendered = 0;
  if (song.playing.load()) {
    try {
      rendered = song.module->read_interleaved_stereo(sound_rate, frames, out);
    } catch (...) {
      rendered = 0;  // a module that cannot be rendered falls silent
    }
  }
  std::fill(out + 2 * rendered, out + 2 * frames, std::int16_t{0});
  song.mixed += static_cast<std::int64_t>(frames);
  return rendered;
}

void sound_detail::skip_song(Song& song, std::int64_t frames) {
  // Rendered, not sought: a module's position in seconds is only to the row, and a seek there
  // plays other notes than the song does (a module of ours, 60 s in: nothing in common).
  std::int16_t scratch[2 * 1024];
  const std::int64_t target = song.mixed + frames;
  while (song.mixed < target) {
    render_song(song, scratch,
                static_cast<std::size_t>(std::min<std::int64_t>(1024, target - song.mixed)));
  }
}

void sound_detail::hook_song(Song* song) {
  sound_state().hooked = song;
  song->pacer.restart();  // a new output has a steady lead of its own
  Mix_HookMusic(render_music, song);
}
