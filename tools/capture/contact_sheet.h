// One picture of the whole show: a frame from every stage, 0 to 9, in a 5 x 2 grid, each with
// its stage number in the top left corner.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "png_writer.h"

// One frame well inside each stage; the last is the one frame of stage 9.
constexpr std::array<int, 10> contact_sheet_frames = {2500,  6000,  8000,  10700, 13000,
                                                      14200, 15300, 16000, 16700, 16850};

class ContactSheet {
 public:
  ContactSheet(int frame_width, int frame_height);

  bool wants(int frame) const;
  // Places the frame's picture (RGB, rows top first) in its tile, labelled with `stage`.
  void add(int frame, int stage, const std::vector<std::uint8_t>& rgb);
  const RgbImage& image() const { return sheet_; }

 private:
  int frame_width_, frame_height_;
  RgbImage sheet_;
};
