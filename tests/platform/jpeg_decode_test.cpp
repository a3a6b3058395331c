#include <sys/resource.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/jpeg_decode.h"
#include "support/fixtures.h"
#include "support/jpeg_fixtures.h"
#include "support/temp_dir.h"

namespace {

struct Colour {
  int r, g, b;
};

// (x, y) counted from the picture's top-left corner, as it was painted.
Colour at_from_top(const JpegPicture& picture, int x, int y) {
  const std::size_t row = static_cast<std::size_t>(picture.height - 1 - y);
  const std::size_t at = (row * picture.width + x) * 3;
  return {picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
}

// JPEG is lossy: a colour is "the same" within a small margin.
::testing::AssertionResult near(Colour got, Colour want, int margin = 12) {
  if (std::abs(got.r - want.r) <= margin && std::abs(got.g - want.g) <= margin &&
      std::abs(got.b - want.b) <= margin) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "got (" << got.r << ", " << got.g << ", " << got.b << "), want (" << want.r << ", "
         << want.g << ", " << want.b << ")";
}

constexpr Colour red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};

// Samples well inside each area of marked_picture, away from edges that JPEG blurs.
void expect_marked_colours(const JpegPicture& picture) {
  const int w = picture.width, h = picture.height;
  EXPECT_TRUE(near(at_from_top(picture, w / 4, h / 8), red));
  EXPECT_TRUE(near(at_from_top(picture, 3 * w / 4, h / 8), red));
  EXPECT_TRUE(near(at_from_top(picture, w / 4, h / 2), green));
  EXPECT_TRUE(near(at_from_top(picture, 3 * w / 4, h / 2), blue));
  EXPECT_TRUE(near(at_from_top(picture, w / 4, h - 2), green));
  EXPECT_TRUE(near(at_from_top(picture, 3 * w / 4, h - 2), blue));
}

bool decodes(const std::vector<unsigned char>& bytes, JpegPicture& picture) {
  return decode_jpeg_memory(bytes.data(), bytes.size(), picture);
}

bool refused(const std::vector<unsigned char>& bytes) {
  JpegPicture picture;
  picture.width = 7;  // what a failed decode must not leave behind
  picture.rgb.assign(3, 1);
  const bool ok = decodes(bytes, picture);
  return !ok && picture.width == 0 && picture.height == 0 && picture.rgb.empty();
}

}  // namespace

TEST(JpegDecode, ColourPictureComesOutRgbWithTheBottomRowFirst) {
  JpegPicture picture;
  ASSERT_TRUE(decodes(encode_jpeg(marked_picture(64, 48)), picture));
  EXPECT_EQ(picture.width, 64);
  EXPECT_EQ(picture.height, 48);
  ASSERT_EQ(picture.rgb.size(), 64u * 48 * 3);
  // The buffer's first row is the picture's bottom row: green, then blue; its last row is red.
  EXPECT_TRUE(near({picture.rgb[0], picture.rgb[1], picture.rgb[2]}, green));
  const std::size_t last_row = std::size_t(47) * 64 * 3;
  EXPECT_TRUE(
      near({picture.rgb[last_row], picture.rgb[last_row + 1], picture.rgb[last_row + 2]}, red));
  expect_marked_colours(picture);
}

TEST(JpegDecode, EverySubsamplingAndOddSizeGivesTheSameColours) {
  for (const int subsampling : {TJSAMP_444, TJSAMP_422, TJSAMP_420, TJSAMP_440, TJSAMP_411}) {
    for (const int width : {37, 255, 257}) {
      SCOPED_TRACE("subsampling " + std::to_string(subsampling) + ", width " +
                   std::to_string(width));
      JpegPicture picture;
      ASSERT_TRUE(decodes(
          encode_jpeg(marked_picture(width, 29), JpegEncoding::baseline, subsampling), picture));
      EXPECT_EQ(picture.width, width);
      ASSERT_EQ(picture.rgb.size(), std::size_t(width) * 29 * 3);  // rows unpadded
      expect_marked_colours(picture);
    }
  }
}

TEST(JpegDecode, ProgressivePictureGivesTheSameColours) {
  JpegPicture picture;
  ASSERT_TRUE(
      decodes(encode_jpeg(marked_picture(90, 70), JpegEncoding::progressive, TJSAMP_420), picture));
  EXPECT_EQ(picture.width, 90);
  EXPECT_EQ(picture.height, 70);
  expect_marked_colours(picture);
}

TEST(JpegDecode, GreyscalePictureComesOutAsEqualRgbGreys) {
  JpegPicture picture;
  ASSERT_TRUE(decodes(encode_jpeg(marked_picture(40, 40), JpegEncoding::greyscale), picture));
  ASSERT_EQ(picture.rgb.size(), 40u * 40 * 3);
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    ASSERT_EQ(picture.rgb[i], picture.rgb[i + 1]) << "pixel " << i / 3;
    ASSERT_EQ(picture.rgb[i], picture.rgb[i + 2]) << "pixel " << i / 3;
  }
  // Luma of red, green and blue: 76, 150, 29.
  EXPECT_TRUE(near(at_from_top(picture, 10, 4), {76, 76, 76}, 6));
  EXPECT_TRUE(near(at_from_top(picture, 10, 30), {150, 150, 150}, 6));
  EXPECT_TRUE(near(at_from_top(picture, 30, 30), {29, 29, 29}, 6));
}

TEST(JpegDecode, CmykPictureComesBackInItsRgbColours) {
  // Quadrants that need black ink and all three colour inks in different amounts.
  const Colour quadrants[4] = {{200, 100, 50}, {30, 60, 90}, {255, 255, 255}, {0, 0, 0}};
  TestPicture painted{32, 32, std::vector<std::uint8_t>(32 * 32 * 3)};
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Colour c = quadrants[(y / 16) * 2 + x / 16];
      painted.set(x, y, c.r, c.g, c.b);
    }
  }
  const std::vector<unsigned char> cmyk = encode_jpeg(painted, JpegEncoding::cmyk);

  JpegPicture picture;
  ASSERT_TRUE(decodes(cmyk, picture));
  ASSERT_EQ(picture.rgb.size(), 32u * 32 * 3);
  for (int q = 0; q < 4; ++q) {
    EXPECT_TRUE(near(at_from_top(picture, 8 + 16 * (q % 2), 8 + 16 * (q / 2)), quadrants[q], 4))
        << "quadrant " << q;
  }

  // Without Adobe's marker nothing tells which way round the inks are stored.
  std::vector<unsigned char> unmarked = cmyk;
  std::size_t at = 2;
  auto segment = [&] { return 2 + std::size_t(unmarked[at + 2] << 8 | unmarked[at + 3]); };
  while (at + 4 < unmarked.size() && unmarked[at + 1] != 0xEE) at += segment();
  ASSERT_LT(at + 4, unmarked.size()) << "no APP14 segment";
  unmarked.erase(unmarked.begin() + at, unmarked.begin() + at + segment());
  ASSERT_LT(unmarked.size(), cmyk.size());
  EXPECT_TRUE(refused(unmarked));
}

TEST(JpegDecode, TruncatedPictureIsRefusedWhereverItIsCut) {
  const std::vector<unsigned char> whole =
      encode_jpeg(marked_picture(120, 80), JpegEncoding::baseline, TJSAMP_420);
  JpegPicture picture;
  ASSERT_TRUE(decodes(whole, picture));
  // Inside the headers, early and late in the scan, and only the end marker missing.
  for (const std::size_t keep :
       {std::size_t(20), std::size_t(200), whole.size() / 2, whole.size() - 40, whole.size() - 2}) {
    SCOPED_TRACE("first " + std::to_string(keep) + " of " + std::to_string(whole.size()));
    EXPECT_TRUE(refused({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(keep)}));
  }
}

TEST(JpegDecode, TruncatedProgressivePictureIsRefused) {
  const std::vector<unsigned char> whole =
      encode_jpeg(marked_picture(120, 80), JpegEncoding::progressive, TJSAMP_420);
  EXPECT_TRUE(
      refused({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)}));
}

TEST(JpegDecode, NonJpegDataIsRefused) {
  EXPECT_TRUE(refused({}));
  EXPECT_TRUE(refused(test_wav(1000, 0.05)));
  EXPECT_TRUE(refused(test_module()));
  std::vector<unsigned char> noise(4096);
  std::uint32_t state = 12345;
  for (unsigned char& byte : noise) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<unsigned char>(state >> 24);
  }
  EXPECT_TRUE(refused(noise));
  noise[0] = 0xFF;  // a start-of-image marker followed by noise
  noise[1] = 0xD8;
  EXPECT_TRUE(refused(noise));
  JpegPicture picture;
  EXPECT_FALSE(decode_jpeg_memory(nullptr, 0, picture));
}

TEST(JpegDecode, HeaderClaimingTooManyPixelsIsRefused) {
  const std::vector<unsigned char> small = encode_jpeg(marked_picture(16, 16));
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{
           {40000, 100}, {100, 40000}, {32768, 1}, {9000, 9000}, {65500, 65500}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    std::vector<unsigned char> claimed = small;
    ASSERT_TRUE(claim_jpeg_size(claimed, width, height));
    EXPECT_TRUE(refused(claimed));
  }
}

long peak_kilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A 9000 x 9000 claim would need 243 MB of pixels: the refusal must come before that buffer.
TEST(JpegDecode, HugeClaimIsRefusedWithoutReservingItsPixels) {
  std::vector<unsigned char> claimed = encode_jpeg(marked_picture(16, 16));
  ASSERT_TRUE(claim_jpeg_size(claimed, 9000, 9000));
  const long before = peak_kilobytes();
  EXPECT_TRUE(refused(claimed));
  EXPECT_LT(peak_kilobytes() - before, 32 * 1024);
}

TEST(JpegDecode, SidesUpTo32767PixelsAreTakenAndLongerOnesRefused) {
  JpegPicture picture;
  ASSERT_TRUE(decodes(encode_jpeg(marked_picture(32767, 8)), picture));
  EXPECT_EQ(picture.width, 32767);
  ASSERT_TRUE(decodes(encode_jpeg(marked_picture(8, 32767)), picture));
  EXPECT_EQ(picture.height, 32767);
  EXPECT_TRUE(refused(encode_jpeg(marked_picture(32768, 8))));
  EXPECT_TRUE(refused(encode_jpeg(marked_picture(8, 32768))));
}

// Damaged files of every kind must fail cleanly or decode to a whole picture, never crash or
// overrun (the sanitizer build watches).
TEST(JpegDecode, DamagedBytesNeverCrashTheDecoder) {
  const std::vector<std::vector<unsigned char>> originals = {
      encode_jpeg(marked_picture(48, 40), JpegEncoding::baseline, TJSAMP_420),
      encode_jpeg(marked_picture(48, 40), JpegEncoding::progressive, TJSAMP_444),
      encode_jpeg(marked_picture(48, 40), JpegEncoding::greyscale)};
  std::uint32_t state = 99;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  int refusals = 0;
  for (const auto& original : originals) {
    for (int round = 0; round < 300; ++round) {
      std::vector<unsigned char> damaged = original;
      const int flips = 1 + static_cast<int>(next() % 4);
      for (int i = 0; i < flips; ++i) {
        damaged[next() % damaged.size()] = static_cast<unsigned char>(next());
      }
      JpegPicture picture;
      if (decodes(damaged, picture)) {
        ASSERT_GT(picture.width, 0);
        ASSERT_GT(picture.height, 0);
        ASSERT_EQ(picture.rgb.size(), std::size_t(picture.width) * picture.height * 3);
      } else {
        ++refusals;
        ASSERT_TRUE(picture.rgb.empty());
      }
    }
  }
  EXPECT_GT(refusals, 0);
}

TEST(JpegFile, PictureFileDecodesLikeItsBytes) {
  TempDir dir;
  write_bytes(dir.file("logo.jpg"), encode_jpeg(marked_picture(33, 21)));
  JpegPicture picture;
  ASSERT_TRUE(decode_jpeg_file(dir.file("logo.jpg").c_str(), picture));
  EXPECT_EQ(picture.width, 33);
  EXPECT_EQ(picture.height, 21);
  expect_marked_colours(picture);
}

TEST(JpegFile, MissingEmptyAndUnreadableFilesAreRefused) {
  TempDir dir;
  JpegPicture picture;
  EXPECT_FALSE(decode_jpeg_file(dir.file("missing.jpg").c_str(), picture));
  write_bytes(dir.file("empty.jpg"), {});
  EXPECT_FALSE(decode_jpeg_file(dir.file("empty.jpg").c_str(), picture));
  EXPECT_FALSE(decode_jpeg_file(dir.path().c_str(), picture));  // a folder
  EXPECT_FALSE(decode_jpeg_file(nullptr, picture));
  EXPECT_TRUE(picture.rgb.empty());
}

TEST(JpegFile, FileLargerThanTheCapIsRefusedEvenWhenItStartsWithAPicture) {
  TempDir dir;
  const std::string path = dir.file("huge.jpg");
  write_bytes(path, encode_jpeg(marked_picture(16, 16)));
  // Sparse: a gigabyte on paper, nothing on disk.
  ASSERT_EQ(truncate(path.c_str(), std::int64_t{1} << 30), 0);
  JpegPicture picture;
  EXPECT_FALSE(decode_jpeg_file(path.c_str(), picture));
  ASSERT_EQ(truncate(path.c_str(), max_jpeg_file_bytes + 1), 0);
  EXPECT_FALSE(decode_jpeg_file(path.c_str(), picture));
}

TEST(JpegFile, TrailingBytesWithinTheCapDoNotStopAPicture) {
  TempDir dir;
  const std::string path = dir.file("padded.jpg");
  write_bytes(path, encode_jpeg(marked_picture(16, 16)));
  ASSERT_EQ(truncate(path.c_str(), max_jpeg_file_bytes), 0);
  JpegPicture picture;
  EXPECT_TRUE(decode_jpeg_file(path.c_str(), picture));
  EXPECT_EQ(picture.width, 16);
}
