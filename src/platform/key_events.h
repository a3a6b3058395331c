// Keyboard events into the show's key flags, the same on every platform.
#pragma once

#include <SDL_events.h>

// At the start of each event pump: releases held back by the last pump take effect.
void apply_deferred_releases();
// A key pressed and released within one pump stays down until the next, so that a quick tap of
// Escape still ends the show on a slow machine.
void record_key(const SDL_KeyboardEvent& key);
