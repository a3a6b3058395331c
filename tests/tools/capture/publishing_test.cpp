// Captures to publish and to edit: a display's frame rate with its sound on time, a video that
// players and sites take as it is, and a lossless master that is the same on every run.
#include <cmath>
#include <cstring>
#include <sstream>

#include "capture_runs.h"
#include "gtest/gtest.h"
#include "png_writer.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "video_formats.h"
#include "video_pipe.h"

namespace {

ProcessResult tool(const std::string& name, std::vector<std::string> args) {
  args.insert(args.begin(), {"/usr/bin/env", name, "-v", "error"});
  return run_process(args, ProcessOptions{});
}

// ffmpeg's decoding of `input` into the raw file `output` with the given output options.
bool decode(const std::string& input, std::vector<std::string> options, const std::string& output) {
  std::vector<std::string> args = {"-nostdin", "-i", input};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {"-y", output});
  const ProcessResult r = tool("ffmpeg", args);
  EXPECT_EQ(r.exit_status, 0) << r.err;
  return r.exit_status == 0;
}

std::vector<std::int16_t> as_samples(const std::vector<unsigned char>& bytes) {
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

std::ptrdiff_t find(const std::vector<unsigned char>& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) - bytes.begin();
}

class PublishingCaptures : public CaptureRuns {
 protected:
  void SetUp() override {
    if (!have_ffmpeg()) GTEST_SKIP() << "no ffmpeg";
    CaptureRuns::SetUp();
  }
};

}  // namespace

// The fixture's song is over long before the strike, at show frame 5000, shown by display frame
// 3000 at 60 a second: 30 frames, 22050 mix samples or 24000 video samples after the first one.
TEST_F(PublishingCaptures, SixtyAsecondShowsTheFramesDoneByThenWithTheStrikeOnItsSample) {
  const ProcessResult r =
      capture({"--fps", "60", "--from", "2970", "--frames", "70", "--video", out.file("v.mp4"),
               "--audio", out.file("a.wav"), "--trace", out.file("t.jsonl")});
  ASSERT_EQ(r.exit_status, 0) << r.err;

  const auto trace = read_lines(out.file("t.jsonl"));
  ASSERT_EQ(trace.size(), 70u);
  EXPECT_EQ(json_value(trace[0], "frame"), "2970");
  EXPECT_EQ(json_value(trace[31], "step"), "5001");  // frame 3001: 5 x 3001 / 3, rounded down
  EXPECT_EQ(json_value(trace[29], "stage"), "0");
  EXPECT_EQ(json_value(trace[30], "stage"), "1");

  const Wav wav = read_wav(out.file("a.wav"));
  ASSERT_EQ(wav.samples.size(), 70u * 735 * 2);
  const std::size_t strike = 30 * 735 * 2;
  EXPECT_EQ(rms(wav.samples, 0, strike), 0.0);
  EXPECT_NE(wav.samples[strike], 0);

  const ProcessResult probe =
      tool("ffprobe", {"-show_entries",
                       "stream=codec_name,profile,pix_fmt,color_range,color_space,color_transfer,"
                       "color_primaries,r_frame_rate,sample_rate,channels,nb_frames",
                       "-of", "csv=p=0", out.file("v.mp4")});
  ASSERT_EQ(probe.exit_status, 0) << probe.err;
  EXPECT_NE(probe.out.find("h264,High,yuv420p,tv,bt709,bt709,bt709,60/1,70"), std::string::npos)
      << probe.out;
  EXPECT_NE(probe.out.find("aac,LC,48000,2"), std::string::npos) << probe.out;

  const auto file = read_bytes(out.file("v.mp4"));
  EXPECT_LT(find(file, "moov"), find(file, "mdat"));           // the index first
  EXPECT_EQ(find(file, "elst"), std::ptrdiff_t(file.size()));  // no edit list to honour or ignore

  // Closed groups of half a second: a picture that needs no other every 30 frames.
  const ProcessResult keys = tool("ffprobe", {"-select_streams", "v", "-show_entries",
                                              "packet=flags", "-of", "csv=p=0", out.file("v.mp4")});
  std::istringstream packets(keys.out);
  std::vector<int> key_frames;
  int n = 0;
  for (std::string flags; std::getline(packets, flags); ++n) {
    if (flags.rfind('K', 0) == 0) key_frames.push_back(n);
  }
  EXPECT_EQ(key_frames, (std::vector<int>{0, 30, 60})) << keys.out;

  // Upload guidance: at most two B-frames in a row.
  const ProcessResult types =
      tool("ffprobe", {"-select_streams", "v", "-show_entries", "frame=pict_type", "-of", "csv=p=0",
                       out.file("v.mp4")});
  int run = 0, longest = 0;
  for (char c : types.out) {
    if (c == '\n') continue;
    run = c == 'B' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_LE(longest, 2) << types.out;

  // Decoded as players decode it, without an edit list: the strike starts on its sample.
  ASSERT_TRUE(
      decode(out.file("v.mp4"), {"-map", "0:a", "-f", "s16le", "-ac", "1"}, out.file("a.raw")));
  const auto sound = as_samples(read_bytes(out.file("a.raw")));
  ASSERT_GE(sound.size(), 70u * 800);
  int loudest = 0;
  for (std::int16_t s : sound) loudest = std::max(loudest, std::abs(int(s)));
  const auto onset = std::find_if(sound.begin(), sound.end(),
                                  [&](std::int16_t s) { return std::abs(int(s)) > loudest / 4; });
  EXPECT_NEAR(double(onset - sound.begin()), 24000.0, 2.0);
}

// The AAC encoder's priming is taken off the sound's start: a sound no longer than it once left
// a video with no sound at all.
TEST_F(PublishingCaptures, ClipShorterThanTheAacPrimingKeepsItsSound) {
  const ProcessResult r = capture(
      {"--fps", "60", "--frames", "1", "--video", out.file("v.mp4"), "--audio", out.file("a.wav")});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const ProcessResult probe =
      tool("ffprobe", {"-show_entries", "stream=codec_type", "-of", "csv=p=0", out.file("v.mp4")});
  EXPECT_EQ(probe.out, "video\naudio\n");
}

TEST_F(PublishingCaptures, MasterIsTheDrawnFramesAndMixLosslesslyAndTheSameOnEveryRun) {
  const std::vector<std::string> stretch = {"--fps", "50", "--from", "100", "--frames", "5"};
  auto first = stretch, second = stretch;
  first.insert(first.end(), {"--master", out.file("m1.mkv"), "--png", out.file("png"), "--audio",
                             out.file("a.wav")});
  second.insert(second.end(), {"--master", out.file("m2.mkv")});  // the sound rendered for it
  for (const auto& args : {first, second}) {
    const ProcessResult r = capture(args);
    ASSERT_EQ(r.exit_status, 0) << r.err;
  }
  EXPECT_TRUE(read_bytes(out.file("m2.mkv.sound.wav")).empty());  // cleaned up

  const ProcessResult sums = tool("ffmpeg", {"-i", out.file("m1.mkv"), "-f", "framemd5", "-"});
  EXPECT_NE(sums.out.find("\n1,          0,"), std::string::npos) << sums.out;  // with sound
  EXPECT_EQ(sums.out, tool("ffmpeg", {"-i", out.file("m2.mkv"), "-f", "framemd5", "-"}).out);
  EXPECT_EQ(read_bytes(out.file("m1.mkv")), read_bytes(out.file("m2.mkv")));
  const ProcessResult tags =
      tool("ffprobe", {"-select_streams", "v", "-show_entries",
                       "stream=codec_name,color_space,color_primaries,color_transfer", "-of",
                       "csv=p=0", out.file("m1.mkv")});
  EXPECT_EQ(tags.out, "ffv1,gbr,iec61966-2-1,bt709\n");  // RGB pictures in sRGB

  ASSERT_TRUE(decode(out.file("m1.mkv"), {"-map", "0:v", "-f", "rawvideo", "-pix_fmt", "rgb24"},
                     out.file("v.rgb")));
  const auto pictures = read_bytes(out.file("v.rgb"));
  ASSERT_EQ(pictures.size(), 5u * 64 * 48 * 3);
  for (int n = 0; n < 5; ++n) {
    RgbImage drawn;
    ASSERT_TRUE(read_png(numbered_png_path(out.file("png"), 100 + n), drawn)) << n;
    const auto at = pictures.begin() + n * 64 * 48 * 3;
    EXPECT_TRUE(std::equal(drawn.pixels.begin(), drawn.pixels.end(), at)) << n;
  }
  ASSERT_TRUE(decode(out.file("m1.mkv"), {"-map", "0:a", "-f", "s16le"}, out.file("a.raw")));
  const Wav mix = read_wav(out.file("a.wav"));
  EXPECT_EQ(mix.samples.size(), 5u * 882 * 2);
  EXPECT_EQ(as_samples(read_bytes(out.file("a.raw"))), mix.samples);
}

// A BT.601 matrix where BT.709 is tagged puts saturated colours about 10 levels off.
TEST(VideoPath, ColourBarsComeBackThroughTheTaggedMatrixWithinTwoLevels) {
  if (!have_ffmpeg()) GTEST_SKIP() << "no ffmpeg";
  const int width = 128, height = 96, bar = width / 8;
  const std::uint8_t bars[8][3] = {{255, 255, 255}, {191, 191, 0}, {0, 191, 191}, {0, 255, 0},
                                   {255, 0, 255},   {191, 0, 0},   {0, 0, 191},   {64, 64, 64}};
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), bars[x / bar], bars[x / bar] + 3);
  }
  TempDir out;
  VideoPipe video;
  std::string error;
  ASSERT_TRUE(
      video.open(out.file("bars.mp4"), width, height, "60", publishing_video(30), false, error))
      << error;
  for (int n = 0; n < 3; ++n) ASSERT_TRUE(video.write_frame(rgb));
  ASSERT_TRUE(video.close("", error)) << error;

  ASSERT_TRUE(decode(out.file("bars.mp4"),
                     {"-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "yuv420p"},
                     out.file("bars.yuv")));
  const auto yuv = read_bytes(out.file("bars.yuv"));
  ASSERT_EQ(yuv.size(), std::size_t(width * height * 3 / 2));
  const std::uint8_t* luma = yuv.data();
  const std::uint8_t* cb = luma + width * height;
  const std::uint8_t* cr = cb + width * height / 4;
  for (int b = 0; b < 8; ++b) {
    // The middle of the bar, away from the chroma shared with its neighbours.
    double sum[3] = {};
    int count = 0;
    for (int y = 16; y < height - 16; ++y) {
      for (int x = b * bar + 4; x < (b + 1) * bar - 4; ++x, ++count) {
        const std::size_t c = std::size_t(y / 2) * (width / 2) + x / 2;
        const double l = (luma[y * width + x] - 16) / 219.0;
        const double u = (cb[c] - 128) / 224.0, v = (cr[c] - 128) / 224.0;
        sum[0] += 255 * (l + 1.5748 * v);
        sum[1] += 255 * (l - 0.1873 * u - 0.4681 * v);
        sum[2] += 255 * (l + 1.8556 * u);
      }
    }
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(sum[k] / count, bars[b][k], 2.0) << b << "/" << k;
  }
}
