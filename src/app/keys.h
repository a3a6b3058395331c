// Keyboard and activity state, written by each pump of the window's events, read by the main loop.
#pragma once

#include "platform/virtual_keys.h"

extern bool keys[key_count];  // indexed by virtual-key code
extern bool active;           // false while the window is minimised
