// In a page SDL's dummy driver cannot run (it needs a thread), so the silent output is the page's
// own, with everything mixed as usual and then muted.
#include <SDL_mixer.h>

#include <cstring>

#include "platform/backend.h"

namespace {

void mute(void*, Uint8* stream, int bytes) {
  std::memset(stream, 0, static_cast<std::size_t>(bytes));
}

}  // namespace

void sound_detail::choose_silent_output() {}

void sound_detail::silence_open_output() {
  Mix_SetPostMix(mute, nullptr);
}

void sound_detail::forget_silent_output() {
  Mix_SetPostMix(nullptr, nullptr);
}

// The browser's output has no server of its own to ask.
sound_detail::ServerCheck sound_detail::check_sound_server(const char*, std::string&) {
  return ServerCheck::ready;
}

bool sound_detail::output_may_be_lost() {
  return false;
}
