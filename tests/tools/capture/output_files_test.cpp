// What the capture writes: PNG pictures, the WAV soundtrack, the contact sheet and the
// benchmark's figures.
#include <cstring>

#include "bench.h"
#include "contact_sheet.h"
#include "core/rng.h"
#include "gtest/gtest.h"
#include "png_queue.h"
#include "png_writer.h"
#include "progress.h"
#include "soundtrack.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace {

RgbImage gradient(int width, int height) {
  RgbImage image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.pixels.push_back(static_cast<std::uint8_t>(x * 7));
      image.pixels.push_back(static_cast<std::uint8_t>(y * 11));
      image.pixels.push_back(static_cast<std::uint8_t>(x ^ y));
    }
  }
  return image;
}

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

}  // namespace

TEST(PngFiles, PicturesComeBackPixelForPixelWithTheTopRowFirst) {
  TempDir dir;
  const RgbImage image = gradient(37, 21);  // odd sizes: no row padding may creep in
  std::string error;
  ASSERT_TRUE(write_png(dir.file("a.png"), image, error)) << error;
  RgbImage back;
  ASSERT_TRUE(read_png(dir.file("a.png"), back));
  EXPECT_EQ(back.width, 37);
  EXPECT_EQ(back.height, 21);
  EXPECT_EQ(back.pixels, image.pixels);
}

TEST(PngFiles, FramesAreNumberedWithSixDigitsAndAnUnwritableFileIsAnError) {
  EXPECT_EQ(numbered_png_path("/x", 42), "/x/frame-000042.png");
  EXPECT_EQ(numbered_png_path("d", 16850), "d/frame-016850.png");
  std::string error;
  EXPECT_FALSE(write_png("/no/such/folder/a.png", gradient(2, 2), error));
  EXPECT_NE(error.find("/no/such/folder/a.png"), std::string::npos);
}

TEST(PngFiles, QueueWritesEveryPictureAndReportsTheFirstFailure) {
  TempDir dir;
  {
    PngQueue queue;
    for (int n = 0; n < 12; ++n) {
      ASSERT_TRUE(queue.add(numbered_png_path(dir.path(), n), gradient(30 + n, 20)));
    }
    std::string error;
    ASSERT_TRUE(queue.finish(error)) << error;
    for (int n = 0; n < 12; ++n) {
      RgbImage back;
      ASSERT_TRUE(read_png(numbered_png_path(dir.path(), n), back)) << n;
      EXPECT_EQ(back.pixels, gradient(30 + n, 20).pixels) << n;
    }
  }
  PngQueue failing;
  failing.add(dir.file("missing/a.png"), gradient(4, 4));
  std::string error;
  EXPECT_FALSE(failing.finish(error));
  EXPECT_NE(error.find("missing/a.png"), std::string::npos) << error;
  EXPECT_FALSE(failing.add(dir.file("b.png"), gradient(4, 4)));
}

TEST(WavFiles, HeaderCountsEveryFrameWrittenAndSamplesFollowInOrder) {
  TempDir dir;
  WavWriter wav;
  std::string error;
  ASSERT_TRUE(wav.open(dir.file("s.wav"), 44100, error)) << error;
  const std::int16_t block[6] = {1, -1, 300, -300, 32767, -32768};
  ASSERT_TRUE(wav.write(block, 3));
  ASSERT_TRUE(wav.write(block, 2));
  ASSERT_TRUE(wav.close(error)) << error;
  const auto bytes = read_bytes(dir.file("s.wav"));
  ASSERT_EQ(bytes.size(), 44u + 5 * 4);
  EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
  EXPECT_EQ(le32(bytes, 4), 36u + 20);
  EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(le32(bytes, 24), 44100u);
  EXPECT_EQ(le32(bytes, 28), 44100u * 4);
  EXPECT_EQ(bytes[22], 2);   // channels
  EXPECT_EQ(bytes[34], 16);  // bits
  EXPECT_EQ(le32(bytes, 40), 20u);
  std::int16_t samples[10];
  std::memcpy(samples, bytes.data() + 44, sizeof samples);
  EXPECT_EQ(samples[4], 32767);
  EXPECT_EQ(samples[5], -32768);
  EXPECT_EQ(samples[6], 1);
  EXPECT_EQ(samples[9], -300);
}

TEST(ContactSheet, PutsEachStageInItsOwnLabelledTile) {
  ContactSheet sheet(60, 60);
  EXPECT_TRUE(sheet.wants(2500));
  EXPECT_TRUE(sheet.wants(16850));
  EXPECT_FALSE(sheet.wants(2501));
  const std::vector<std::uint8_t> red(60 * 60 * 3, 0);
  std::vector<std::uint8_t> frame = red;
  for (std::size_t i = 0; i < frame.size(); i += 3) frame[i] = 200;
  sheet.add(10700, 3, frame);  // fourth tile: top row, fourth column
  const RgbImage& image = sheet.image();
  ASSERT_EQ(image.width, 5 * 60 + 6 * 4);
  ASSERT_EQ(image.height, 2 * 60 + 3 * 4);
  const auto at = [&](int x, int y) { return &image.pixels[(y * image.width + x) * 3]; };
  const int x0 = 4 + 3 * 64, y0 = 4;
  EXPECT_EQ(at(x0 + 50, y0 + 50)[0], 200);  // the frame itself, away from the label
  EXPECT_EQ(at(x0 + 50, y0 + 50)[1], 0);
  // The label "3" on its black box: the top bar of the digit is white.
  EXPECT_EQ(at(x0 + 2, y0 + 2)[1], 255);
  EXPECT_EQ(at(x0 + 1, y0 + 1)[0], 0);
  // Tiles without a frame, and the gaps, stay grey.
  EXPECT_EQ(at(4 + 30, 4 + 30)[0], at(2, 2)[0]);
  EXPECT_NE(at(2, 2)[0], 200);
}

// The frames before --from run fast and are not written: the time left comes from written frames.
TEST(ProgressLine, CountsWrittenFramesAndTheirRateSinceTheFirst) {
  EXPECT_EQ(progress_line(1, 200, 0.0), "[..............................] 1/200 frames ");
  EXPECT_EQ(progress_line(101, 200, 10.0),
            "[###############...............] 101/200 frames  10.0 fps  0:09 left ");
  EXPECT_EQ(progress_line(200, 200, 19.9),
            "[##############################] 200/200 frames  10.0 fps  0:00 left ");
}

TEST(BenchFigures, MedianAndNinetyFifthPercentileAreNearestRank) {
  std::vector<double> values;
  for (int i = 100; i >= 1; --i) values.push_back(i);
  const Spread s = spread_of(values);
  EXPECT_EQ(s.median, 50);
  EXPECT_EQ(s.p95, 95);
  EXPECT_EQ(spread_of({7.0}).p95, 7.0);
  EXPECT_EQ(spread_of({}).median, 0.0);
}
