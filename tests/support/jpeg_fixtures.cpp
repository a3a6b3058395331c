#include "support/jpeg_fixtures.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>

void TestPicture::set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
  rgb[at] = r;
  rgb[at + 1] = g;
  rgb[at + 2] = b;
}

TestPicture marked_picture(int width, int height) {
  TestPicture picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (y < height / 4) {
        picture.set(x, y, 255, 0, 0);
      } else if (x < width / 2) {
        picture.set(x, y, 0, 255, 0);
      } else {
        picture.set(x, y, 0, 0, 255);
      }
    }
  }
  return picture;
}

namespace {

// Inverted inks as Adobe's writers store them, black taking the common part: black keeps the
// brightest channel, and each colour ink what is left of its own channel beside it.
std::vector<unsigned char> to_cmyk(const TestPicture& picture) {
  std::vector<unsigned char> cmyk;
  cmyk.reserve(picture.rgb.size() / 3 * 4);
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    const int black = std::max({picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]});
    for (int c = 0; c < 3; ++c) {
      const int ink = black == 0 ? 255 : (picture.rgb[i + c] * 255 + black / 2) / black;
      cmyk.push_back(static_cast<unsigned char>(ink));
    }
    cmyk.push_back(static_cast<unsigned char>(black));
  }
  return cmyk;
}

}  // namespace

std::vector<unsigned char> encode_jpeg(const TestPicture& picture, JpegEncoding encoding,
                                       int subsampling) {
  tjhandle compressor = tjInitCompress();
  if (compressor == nullptr) throw std::runtime_error("tjInitCompress failed");

  std::vector<unsigned char> cmyk;
  const unsigned char* source = picture.rgb.data();
  int pixel_format = TJPF_RGB;
  int flags = TJFLAG_ACCURATEDCT;
  switch (encoding) {
    case JpegEncoding::baseline:
      break;
    case JpegEncoding::progressive:
      flags |= TJFLAG_PROGRESSIVE;
      break;
    case JpegEncoding::greyscale:
      subsampling = TJSAMP_GRAY;
      break;
    case JpegEncoding::cmyk:
      cmyk = to_cmyk(picture);
      source = cmyk.data();
      pixel_format = TJPF_CMYK;
      subsampling = TJSAMP_444;
      break;
  }

  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int result = tjCompress2(compressor, source, picture.width, 0, picture.height, pixel_format,
                                 &jpeg, &size, subsampling, 95, flags);
  const std::string error = result == 0 ? "" : tjGetErrorStr2(compressor);
  tjDestroy(compressor);
  if (result != 0) {
    tjFree(jpeg);
    throw std::runtime_error("tjCompress2 failed: " + error);
  }
  std::vector<unsigned char> bytes(jpeg, jpeg + size);
  tjFree(jpeg);
  return bytes;
}

bool claim_jpeg_size(std::vector<unsigned char>& jpeg, int width, int height) {
  // Walk the marker segments up to the first start-of-frame (SOF0..SOF2).
  std::size_t at = 2;
  while (at + 9 <= jpeg.size() && jpeg[at] == 0xFF) {
    const unsigned char marker = jpeg[at + 1];
    if (marker >= 0xC0 && marker <= 0xC2) {
      jpeg[at + 5] = static_cast<unsigned char>(height >> 8);
      jpeg[at + 6] = static_cast<unsigned char>(height);
      jpeg[at + 7] = static_cast<unsigned char>(width >> 8);
      jpeg[at + 8] = static_cast<unsigned char>(width);
      return true;
    }
    at += 2 + (std::size_t(jpeg[at + 2]) << 8 | jpeg[at + 3]);
  }
  return false;
}
