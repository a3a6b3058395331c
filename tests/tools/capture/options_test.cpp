// The capture tool's command line: what it accepts, what it refuses, which frames it writes.
#include "options.h"
#include "gtest/gtest.h"

namespace {

ParsedOptions parse(std::vector<std::string> args) {
  return parse_options(args);
}

}  // namespace

TEST(CaptureOptions, DefaultsAreTheWholeShowAt640x480WithSeedOne) {
  const ParsedOptions p = parse({});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.width, 640);
  EXPECT_EQ(p.options.height, 480);
  EXPECT_EQ(p.options.seed, 1u);
  EXPECT_EQ(p.options.media_dir, "");
  EXPECT_EQ(last_written_frame(p.options), 16850);
  EXPECT_TRUE(is_kept_frame(p.options, 0));
  EXPECT_TRUE(is_kept_frame(p.options, 16850));
  EXPECT_FALSE(is_kept_frame(p.options, 16851));
}

TEST(CaptureOptions, EveryOptionTakesItsValue) {
  const ParsedOptions p =
      parse({"--media", "m",       "--size",          "320x240", "--seed",  "4294967295",
             "--from",  "100",     "--frames",        "50",      "--every", "7",
             "--png",   "p",       "--video",         "v.mp4",   "--audio", "a.wav",
             "--trace", "t.jsonl", "--contact-sheet", "c.png"});
  ASSERT_EQ(p.error, "");
  const CaptureOptions& o = p.options;
  EXPECT_EQ(o.media_dir, "m");
  EXPECT_EQ(o.width, 320);
  EXPECT_EQ(o.height, 240);
  EXPECT_EQ(o.seed, 4294967295u);
  EXPECT_EQ(o.png_dir, "p");
  EXPECT_EQ(o.video_file, "v.mp4");
  EXPECT_EQ(o.audio_file, "a.wav");
  EXPECT_EQ(o.trace_file, "t.jsonl");
  EXPECT_EQ(o.contact_sheet_file, "c.png");
  EXPECT_EQ(last_written_frame(o), 149);
  EXPECT_TRUE(is_kept_frame(o, 100));
  EXPECT_TRUE(is_kept_frame(o, 107));
  EXPECT_FALSE(is_kept_frame(o, 106));
  EXPECT_FALSE(is_kept_frame(o, 93));
  EXPECT_TRUE(is_kept_frame(o, 149));
  EXPECT_FALSE(is_kept_frame(o, 156));
}

TEST(CaptureOptions, PlayTakesAStretchAndABufferSize) {
  const ParsedOptions p =
      parse({"--play", "--from", "13300", "--frames", "2500", "--buffer", "4096"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.play);
  EXPECT_EQ(p.options.buffer, 4096);
  EXPECT_EQ(last_written_frame(p.options), 15799);
  EXPECT_EQ(parse({"--play"}).options.buffer, 0);  // the show's own
}

TEST(CaptureOptions, FpsCountsDisplayFramesForTheRangeAndTheSound) {
  const ParsedOptions p =
      parse({"--fps", "60", "--from", "10100", "--frames", "50", "--master", "m.mkv"});
  ASSERT_EQ(p.error, "");
  const CaptureOptions& o = p.options;
  EXPECT_EQ(o.master_file, "m.mkv");
  EXPECT_EQ(last_written_frame(o), 10110);  // stops at the show's end
  EXPECT_EQ(last_step_to_run(o), 16850);
  EXPECT_EQ(written_frame_at_step(o, 16850), 10110);
  EXPECT_EQ(written_frame_at_step(o, 16831), -1);  // display frame 10099, before --from
  EXPECT_EQ(written_frame_at_step(o, 16833), 10100);
  // 735 mix samples a display frame, up to the end of the last frame's time.
  EXPECT_EQ(written_sound(o).first, 10100LL * 735);
  EXPECT_EQ(written_sound(o).end, 10111LL * 735);
  EXPECT_EQ(output_frame_rate(o), "60");
  EXPECT_EQ(half_second_of_frames(o), 30);

  const CaptureOptions at24 = parse({"--fps", "24", "--from", "1", "--frames", "2"}).options;
  EXPECT_EQ(written_sound(at24).first, 1837);  // half a sample rounds down
  EXPECT_EQ(written_sound(at24).end, 5512);

  const CaptureOptions every = parse({"--from", "100", "--frames", "50", "--every", "3"}).options;
  EXPECT_EQ(written_sound(every).end, 150 * 441);
  EXPECT_EQ(output_frame_rate(every), "100/3");
  EXPECT_EQ(half_second_of_frames(parse({"--every", "99"}).options), 1);

  const std::string both = parse({"--every", "1", "--fps", "60"}).error;
  EXPECT_NE(both.find("--every"), std::string::npos) << both;
  EXPECT_NE(both.find("--fps"), std::string::npos) << both;
}

TEST(CaptureOptions, FramesPastTheShowsEndStopAtItsLastFrame) {
  const ParsedOptions p = parse({"--from", "16800", "--frames", "1000"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(last_written_frame(p.options), 16850);
  EXPECT_TRUE(parse({"--from", "16850"}).error.empty());
}

// What ffmpeg cannot write is known before the first frame, not after an hour of them.
TEST(CaptureOptions, VideoFilesAndSizesFfmpegCannotTakeAreRefusedWithWhatWorks) {
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"--master", "m.mp4"}, "--master wants a file ending .mkv"},
      {{"--video", "v.webm", "--audio", "a.wav"}, "--video wants a file ending .mp4"},
      {{"--video", "v"}, "--video wants a file ending .mp4"},
      {{"--video", "v.mp4", "--size", "641x481"}, "would get a black edge; take 640x480"},
      {{"--video", "v.mp4", "--size", "8000x6000"}, "such as 8192x4320 or 6880x5160"},
      {{"--fps", "59.94"}, "whole rates only"},
  };
  for (const auto& c : cases) {
    const ParsedOptions p = parse(c.args);
    EXPECT_NE(p.error.find(c.says), std::string::npos) << c.args[0] << ": " << p.error;
  }
  for (const std::vector<std::string>& good :
       {std::vector<std::string>{"--video", "V.MP4", "--size", "8192x4320"},
        std::vector<std::string>{"--video", "v.mkv", "--master", "m.MKV", "--size", "6880x5160"},
        std::vector<std::string>{"--png", "p", "--size", "641x481"}}) {
    EXPECT_EQ(parse(good).error, "") << good[1];
  }
}

TEST(CaptureOptions, BadOptionsGiveOneLineReasons) {
  const std::vector<std::vector<std::string>> bad = {
      {"--size", "640"},
      {"--size", "0x480"},
      {"--size", "640x-1"},
      {"--size", "64x48x2"},
      {"--size", "99999x10"},
      {"--seed", "-1"},
      {"--seed", "4294967296"},
      {"--seed", "1e3"},
      {"--from", "16851"},
      {"--frames", "0"},
      {"--every", "0"},
      {"--every", "two"},
      {"--frames"},
      {"--png", ""},
      {"--bogus"},
      {"stray"},
      {"--bench", "--png", "p"},
      {"--bench", "--trace", "t"},
      {"--play", "--audio", "a.wav"},
      {"--play", "--bench"},
      {"--play", "--fps", "60"},
      {"--buffer", "2048"},
      {"--play", "--buffer", "255"},
      {"--play", "--buffer", "16385"},
      {"--bench", "--master", "m.mkv"},
      {"--fps", "23"},
      {"--fps", "101"},
      {"--fps", "60", "--every", "2"},
      {"--fps", "60", "--from", "10111"},
  };
  for (const auto& args : bad) {
    const ParsedOptions p = parse(args);
    EXPECT_FALSE(p.error.empty()) << args[0];
    EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
  }
}

TEST(CaptureOptions, HelpNamesEveryOption) {
  EXPECT_TRUE(parse({"--help"}).options.help);
  const std::string help = usage_text();
  for (const char* name : {"--media", "--size", "--seed", "--from", "--frames", "--every", "--png",
                           "--video", "--audio", "--trace", "--bench", "--contact-sheet", "--play",
                           "--buffer", "--fps", "--master"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
}
