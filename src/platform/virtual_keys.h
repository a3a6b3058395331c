// The show records keys by the Windows virtual-key codes its design uses (Escape 27, 'A' 65, ...).
#pragma once

constexpr int key_count = 256;
constexpr int key_escape = 27;

// The virtual-key code of an SDL keycode, or -1 for a key that has none.
int virtual_key_code(int sdl_keycode);
