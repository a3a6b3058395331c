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

WindowSize scaled_window_size(WindowSize chosen, float scale, WindowSize limit) {
  if (scale <= 1 || chosen.width <= 0 || chosen.height <= 0) return chosen;
  const double fits = std::min(static_cast<double>(limit.width) / chosen.width,
                               static_cast<double>(limit.height) / chosen.height);
  if (fits >= scale) return {scaled(chosen.width, scale), scaled(chosen.height, scale)};
  if (fits <= 1) return chosen;
  // Rounded down, so that neither side passes the limit.
  return {static_cast<int>(chosen.width * fits), static_cast<int>(chosen.height * fits)};
}
