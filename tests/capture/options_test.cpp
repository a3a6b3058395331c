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

TEST(CaptureOptions, FramesPastTheShowsEndStopAtItsLastFrame) {
  const ParsedOptions p = parse({"--from", "16800", "--frames", "1000"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(last_written_frame(p.options), 16850);
  EXPECT_TRUE(parse({"--from", "16850"}).error.empty());
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
      {"--buffer", "2048"},
      {"--play", "--buffer", "255"},
      {"--play", "--buffer", "16385"},
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
  for (const char* name :
       {"--media", "--size", "--seed", "--from", "--frames", "--every", "--png", "--video",
        "--audio", "--trace", "--bench", "--contact-sheet", "--play", "--buffer"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
}
