// An output that goes away comes back: a sound server restarted (PipeWire does on updates), a USB
// or Bluetooth output pulled, a server that had no output yet. SDL only marks the device lost and
// mixes on into nothing, or, with its PipeWire driver, stops asking for sound; here the main
// thread notices, and tries a fresh output at an interval, never waiting for one. So it does for
// a player who wanted sound where none opened at start.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/backend.h"
#include "platform/sound.h"
#include "platform/sound_internal.h"

namespace {

using namespace sound_detail;

// A try takes a few milliseconds of the main thread (the audio subsystem started again, a server
// asked): twice a second costs the picture little and brings sound back within a second.
constexpr std::int64_t retry_interval_ns = 500'000'000;

Recovery& recovery() {
  return sound_state().recovery;
}

void follow_clock(Song* song, double show_ms, std::int64_t now) {
  if (song == nullptr) return;
  const std::int64_t zero = now - static_cast<std::int64_t>(show_ms * 1e6);
  const std::int64_t held = song->clock_zero_ns.load();
  if (held == 0 || zero < held) song->clock_zero_ns = zero;
  Recovery& r = recovery();
  if (r.earliest_zero == 0 || zero < r.earliest_zero) r.earliest_zero = zero;
  if (now - r.second_began < 1'000'000'000) return;
  song->clock_zero_ns = r.earliest_zero;
  r.earliest_zero = 0;
  r.second_began = now;
}

void watch_output(std::int64_t now) {
  Recovery& r = recovery();
  Song* song = sound_state().hooked;
  const std::int64_t asked = song != nullptr ? song->asked_ns.load() : 0;
  const bool stalled = r.watch.stalled(now, asked) && song != nullptr;
  if (!r.heard && r.watch.heard(asked)) {
    r.heard = true;
    std::fprintf(stderr,
                 r.ever_heard
                     ? "swirlbeam: the sound output is back\n"
                     : "swirlbeam: a sound output opened; the show is heard from here on\n");
    r.ever_heard = true;
  }
  if (output_playing() && !stalled) return;
  // An output opened again that never played is tried again unsaid: one line for the loss.
  if (r.heard) {
    std::fprintf(stderr,
                 "swirlbeam: the sound output was lost; the show goes on and tries it again\n");
  }
  close_output();  // a lost PulseAudio connection needs the audio subsystem started afresh
  r.lost = true;
  r.next_try = now;
}

void try_again(std::int64_t now) {
  Recovery& r = recovery();
  if (now < r.next_try) return;
  r.next_try = now + retry_interval_ns;
  close_output();  // the silent output of a player who has had no sound yet
  // The driver that played before, on its default output: another driver might take the card
  // from a sound server that is starting again. Where none played, all of them, as at start, and
  // no longer the silent one. The reasons of failed tries would repeat: they stay unsaid.
  if (r.driver.empty()) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  if (!open_output(r.driver.empty() ? nullptr : r.driver.c_str(), false)) return;
  if (r.driver.empty()) r.driver = output_driver();
  r.lost = false;
  r.heard = false;
  r.watch.opened(now);
  // From where the clock is, at its next buffer.
  if (Song* song = sound_state().hooked) hook_song(song);
}

}  // namespace

void sound_detail::reset_recovery(bool silent_for_now) {
  Recovery& r = recovery();
  r = Recovery{};
  r.watch.opened(now_ns());
  if (!silent_for_now) {
    r.driver = output_driver();
    return;
  }
  r.lost = true;
  r.ever_heard = false;
  r.heard = false;
  r.driver.clear();
}

void tend_sound(Song* song, double show_ms) {
  if (recording()) return;            // the recording keeps its own time
  const std::int64_t now = now_ns();  // one reading a frame
  follow_clock(song, show_ms, now);
  if (!sound_open() || !sound_state().audible || !output_may_be_lost()) return;
  if (!recovery().lost) return watch_output(now);
  try_again(now);
}
