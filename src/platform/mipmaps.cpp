#include "platform/mipmaps.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

// Every rule and rounding below is GLU's, so that the web's textures equal the native ones; some
// of them are faults of GLU's, kept on purpose and marked.

namespace {

constexpr int channels = 3;

struct View {
  const std::uint8_t* rgb;
  int width, height;

  // A position past the end of a row reads on into the next row, as GLU's pointer walk does.
  // GLU reads past the picture itself only with weight 0, so 0 stands in for what lies there.
  float at(long x, long y, int channel) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * channels + channel;
    return i < static_cast<std::size_t>(width) * height * channels ? rgb[i] : 0;
  }
};

// GLU's "nearest" power of two: a side whose two top bits are set rounds up (3 -> 4, 200 -> 256,
// 384 -> 512), any other down (300 -> 256, 257 -> 256).
std::int64_t nearest_power(std::int64_t side) {
  std::int64_t power = 1;
  for (; side != 1; side >>= 1, power *= 2) {
    if (side == 3) return power * 4;
  }
  return power;
}

MipmapLevel blank(int width, int height) {
  MipmapLevel level{width, height, {}};
  level.rgb.resize(static_cast<std::size_t>(width) * height * channels);
  return level;
}

// A single row or column averages pairs rounding down; a picture with both sides above 1 averages
// squares of four, rounding to nearest. Sides are even, or 1.
MipmapLevel halve(const View& in) {
  MipmapLevel out = blank(std::max(in.width / 2, 1), std::max(in.height / 2, 1));
  std::uint8_t* o = out.rgb.data();
  if (in.width == 1 || in.height == 1) {
    for (std::size_t i = 0; i < out.rgb.size(); ++i) {
      const std::size_t pixel = i / channels * 2 * channels + i % channels;
      o[i] = (in.rgb[pixel] + in.rgb[pixel + channels]) / 2;
    }
    return out;
  }
  const std::size_t row = static_cast<std::size_t>(in.width) * channels;
  for (int y = 0; y < out.height; ++y) {
    const std::uint8_t* top = in.rgb + 2 * y * row;
    for (int x = 0; x < out.width * channels; ++x) {
      const int i = x / channels * 2 * channels + x % channels;
      *o++ = (top[i] + top[i + channels] + top[row + i] + top[row + i + channels] + 2) / 4;
    }
  }
  return out;
}

// A window's edge: whole pixels plus a fraction, stepped on in single precision like GLU's.
struct Edge {
  long whole = 0;
  float part = 0;

  void step(int whole_step, float part_step) {
    whole += whole_step;
    part += part_step;
    if (part > 1) {
      part = static_cast<float>(part - 1.0);
      ++whole;
    }
  }
};

// One output channel: the box from (lx, ly) to (hx, hy) over the input, weighted by coverage,
// summed in GLU's order so that the single-precision total matches it to the last bit.
float box_total(const View& in, Edge lx, Edge hx, Edge ly, Edge hy, int c) {
  float total = 0;
  if (hy.whole > ly.whole && hx.whole > lx.whole) {
    for (const auto& [y, weight] : {std::pair{ly.whole, 1 - ly.part}, {hy.whole, hy.part}}) {
      total += in.at(lx.whole, y, c) * (weight * (1 - lx.part));
      for (long x = lx.whole + 1; x < hx.whole; ++x) total += in.at(x, y, c) * weight;
      total += in.at(hx.whole, y, c) * (weight * hx.part);
    }
    // GLU fault: its pointers for the left and right columns creep one pixel right on each row.
    for (long y = ly.whole + 1; y < hy.whole; ++y) {
      const long creep = y - ly.whole - 1;
      total +=
          in.at(lx.whole + creep, y, c) * (1 - lx.part) + in.at(hx.whole + creep, y, c) * hx.part;
    }
  } else if (hy.whole > ly.whole) {
    const float weight = hx.part - lx.part;
    total += in.at(lx.whole, ly.whole, c) * ((1 - ly.part) * weight);
    for (long y = ly.whole + 1; y < hy.whole; ++y) total += in.at(lx.whole, y, c) * weight;
    total += in.at(lx.whole, hy.whole, c) * (weight * hy.part);
  } else if (hx.whole > lx.whole) {
    const float weight = hy.part - ly.part;
    total += in.at(lx.whole, ly.whole, c) * ((1 - lx.part) * weight);
    for (long x = lx.whole + 1; x < hx.whole; ++x) total += in.at(x, ly.whole, c) * weight;
    total += in.at(hx.whole, ly.whole, c) * (weight * hx.part);
  } else {
    total += in.at(lx.whole, ly.whole, c) * ((hy.part - ly.part) * (hx.part - lx.part));
  }
  for (long y = ly.whole + 1; y < hy.whole; ++y) {
    for (long x = lx.whole + 1; x < hx.whole; ++x) total += in.at(x, y, c);
  }
  return total;
}

MipmapLevel scale(const View& in, int width, int height) {
  if (in.width == 2 * width && in.height == 2 * height) return halve(in);
  MipmapLevel out = blank(width, height);
  const float conv_x = static_cast<float>(in.width) / width;
  const float conv_y = static_cast<float>(in.height) / height;
  const int step_x = static_cast<int>(std::floor(conv_x));
  const int step_y = static_cast<int>(std::floor(conv_y));
  const float part_x = conv_x - step_x, part_y = conv_y - step_y;
  const float area = conv_x * conv_y;
  std::uint8_t* o = out.rgb.data();
  Edge low_y, high_y{step_y, part_y};
  for (int y = 0; y < height; ++y) {
    // GLU fault: when the new height divides the old one (say it is a power of two already), this
    // clamp takes away the last input row's weight, and the last output row comes out black.
    if (high_y.whole >= in.height) high_y.whole = in.height - 1;
    Edge low_x, high_x{step_x, part_x};
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        // Truncated through int, as GLU's compiled conversion does.
        *o++ = static_cast<std::uint8_t>(
            static_cast<int>(box_total(in, low_x, high_x, low_y, high_y, c) / area));
      }
      low_x = high_x;
      high_x.step(step_x, part_x);
    }
    low_y = high_y;
    high_y.step(step_y, part_y);
  }
  return out;
}

View view_of(const MipmapLevel& level) {
  return {level.rgb.data(), level.width, level.height};
}

}  // namespace

std::vector<MipmapLevel> build_mipmaps(const std::uint8_t* rgb, int width, int height,
                                       int max_side) {
  if (rgb == nullptr || width < 1 || height < 1 || max_side < 1) return {};
  std::int64_t side_x = nearest_power(width), side_y = nearest_power(height);
  while (side_x > max_side || side_y > max_side) {
    side_x = std::max<std::int64_t>(side_x / 2, 1);
    side_y = std::max<std::int64_t>(side_y / 2, 1);
  }
  const View picture{rgb, width, height};
  std::vector<MipmapLevel> levels;
  if (side_x == width && side_y == height) {
    levels.push_back(blank(width, height));
    std::copy(rgb, rgb + levels[0].rgb.size(), levels[0].rgb.begin());
  } else {
    levels.push_back(scale(picture, static_cast<int>(side_x), static_cast<int>(side_y)));
  }
  while (levels.back().width > 1 || levels.back().height > 1) {
    levels.push_back(halve(view_of(levels.back())));
  }
  return levels;
}

void upload_mipmaps(const std::vector<MipmapLevel>& levels) {
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const MipmapLevel& level = levels[i];
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGB, level.width, level.height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, level.rgb.data());
  }
}
