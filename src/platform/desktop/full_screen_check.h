// Whether a shown full-screen window really got its mode. SDL switches the mode only when the
// window is shown, and does not say when the display refuses. Apart from the window code so that
// a test can stand in for a display that refuses.
#pragma once

struct SDL_Window;

bool full_screen_holds(SDL_Window* window, int width, int height);
