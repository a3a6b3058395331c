// The frame a window manager puts round the show's X11 window: its title bar and borders, which a
// window that must fit the screen has to leave room for.
#pragma once

#include <SDL.h>

#include <optional>

#include "platform/display_scale.h"

// Before the window is mapped, asked of the window manager; nothing when it does not say within
// half a second, or there is none.
std::optional<FrameExtents> frame_before_mapping(SDL_Window* window);
// Once mapped, as the window manager states it; nothing where it does not.
std::optional<FrameExtents> frame_of_mapped(SDL_Window* window);
// Before a window (not full screen) is shown: moves it so that its frame is on the usable area
// where the window system would leave the frame partly off screen.
void keep_frame_on_screen(SDL_Window* window);
