// config.dat as people leave it: missing, cut short, too long, or holding values the dialog never
// writes. The program either refuses with a message or plays, and the file afterwards holds the
// old bytes or exactly the 15 new ones.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "support/fixtures.h"
#include "support/show_program.h"

namespace {

class BadSettings : public ::testing::Test, protected ShowProgram {
 protected:
  void write_config(const std::vector<unsigned char>& bytes) {
    write_bytes(dir.file("config.dat"), bytes);
  }
  std::vector<unsigned char> config() const { return read_bytes(dir.file("config.dat")); }

  // Runs into the show, ends it with SIGTERM and checks that it played and ended cleanly.
  void expect_show_plays() {
    const ShowRun run = run_for(show_seconds);
    EXPECT_TRUE(run.still_playing) << run.result.err;
    EXPECT_EQ(run.result.exit_status, 0) << run.result.err;
    EXPECT_FALSE(sanitizer_report(run.result.err)) << run.result.err;
  }
};

Settings with_size(int width, int height, int color_bits = 32) {
  Settings s;
  s.width = width;
  s.height = height;
  s.color_bits = color_bits;
  return s;
}

}  // namespace

// Before the sound starts: a driver that cannot open would say so.
TEST_F(BadSettings, MissingFileSaysSoAndEndsBeforeTheSoundCreatingNothing) {
  ::unlink(dir.file("config.dat").c_str());
  ProcessOptions options = headless(dir);
  options.env["SDL_AUDIODRIVER"] = "no-such-driver";
  const ShowRun run = run_for(options, show_seconds);
  EXPECT_FALSE(run.still_playing);
  EXPECT_EQ(run.result.exit_status, 0);
  EXPECT_TRUE(has(run.result.err, "Error: Unable to load the configuration !")) << run.result.err;
  EXPECT_FALSE(has(run.result.err, "FMOD")) << run.result.err;
  EXPECT_FALSE(has(run.result.err, "no-such-driver")) << run.result.err;
  EXPECT_TRUE(read_bytes(dir.file("config.dat")).empty());
  EXPECT_FALSE(sanitizer_report(run.result.err)) << run.result.err;
}

TEST_F(BadSettings, DanglingLinkCountsAsTheMissingFileAndCreatesNothing) {
  ::unlink(dir.file("config.dat").c_str());
  ASSERT_EQ(::symlink("saved.dat", dir.file("config.dat").c_str()), 0);
  const ShowRun run = run_for(show_seconds);
  EXPECT_EQ(run.result.exit_status, 0);
  EXPECT_TRUE(has(run.result.err, "Error: Unable to load the configuration !")) << run.result.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("saved.dat")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("config.dat")));
}

TEST_F(BadSettings, EmptyFilePlaysWithTheDefaultsAndIsWrittenInFull) {
  write_config({});
  expect_show_plays();
  EXPECT_EQ(config(), settings_bytes(Settings{}));
}

TEST_F(BadSettings, OneByteFileTakesOnlyTheScreenModeFlag) {
  write_config({0});
  expect_show_plays();
  EXPECT_EQ(config(), settings_bytes(Settings{}));
}

TEST_F(BadSettings, OneByteAskingForFullScreenWithNoSuchModeEndsAfterTheQuestion) {
  write_config({1});
  const ShowRun run = run_for(show_seconds);
  EXPECT_FALSE(run.still_playing);
  EXPECT_EQ(run.result.exit_status, 0);
  // No display to ask on counts as No.
  EXPECT_TRUE(has(run.result.err, "Use the windowed mode instead?")) << run.result.err;
  EXPECT_TRUE(has(run.result.err, "Program will now close.")) << run.result.err;
  Settings expected;
  expected.fullscreen = 1;
  EXPECT_EQ(config(), settings_bytes(expected));
}

TEST_F(BadSettings, FourteenBytesKeepTheDefaultDither) {
  Settings s = with_size(320, 240, 24);
  s.dither = 1;
  std::vector<unsigned char> bytes = settings_bytes(s);
  bytes.pop_back();
  write_config(bytes);
  expect_show_plays();
  s.dither = 0;
  EXPECT_EQ(config(), settings_bytes(s));
}

TEST_F(BadSettings, LongerFileTakesTheFirstFifteenBytesAndIsCutBackToThem) {
  for (const std::size_t extra : {1u, 4096u}) {
    Settings s = with_size(320, 240, 16);
    s.dither = 1;
    std::vector<unsigned char> bytes = settings_bytes(s);
    bytes.resize(bytes.size() + extra, 0x5A);
    write_config(bytes);
    expect_show_plays();
    EXPECT_EQ(config(), settings_bytes(s)) << extra;
  }
}

TEST_F(BadSettings, ZeroOrNegativeWindowSidesPlayInATinyWindow) {
  for (const auto& [width, height] : {std::pair{0, 240}, {-1, 240}, {320, 0}, {320, -1}}) {
    const Settings s = with_size(width, height);
    write_config(settings_bytes(s));
    expect_show_plays();
    EXPECT_EQ(config(), settings_bytes(s)) << width << "x" << height;  // kept as they were
  }
}

TEST_F(BadSettings, HugeWindowSidesAreRefusedWithTheWindowMessage) {
  for (const auto& [width, height] : {std::pair{100000, 240}, {320, 100000}, {100000, 100000}}) {
    const Settings s = with_size(width, height);
    write_config(settings_bytes(s));
    const ShowRun run = run_for(show_seconds);
    EXPECT_FALSE(run.still_playing) << width << "x" << height;
    EXPECT_EQ(run.result.exit_status, 0);
    EXPECT_TRUE(has(run.result.err, "ERROR: Window Creation Error.")) << run.result.err;
    EXPECT_FALSE(sanitizer_report(run.result.err)) << run.result.err;
    EXPECT_EQ(config(), settings_bytes(s));
  }
}

TEST_F(BadSettings, ColourDepthsTheDialogNeverOffersStillPlay) {
  for (const int bits : {7, 0, -5, 1000}) {
    const Settings s = with_size(320, 240, bits);
    write_config(settings_bytes(s));
    expect_show_plays();
    EXPECT_EQ(config(), settings_bytes(s)) << bits;
  }
}
