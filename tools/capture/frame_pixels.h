// The drawn frame, read back from the back buffer.
#pragma once

#include <cstdint>
#include <vector>

// RGB, 3 bytes a pixel, rows top first. Waits for the drawing to finish.
std::vector<std::uint8_t> read_frame_pixels(int width, int height);
