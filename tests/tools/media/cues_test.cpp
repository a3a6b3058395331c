#include <algorithm>
#include <cmath>

#include "gtest/gtest.h"
#include "media_files.h"
#include "pcm_wav.h"
#include "platform/sound.h"

namespace {

const char* const cues[] = {"strike.wav", "swirlbeam.wav", "thanks.wav"};
constexpr int rate = 44100;

double seconds(const PcmWav& wav) {
  return double(wav.samples.size()) / wav.rate / wav.channels;
}

TEST(Cues, LoadWithTheShowsSoundModule) {
  ASSERT_TRUE(start_sound(false));
  for (const char* name : cues) EXPECT_NE(load_sample(built_media(name).c_str()), nullptr) << name;
  Song* no_song = nullptr;
  close_sound(no_song);
}

TEST(Cues, AreSixteenBitPcmAt44100WithHeadroom) {
  for (const char* name : cues) {
    SCOPED_TRACE(name);
    PcmWav wav;
    ASSERT_TRUE(read_wav_file(built_media(name), wav));
    EXPECT_EQ(wav.format, 1);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.rate, rate);
    const double dbfs = 20 * std::log10(peak(wav.samples));
    EXPECT_GT(dbfs, -8.0);
    EXPECT_LT(dbfs, -5.0);
    EXPECT_GT(rms(wav.samples, 0, wav.samples.size()), 0.03) << "too quiet to be heard";
  }
}

TEST(Cues, StrikeIsAShortPunchThatDiesAway) {
  PcmWav wav;
  ASSERT_TRUE(read_wav_file(built_media("strike.wav"), wav));
  EXPECT_GT(seconds(wav), 0.6);
  EXPECT_LT(seconds(wav), 1.5);
  const std::size_t tenth = rate / 10, n = wav.samples.size();
  const double start = rms(wav.samples, 0, tenth);
  EXPECT_GT(start, 0.15);
  EXPECT_LT(rms(wav.samples, n - tenth, n), start / 20);
}

TEST(Cues, VoicesLastAsLongAsTheirWords) {
  PcmWav name, thanks;
  ASSERT_TRUE(read_wav_file(built_media("swirlbeam.wav"), name));
  ASSERT_TRUE(read_wav_file(built_media("thanks.wav"), thanks));
  EXPECT_GT(seconds(name), 1.0);
  EXPECT_LT(seconds(name), 3.5);
  EXPECT_GT(seconds(thanks), 1.2);
  EXPECT_LT(seconds(thanks), 4.0);
}

TEST(Cues, NameIsSpokenOverAWhoosh) {
  // The sweep is heard before the word starts, and the word is louder than the sweep.
  PcmWav wav;
  ASSERT_TRUE(read_wav_file(built_media("swirlbeam.wav"), wav));
  const double sweep_alone = rms(wav.samples, rate / 5, rate * 2 / 5);
  const double with_voice = rms(wav.samples, rate * 3 / 5, rate * 6 / 5);
  EXPECT_GT(sweep_alone, 0.003);
  EXPECT_GT(with_voice, 2 * sweep_alone);
}

}  // namespace
