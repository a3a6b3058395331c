// The comet sprite and the smoke: pictures computed pixel by pixel.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "pictures.h"

namespace {

constexpr int sprite_size = 128;
constexpr int smoke_size = 512;

// Hash of a lattice point to a gradient angle; the lattice wraps at `period` cells.
double lattice_angle(int x, int y, int period, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(((x % period) + period) % period) * 0x8DA6B343u;
  h ^= static_cast<std::uint32_t>(((y % period) + period) % period) * 0xD8163841u;
  h ^= seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  h ^= h >> 15;
  return (h & 0xFFFF) / 65536.0 * 2 * 3.14159265358979323846;
}

// Gradient noise over a lattice of `period` cells that repeats after one unit in u and v.
double periodic_noise(double u, double v, int period, std::uint32_t seed) {
  const double x = u * period, y = v * period;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  auto corner = [&](int cx, int cy) {
    const double a = lattice_angle(cx, cy, period, seed);
    return std::cos(a) * (x - cx) + std::sin(a) * (y - cy);
  };
  auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
  const double sx = fade(fx), sy = fade(fy);
  const double top = corner(x0, y0) + sx * (corner(x0 + 1, y0) - corner(x0, y0));
  const double bottom = corner(x0, y0 + 1) + sx * (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1));
  return top + sy * (bottom - top);
}

// Fractal sum of octaves, each with twice the lattice cells; about -1..1.
double fbm(double u, double v, int base_period, int octaves, std::uint32_t seed) {
  double sum = 0, amplitude = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * periodic_noise(u, v, base_period << o, seed + o);
    total += amplitude;
    amplitude *= 0.5;
  }
  return sum / total * 1.6;
}

}  // namespace

Picture make_comet_sprite() {
  Picture sprite(sprite_size, sprite_size);
  Plane light(sprite_size, sprite_size);
  const double half = sprite_size / 2.0;
  const double reach = 0.86 * half;  // the glow ends here, well inside the square
  for (int y = 0; y < sprite_size; ++y) {
    for (int x = 0; x < sprite_size; ++x) {
      const double dx = x + 0.5 - half, dy = y + 0.5 - half;
      const double r = std::sqrt(dx * dx + dy * dy) / reach;
      if (r >= 1) continue;
      const double halo = std::pow(1 - r * r, 3);
      const double core = std::exp(-r * r / (0.12 * 0.12));
      light.at(x, y) = 0.72 * halo + 0.55 * core;
    }
  }
  sprite.add(light, {1.0, 1.0, 1.0});
  return sprite;
}

Picture make_smoke() {
  Picture smoke(smoke_size, smoke_size);
  Plane light(smoke_size, smoke_size);
  for (int y = 0; y < smoke_size; ++y) {
    for (int x = 0; x < smoke_size; ++x) {
      const double u = (x + 0.5) / smoke_size, v = (y + 0.5) / smoke_size;
      // The warp is itself periodic, so the smoke still tiles after it curls.
      const double wu = u + 0.12 * fbm(u, v, 3, 4, 11);
      const double wv = v + 0.12 * fbm(u, v, 3, 4, 23);
      const double n = fbm(wu, wv, 4, 6, 37);
      light.at(x, y) = std::pow(std::clamp(0.5 + 0.55 * n, 0.0, 1.0), 1.6);
    }
  }
  smoke.add(light, {1.0, 0.78, 0.62});
  return smoke;
}
