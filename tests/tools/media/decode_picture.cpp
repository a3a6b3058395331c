#include "decode_picture.h"

#include <algorithm>

#include "platform/jpeg_decode.h"

// Through the show's own decoder, turned back to top row first for reading.
DecodedPicture decode_picture(const std::string& path) {
  DecodedPicture picture;
  JpegPicture decoded;
  if (!decode_jpeg_file(path.c_str(), decoded)) return picture;
  picture.width = decoded.width;
  picture.height = decoded.height;
  const std::size_t row = static_cast<std::size_t>(decoded.width) * 3;
  picture.rgb.resize(decoded.rgb.size());
  for (int y = 0; y < decoded.height; ++y) {
    std::copy_n(&decoded.rgb[(decoded.height - 1 - y) * row], row, &picture.rgb[y * row]);
  }
  picture.ok = true;
  return picture;
}
