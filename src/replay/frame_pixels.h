// The drawn frame, read back from the back buffer, and frames drawn for their side effects only.
#pragma once

#include <cstdint>
#include <vector>

// RGB, 3 bytes a pixel, rows top first. Waits for the drawing to finish.
std::vector<std::uint8_t> read_frame_pixels(int width, int height);

// Frames whose pictures nobody looks at are still drawn, for the random numbers the drawing
// takes, but into a one-pixel scissor box: the rasteriser then skips nearly all their work. Every
// frame starts by clearing the whole picture, so the pictures that are kept come out the same.
void fast_forward(bool on);
