// JPEG pictures made on the spot with TurboJPEG, in the sizes and encodings a test needs.
#pragma once

#include <cstdint>
#include <vector>

// An RGB picture, top row first, as a painter sees it.
struct TestPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
};

// Top quarter red; below it the left half green and the right half blue. Shows at once whether a
// picture is upright (red on top) and unsheared (the green/blue edge stays vertical).
TestPicture marked_picture(int width, int height);

// `cmyk` holds inverted inks under Adobe's marker, as Adobe's writers store them.
enum class JpegEncoding { baseline, progressive, greyscale, cmyk };

// Quality 95; `subsampling` is TurboJPEG's TJSAMP value, ignored for greyscale and CMYK.
std::vector<unsigned char> encode_jpeg(const TestPicture& picture,
                                       JpegEncoding encoding = JpegEncoding::baseline,
                                       int subsampling = 0);

// Rewrites the frame header's size in place, so a small file can claim any size. False when
// there is no frame header.
bool claim_jpeg_size(std::vector<unsigned char>& jpeg, int width, int height);
