// An output that goes away comes back: a sound server restarted (PipeWire does on updates), a USB
// or Bluetooth output pulled. SDL only marks the device lost and mixes on into nothing; here the
// main thread notices, and tries a fresh output at an interval, never waiting for one.
#include <SDL.h>

#include <chrono>
#include <cstdio>

#include "platform/sound.h"
#include "platform/sound_internal.h"

namespace {

using namespace sound_detail;
using Clock = std::chrono::steady_clock;

// A try takes a few milliseconds of the main thread (the audio subsystem started again, a server
// asked): twice a second costs the picture little and brings sound back within a second.
constexpr auto retry_interval = std::chrono::milliseconds(500);

bool lost = false;
Clock::time_point next_try;

// Where the show's clock read 0, on the steady clock. A reading taken late (the thread was
// descheduled between the show's clock and this one) puts it too late, never too early: so the
// earliest of each second's readings, which also lets it follow a show clock that runs a hair
// slower than the steady one.
std::int64_t earliest_zero = 0;
Clock::time_point second_began;

void follow_clock(Song* song, double show_ms) {
  if (song == nullptr) return;
  const auto now = Clock::now();
  const std::int64_t zero =
      std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count() -
      static_cast<std::int64_t>(show_ms * 1e6);
  const std::int64_t held = song->clock_zero_ns.load();
  if (held == 0 || zero < held) song->clock_zero_ns = zero;
  if (earliest_zero == 0 || zero < earliest_zero) earliest_zero = zero;
  if (now - second_began < std::chrono::seconds(1)) return;
  song->clock_zero_ns = earliest_zero;
  earliest_zero = 0;
  second_began = now;
}

void notice_loss() {
  if (output_playing()) return;
  std::fprintf(stderr,
               "swirlbeam: the sound output was lost; the show goes on and tries it again\n");
  close_output();  // a lost PulseAudio connection needs the audio subsystem started afresh
  lost = true;
  next_try = Clock::now();
}

void try_again() {
  if (Clock::now() < next_try) return;
  next_try = Clock::now() + retry_interval;
  // The driver that played before, on its default output: trying every driver would have ALSA
  // print its complaints twice a second where there is no sound card. The reasons of failed
  // tries would repeat too: they stay unsaid.
  if (*output_driver() != '\0') {
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, output_driver(), SDL_HINT_OVERRIDE);
  }
  if (!open_output(false)) return;
  lost = false;
  if (Song* song = hooked_song()) hook_song(song);  // from where the clock is, at its next buffer
  std::fprintf(stderr, "swirlbeam: the sound output is back\n");
}

}  // namespace

void tend_sound(Song* song, double show_ms) {
  follow_clock(song, show_ms);
  if (!sound_open() || !output_audible() || recording()) return;
  if (!lost) return notice_loss();
  try_again();
}
