// How much larger than designed windows must be drawn to look their size on a scaled desktop
// (a 4K laptop at 200 %), as the desktop states it in the X resource Xft.dpi.
#pragma once

// The scale that an Xft.dpi value asks for: 1 at 96 dpi, 2 at 192. A missing or unreadable value,
// or one below 96, gives 1 (the sizes as designed); the scale stops at 4.
float scale_for_dpi(const char* xft_dpi);

// A length designed in 96-dpi pixels, at this scale.
int scaled(int pixels, float scale);

struct WindowSize {
  int width = 0, height = 0;
};

// What a window manager adds round a window: title bar and borders.
struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
};

// The window of the chosen size at this scale, its shape kept, but no larger than `limit` (the
// monitor's usable area) with its frame round it, unless the chosen size itself is.
WindowSize scaled_window_size(WindowSize chosen, float scale, WindowSize limit,
                              FrameExtents frame = {});
