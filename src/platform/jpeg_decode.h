// JPEG decoding into a plain RGB buffer ready for texture upload, kept apart from OpenGL so that
// untrusted files can be tried without a context and without ending the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct JpegPicture {
  int width = 0;
  int height = 0;
  // width * height * 3 bytes of red, green, blue; rows unpadded, bottom row first, so that
  // texture coordinate t = 1 is the picture's top edge.
  std::vector<std::uint8_t> rgb;
};

// Limits checked on the header before anything is allocated for the pixels.
constexpr int max_jpeg_side = 32767;
constexpr std::int64_t max_jpeg_pixels = std::int64_t{64} * 1024 * 1024;
constexpr std::int64_t max_jpeg_file_bytes = std::int64_t{64} * 1024 * 1024;

// False, with `out` emptied, for a file that is missing, unreadable, over the limits, truncated,
// corrupt, or CMYK without Adobe's marker (whose inks may be stored either way round).
bool decode_jpeg_file(const char* file_name, JpegPicture& out);
// The size from the header alone, before anything is decoded; false when there is no header.
bool jpeg_size(const unsigned char* data, std::size_t size, int& width, int& height);
bool decode_jpeg_memory(const unsigned char* data, std::size_t size, JpegPicture& out);
