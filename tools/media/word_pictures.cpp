// The logo, its outline for the echo layers, and the closing words.
#include <cmath>

#include "lettering.h"
#include "pictures.h"

namespace {

constexpr int word_width = 512;
constexpr int word_height = 256;
const std::vector<std::string> logo_lines = {"SWIRLBEAM"};
const TextStyle logo_style = {0.84, 1.9, 1.0};

// Bright at the top of the letters, warmer towards their feet.
Plane vertical_ramp(const Plane& mask, double top, double bottom) {
  Plane out = mask;
  for (int y = 0; y < mask.height; ++y) {
    const double t = static_cast<double>(y) / (mask.height - 1);
    for (int x = 0; x < mask.width; ++x) out.at(x, y) *= top + (bottom - top) * t;
  }
  return out;
}

// A thin horizontal beam of light through the middle of the picture.
Plane beam(int width, int height, double y_centre) {
  Plane out(width, height);
  for (int y = 0; y < height; ++y) {
    const double dy = (y + 0.5 - y_centre) / 2.2;
    for (int x = 0; x < width; ++x) {
      const double dx = (x + 0.5 - width / 2.0) / (width * 0.3);
      out.at(x, y) = std::exp(-dy * dy) * std::exp(-dx * dx);
    }
  }
  return out;
}

}  // namespace

Picture make_logo() {
  Picture logo(word_width, word_height);
  const Plane letters = lettering(word_width, word_height, logo_lines, logo_style);
  logo.add(blur(letters, 14), {0.9, 0.25, 0.05});
  logo.add(blur(letters, 4), {1.0, 0.55, 0.15});
  logo.add(vertical_ramp(letters, 1.0, 0.55), {1.0, 1.0, 0.85});
  logo.add(beam(word_width, word_height, word_height / 2.0), {0.6, 0.75, 1.0});
  logo.multiply(edge_window(word_width, word_height, 6));
  return logo;
}

Picture make_logo_outline() {
  Picture outline(word_width, word_height);
  TextStyle style = logo_style;
  style.outline_width = 3.0;
  const Plane lines = lettering(word_width, word_height, logo_lines, style);
  outline.add(blur(lines, 6), {0.55, 0.55, 0.55});
  outline.add(lines, {0.8, 0.8, 0.8});
  outline.multiply(edge_window(word_width, word_height, 6));
  return outline;
}

Picture make_thanks_picture() {
  Picture thanks(word_width, word_height);
  const Plane letters =
      lettering(word_width, word_height, {"THANKS FOR", "WATCHING"}, {0.8, 1.3, 1.55});
  thanks.add(blur(letters, 12), {0.1, 0.35, 0.9});
  thanks.add(blur(letters, 3.5), {0.3, 0.7, 1.0});
  thanks.add(vertical_ramp(letters, 1.0, 0.7), {0.9, 0.97, 1.0});
  thanks.multiply(edge_window(word_width, word_height, 6));
  return thanks;
}
