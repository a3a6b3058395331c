// The show records keys by the Windows virtual-key codes its design uses (Escape 27, 'A' 65, ...).
#pragma once

// The virtual-key code of an SDL keycode, or -1 for a key that has none.
int virtual_key_code(int sdl_keycode);
