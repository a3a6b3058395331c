#include "platform/display_scale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double designed_dpi = 96;
constexpr double largest_scale = 4;

// Digits with an optional fraction, then nothing but blanks; read by hand, since strtod follows
// the locale's decimal comma.
bool read_dpi(const char* text, double& dpi) {
  if (text == nullptr) return false;
  dpi = 0;
  bool digits = false;
  for (; *text >= '0' && *text <= '9'; ++text, digits = true) dpi = dpi * 10 + (*text - '0');
  if (*text == '.') {
    double place = 0.1;
    for (++text; *text >= '0' && *text <= '9'; ++text, place /= 10, digits = true) {
      dpi += (*text - '0') * place;
    }
  }
  while (*text == ' ' || *text == '\t') ++text;
  return digits && *text == '\0';
}

}  // namespace

float scale_for_dpi(const char* xft_dpi) {
  double dpi = 0;
  if (!read_dpi(xft_dpi, dpi) || dpi <= designed_dpi) return 1;
  return static_cast<float>(std::min(dpi / designed_dpi, largest_scale));
}

int scaled(int pixels, float scale) {
  return static_cast<int>(std::lround(pixels * static_cast<double>(scale)));
}

WindowSize scaled_window_size(WindowSize chosen, float scale, WindowSize limit,
                              FrameExtents frame) {
  if (scale <= 1 || chosen.width <= 0 || chosen.height <= 0) return chosen;
  const long long width = limit.width - frame.left - frame.right;
  const long long height = limit.height - frame.top - frame.bottom;
  const double fits = std::min(static_cast<double>(width) / chosen.width,
                               static_cast<double>(height) / chosen.height);
  if (fits >= scale) return {scaled(chosen.width, scale), scaled(chosen.height, scale)};
  if (fits <= 1) return chosen;
  // The side that limits fills it; the other is rounded down, so that neither passes it.
  if (width * chosen.height <= height * chosen.width) {
    return {static_cast<int>(width), static_cast<int>(width * chosen.height / chosen.width)};
  }
  return {static_cast<int>(height * chosen.width / chosen.height), static_cast<int>(height)};
}
