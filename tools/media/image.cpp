#include "image.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// One box pass of width 2 r + 1 along rows (`step` 1) or columns (`step` width).
void box_pass(std::vector<double>& v, int count, int length, int stride, int step, int r) {
  std::vector<double> line(static_cast<std::size_t>(length));
  for (int i = 0; i < count; ++i) {
    const std::size_t base = std::size_t(i) * stride;
    for (int k = 0; k < length; ++k) line[k] = v[base + std::size_t(k) * step];
    double sum = 0;
    for (int k = -r; k <= r; ++k) sum += (k >= 0 && k < length) ? line[k] : 0.0;
    for (int k = 0; k < length; ++k) {
      v[base + std::size_t(k) * step] = sum / (2 * r + 1);
      const int in = k + r + 1, out = k - r;
      if (in < length) sum += line[in];
      if (out >= 0) sum -= line[out];
    }
  }
}

double smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

}  // namespace

void Picture::add(const Plane& light, Rgb colour) {
  for (std::size_t i = 0; i < light.v.size(); ++i) {
    red.v[i] += light.v[i] * colour.r;
    green.v[i] += light.v[i] * colour.g;
    blue.v[i] += light.v[i] * colour.b;
  }
}

void Picture::multiply(const Plane& weight) {
  for (std::size_t i = 0; i < weight.v.size(); ++i) {
    red.v[i] *= weight.v[i];
    green.v[i] *= weight.v[i];
    blue.v[i] *= weight.v[i];
  }
}

std::vector<std::uint8_t> Picture::pixels() const {
  std::vector<std::uint8_t> out(red.v.size() * 3);
  auto byte = [](double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
  };
  for (std::size_t i = 0; i < red.v.size(); ++i) {
    out[3 * i] = byte(red.v[i]);
    out[3 * i + 1] = byte(green.v[i]);
    out[3 * i + 2] = byte(blue.v[i]);
  }
  return out;
}

Plane blur(const Plane& plane, double radius) {
  // Three box passes of width w approximate a Gaussian of variance 3 (w^2 - 1) / 12.
  const int r =
      std::max(1, static_cast<int>(std::lround((std::sqrt(4 * radius * radius + 1) - 1) / 2)));
  Plane out = plane;
  for (int pass = 0; pass < 3; ++pass) {
    box_pass(out.v, out.height, out.width, out.width, 1, r);
    box_pass(out.v, out.width, out.height, 1, out.width, r);
  }
  return out;
}

Plane radial_window(int width, int height, double inner, double outer) {
  Plane w(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = x + 0.5 - width / 2.0, dy = y + 0.5 - height / 2.0;
      w.at(x, y) = 1.0 - smoothstep(inner, outer, std::sqrt(dx * dx + dy * dy));
    }
  }
  return w;
}

Plane edge_window(int width, int height, int margin) {
  Plane w(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int d = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
      w.at(x, y) = smoothstep(0, margin, d);
    }
  }
  return w;
}

std::vector<unsigned char> encode_jpeg(const Picture& picture, int quality) {
  const std::vector<std::uint8_t> rgb = picture.pixels();
  tjhandle handle = tjInitCompress();
  if (handle == nullptr) throw std::runtime_error("TurboJPEG: cannot start a compressor");
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int failed = tjCompress2(handle, rgb.data(), picture.width(), 0, picture.height(), TJPF_RGB,
                                 &jpeg, &size, TJSAMP_444, quality, TJFLAG_ACCURATEDCT);
  std::vector<unsigned char> out;
  if (!failed) out.assign(jpeg, jpeg + size);
  const std::string reason = failed ? tjGetErrorStr2(handle) : "";
  tjFree(jpeg);
  tjDestroy(handle);
  if (failed) throw std::runtime_error("TurboJPEG: " + reason);
  return out;
}
