// Pictures in the making: light planes in 0..1 (above 1 saturates), and their JPEG encoding.
#pragma once

#include <cstdint>
#include <vector>

struct Plane {
  Plane(int width, int height) : width(width), height(height), v(std::size_t(width) * height) {}
  double& at(int x, int y) { return v[std::size_t(y) * width + x]; }
  double at(int x, int y) const { return v[std::size_t(y) * width + x]; }
  int width, height;
  std::vector<double> v;
};

struct Rgb {
  double r, g, b;
};

// An RGB picture being composed by adding coloured light, as the show blends it.
class Picture {
 public:
  Picture(int width, int height) : red(width, height), green(width, height), blue(width, height) {}
  int width() const { return red.width; }
  int height() const { return red.height; }
  void add(const Plane& light, Rgb colour);
  // Multiplies every channel, for fades towards the edges.
  void multiply(const Plane& weight);
  // Clamped and rounded to 8 bits, top row first, R G B.
  std::vector<std::uint8_t> pixels() const;

  Plane red, green, blue;
};

// Gaussian-like blur (three box passes each way); `radius` is the standard deviation in pixels.
Plane blur(const Plane& plane, double radius);
// A window that is 1 inside radius `inner` and falls smoothly to 0 at `outer`, about the centre.
Plane radial_window(int width, int height, double inner, double outer);
// 1 inside, falling to 0 over `margin` pixels at every edge.
Plane edge_window(int width, int height, int margin);

// Baseline JPEG, 4:4:4, accurate DCT: the same pixels always give the same bytes.
std::vector<unsigned char> encode_jpeg(const Picture& picture, int quality);
