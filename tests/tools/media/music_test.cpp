#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <sstream>

#include "gtest/gtest.h"
#include "media_files.h"
#include "platform/sound.h"
#include "support/fixtures.h"

namespace {

constexpr int rate = 44100;
constexpr int rendered_seconds = 171;

std::unique_ptr<openmpt::module> open_module(std::ostringstream& log) {
  const auto bytes = read_bytes(built_media("music.dat"));
  return std::make_unique<openmpt::module>(bytes, log);
}

// Loudness of each second of the song, played from the start as the show plays it.
const std::vector<double>& loudness_per_second() {
  static const std::vector<double> loudness = [] {
    std::ostringstream log;
    auto module = open_module(log);
    module->set_repeat_count(0);
    std::vector<double> out;
    std::vector<std::int16_t> buffer(2 * rate);
    for (int s = 0; s < rendered_seconds; ++s) {
      const std::size_t frames = module->read_interleaved_stereo(rate, rate, buffer.data());
      double sum = 0;
      for (std::size_t i = 0; i < 2 * frames; ++i) sum += double(buffer[i]) * buffer[i];
      out.push_back(std::sqrt(sum / (2.0 * rate)) / 32768.0);
    }
    return out;
  }();
  return loudness;
}

// Mean loudness of the seconds [from, to).
double loudness(int from, int to) {
  const auto& l = loudness_per_second();
  return std::accumulate(l.begin() + from, l.begin() + to, 0.0) / (to - from);
}

TEST(Music, LoadsWithTheShowsSoundModule) {
  Song* song = load_song(built_media("music.dat").c_str());
  EXPECT_NE(song, nullptr);
  close_sound(song);
}

TEST(Music, IsAnXmThatLibopenmptReadsWithoutComplaint) {
  std::ostringstream log;
  auto module = open_module(log);
  EXPECT_EQ(module->get_metadata("type"), "xm");
  EXPECT_GE(module->get_num_channels(), 8);
  EXPECT_GE(module->get_num_instruments(), 6);
  EXPECT_EQ(log.str(), "");
}

TEST(Music, OutlastsTheShow) {
  std::ostringstream log;
  EXPECT_GE(open_module(log)->get_duration_seconds(), 170.0);
}

TEST(Music, SectionsChangeOnPatternStartsAtTheStageTimes) {
  std::ostringstream log;
  auto module = open_module(log);
  std::vector<double> pattern_starts;
  for (int order = 0; order < module->get_num_orders(); ++order) {
    module->set_position_order_row(order, 0);
    pattern_starts.push_back(module->get_position_seconds());
  }
  for (double t : {50.0, 70.0, 90.0, 135.0, 156.0, 168.5}) {
    const bool starts_a_pattern = std::any_of(pattern_starts.begin(), pattern_starts.end(),
                                              [t](double s) { return std::fabs(s - t) < 0.001; });
    EXPECT_TRUE(starts_a_pattern) << "no pattern starts at " << t << " s";
  }
}

TEST(Music, ThemeAndLiftAreLouderThanTheCalmIntro) {
  const double intro = loudness(5, 45);
  EXPECT_GT(loudness(95, 130), 1.5 * intro);
  EXPECT_GT(loudness(136, 155), 1.5 * intro);
  EXPECT_GT(loudness(80, 90), loudness(60, 70)) << "the build rises out of the break";
}

TEST(Music, PlaysWithoutGapsUntilTheEnding) {
  for (int s = 1; s < 160; ++s) EXPECT_GT(loudness_per_second()[s], 0.01) << "second " << s;
}

TEST(Music, FadesAwayByTheEndOfTheShow) {
  EXPECT_GT(loudness(160, 165), 2 * loudness(167, 170));
  EXPECT_LT(loudness(169, 171), 0.001);
}

}  // namespace
