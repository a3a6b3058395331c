// Decodes a picture file with the show's own loader, top row first for reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedPicture {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // top row first
  int at(int x, int y, int channel) const {
    return rgb[3 * (std::size_t(y) * width + x) + channel];
  }
};

DecodedPicture decode_picture(const std::string& path);
