// The icon is the program's own resource 1 (res/windows/swirlbeam.rc.in): SDL gives it to every
// window class it registers, and Explorer and the taskbar take it from the program file.
#include "platform/desktop/icon.h"

void set_window_icon(SDL_Window*) {}
