// The window's pending events, the same on every platform: keys into the key flags given,
// window events to the platform's own handler.
#pragma once

#include <SDL_events.h>

#include "platform/virtual_keys.h"

// Takes every event since the last pump; stops at a quit event, which sets `quit`. A key
// pressed and released within one pump stays down until the next, so that a quick tap of Escape
// still ends the show on a slow machine.
void pump_events(bool (&keys)[key_count], void (*on_window_event)(const SDL_WindowEvent&),
                 bool& quit);
