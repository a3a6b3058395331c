#include "contact_sheet.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int columns = 5;
constexpr int rows = 2;
constexpr int gap = 4;
constexpr std::uint8_t gap_grey = 48;

// The digits 0..9 on a 3 x 5 grid, one row a byte, bit 2 the left column.
constexpr std::uint8_t digit_rows[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};

void fill(RgbImage& image, int x0, int y0, int w, int h, std::uint8_t value) {
  for (int y = std::max(0, y0); y < std::min(image.height, y0 + h); ++y) {
    for (int x = std::max(0, x0); x < std::min(image.width, x0 + w); ++x) {
      std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3];
      p[0] = p[1] = p[2] = value;
    }
  }
}

// White on a black box, scaled to the tile.
void draw_label(RgbImage& image, int x0, int y0, int digit, int scale) {
  fill(image, x0, y0, 5 * scale, 7 * scale, 0);
  for (int row = 0; row < 5; ++row) {
    for (int col = 0; col < 3; ++col) {
      if ((digit_rows[digit][row] >> (2 - col) & 1) == 0) continue;
      fill(image, x0 + (col + 1) * scale, y0 + (row + 1) * scale, scale, scale, 255);
    }
  }
}

}  // namespace

ContactSheet::ContactSheet(int frame_width, int frame_height)
    : frame_width_(frame_width), frame_height_(frame_height) {
  sheet_.width = columns * frame_width + (columns + 1) * gap;
  sheet_.height = rows * frame_height + (rows + 1) * gap;
  sheet_.pixels.assign(static_cast<std::size_t>(sheet_.width) * sheet_.height * 3, gap_grey);
}

bool ContactSheet::wants(int frame) const {
  return std::find(contact_sheet_frames.begin(), contact_sheet_frames.end(), frame) !=
         contact_sheet_frames.end();
}

void ContactSheet::add(int frame, int stage, const std::vector<std::uint8_t>& rgb) {
  const auto at = std::find(contact_sheet_frames.begin(), contact_sheet_frames.end(), frame);
  if (at == contact_sheet_frames.end()) return;
  const int tile = static_cast<int>(at - contact_sheet_frames.begin());
  const int x0 = gap + (tile % columns) * (frame_width_ + gap);
  const int y0 = gap + (tile / columns) * (frame_height_ + gap);
  const std::size_t row_bytes = static_cast<std::size_t>(frame_width_) * 3;
  for (int y = 0; y < frame_height_; ++y) {
    std::memcpy(&sheet_.pixels[(static_cast<std::size_t>(y0 + y) * sheet_.width + x0) * 3],
                &rgb[row_bytes * y], row_bytes);
  }
  const int scale = std::max(1, frame_height_ / 60);
  if (stage >= 0 && stage <= 9) draw_label(sheet_, x0 + scale, y0 + scale, stage, scale);
}
