// On the desktop the silent output is SDL's dummy driver, which mixes and plays nowhere.
#include <SDL.h>

#include "platform/backend.h"

void sound_detail::choose_silent_output() {
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
}

void sound_detail::silence_open_output() {}

void sound_detail::forget_silent_output() {
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);  // the player's SDL_AUDIODRIVER counts again
}

bool sound_detail::output_may_be_lost() {
  return true;
}
