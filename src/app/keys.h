// Keyboard and activity state, written by the window's event handling, read by the main loop.
#pragma once

constexpr int key_count = 256;
constexpr int key_escape = 27;

extern bool keys[key_count];  // indexed by virtual-key code
extern bool active;           // false while the window is minimised
