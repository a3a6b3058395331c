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

Recovery recovery;

void follow_clock(Song* song, double show_ms, std::int64_t now) {
  if (song == nullptr) return;
  const std::int64_t zero = now - static_cast<std::int64_t>(show_ms * 1e6);
  const std::int64_t held = song->clock_zero_ns.load();
  if (held == 0 || zero < held) song->clock_zero_ns = zero;
  std::int64_t& earliest = recovery.earliest_zero;
  if (earliest == 0 || zero < earliest) earliest = zero;
  if (now - recovery.second_began < 1'000'000'000) return;
  song->clock_zero_ns = earliest;
  earliest = 0;
  recovery.second_began = now;
}

void watch_output(std::int64_t now) {
  Song* song = hooked_song();
  const std::int64_t asked = song != nullptr ? song->asked_ns.load() : 0;
  const bool stalled = recovery.watch.stalled(now, asked) && song != nullptr;
  if (!recovery.heard && recovery.watch.heard(asked)) {
    recovery.heard = true;
    std::fprintf(stderr,
                 recovery.ever_heard
                     ? "swirlbeam: the sound output is back\n"
                     : "swirlbeam: a sound output opened; the show is heard from here on\n");
    recovery.ever_heard = true;
  }
  if (output_playing() && !stalled) return;
  // An output opened again that never played is tried again unsaid: one line for the loss.
  if (recovery.heard) {
    std::fprintf(stderr,
                 "swirlbeam: the sound output was lost; the show goes on and tries it again\n");
  }
  close_output();  // a lost PulseAudio connection needs the audio subsystem started afresh
  recovery.lost = true;
  recovery.next_try = now;
}

void try_again(std::int64_t now) {
  if (now < recovery.next_try) return;
  recovery.next_try = now + retry_interval_ns;
  close_output();  // the silent output of a player who has had no sound yet
  // The driver that played before, on its default output: another driver might take the card
  // from a sound server that is starting again. Where none played, all of them, as at start, and
  // no longer the silent one. The reasons of failed tries would repeat: they stay unsaid.
  if (recovery.driver.empty()) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  if (!open_output(recovery.driver.empty() ? nullptr : recovery.driver.c_str(), false)) return;
  if (recovery.driver.empty()) recovery.driver = output_driver();
  recovery.lost = false;
  recovery.heard = false;
  recovery.watch.opened(now);
  if (Song* song = hooked_song()) hook_song(song);  // from where the clock is, at its next buffer
}

}  // namespace

void sound_detail::reset_recovery(bool silent_for_now) {
  recovery = Recovery{};
  recovery.watch.opened(now_ns());
  if (!silent_for_now) {
    recovery.driver = output_driver();
    return;
  }
  recovery.lost = true;
  recovery.ever_heard = false;
  recovery.heard = false;
  recovery.driver.clear();
}

void tend_sound(Song* song, double show_ms) {
  if (recording()) return;            // the recording keeps its own time
  const std::int64_t now = now_ns();  // one reading a frame
  follow_clock(song, show_ms, now);
  if (!sound_open() || !output_audible() || !output_may_be_lost()) return;
  if (!recovery.lost) return watch_output(now);
  try_again(now);
}
