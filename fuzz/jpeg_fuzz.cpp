// The pictures up to the pixel buffer: any bytes either decode into a picture within the limits
// with a buffer of exactly its size, or are refused with nothing left behind.
#include <cstdint>

#include "platform/jpeg_decode.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  JpegPicture picture;
  picture.width = 7;  // stale contents must not survive a refusal
  if (!decode_jpeg_memory(data, size, picture)) {
    check(picture.width == 0 && picture.height == 0 && picture.rgb.empty());
    return 0;
  }
  check(picture.width > 0 && picture.height > 0);
  check(picture.width <= max_jpeg_side && picture.height <= max_jpeg_side);
  check(std::int64_t{picture.width} * picture.height <= max_jpeg_pixels);
  check(picture.rgb.size() == static_cast<std::size_t>(picture.width) * picture.height * 3);
  // Touch the first and last pixel: the buffer must be as large as it says.
  volatile std::uint8_t edge = picture.rgb.front() ^ picture.rgb.back();
  (void)edge;
  return 0;
}
