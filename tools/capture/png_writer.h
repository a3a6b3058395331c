// PNG files of captured frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // RGB, rows top first
};

// False (with the reason in `error`) when the file cannot be written.
bool write_png(const std::string& path, const RgbImage& image, std::string& error);
// Reads an 8-bit RGB PNG as write_png writes it; false when the file is not one.
bool read_png(const std::string& path, RgbImage& image);

// DIR/frame-000123.png
std::string numbered_png_path(const std::string& dir, int frame);
