// The soundtrack recorded off line: music from its start, cues at the exact position reached,
// the live output's volume arithmetic, and nothing on the audio device meanwhile.
#include <SDL_mixer.h>

#include <cstdlib>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "app/sound_handles.h"
#include "gtest/gtest.h"
#include "platform/sound.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace {

constexpr int block = 441;  // one show frame

class SoundRecording : public ::testing::Test {
 protected:
  void SetUp() override {
    write_bytes(dir.file("music.dat"), test_module());
    write_bytes(dir.file("cue.wav"), test_wav(8000, 0.3));  // square wave, +8000 first
    ASSERT_TRUE(start_sound(false));
    cue = load_sample(dir.file("cue.wav").c_str());
    ASSERT_NE(cue, nullptr);
    start_sound_recording();
  }
  void TearDown() override { close_sound(song); }

  std::vector<std::int16_t> render(int frames) {
    std::vector<std::int16_t> out(2 * static_cast<std::size_t>(frames), 12345);
    render_sound_recording(out.data(), frames);
    return out;
  }

  TempDir dir;
  Sample* cue = nullptr;
};

bool all_zero(const std::vector<std::int16_t>& s) {
  for (std::int16_t v : s) {
    if (v != 0) return false;
  }
  return true;
}

}  // namespace

TEST_F(SoundRecording, CueStartsExactlyWhereTheRecordingHasGot) {
  EXPECT_TRUE(all_zero(render(block)));
  play_sample(cue);
  const auto next = render(block);
  EXPECT_EQ(next[0], 4000);  // full channel volume with the mix's headroom: half the sample
  EXPECT_EQ(next[1], 4000);
  EXPECT_EQ(next[2 * 50], -4000);
}

TEST_F(SoundRecording, VolumesMapAsOnTheLiveChannelsAndCuesAddUp) {
  play_sample(cue, 128);
  EXPECT_EQ(render(1)[0], 2000);
  stop_sound_recording();
  start_sound_recording();
  play_sample(cue, 256);
  play_sample(cue, 256);
  EXPECT_EQ(render(1)[0], 8000);  // started twice at once: two voices together
}

TEST_F(SoundRecording, CueEndsAfterItsLengthAndLeavesSilence) {
  play_sample(cue);
  const auto sound = render(13230);  // 0.3 s
  EXPECT_NE(sound[2 * 13229], 0);
  EXPECT_TRUE(all_zero(render(block)));
}

TEST_F(SoundRecording, MusicPlaysFromItsStartWithoutDitherAtHalfScale) {
  song = load_song(dir.file("music.dat").c_str());
  ASSERT_NE(song, nullptr);
  play_song(song);
  const auto recorded = render(4 * block);

  const auto bytes = test_module();
  std::ostringstream quiet;
  openmpt::module reference(bytes.data(), bytes.size(), quiet);
  reference.ctl_set_integer("dither", 0);
  std::vector<std::int16_t> expected(recorded.size());
  reference.read_interleaved_stereo(sound_rate, 4 * block, expected.data());
  bool any_sound = false;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(recorded[i], expected[i] * full_volume / (2 * full_volume)) << i;
    any_sound = any_sound || recorded[i] != 0;
  }
  EXPECT_TRUE(any_sound);
}

TEST_F(SoundRecording, MasterVolumeRampsAcrossTheNextBlockThenHolds) {
  song = load_song(dir.file("music.dat").c_str());
  play_song(song);
  render(block);
  set_music_volume(song, 0);
  const auto ramp = render(block);
  const auto after = render(block);
  int early = 0, late = 0;
  for (int i = 0; i < 40; ++i) early = std::max(early, std::abs(int(ramp[i])));
  for (int i = 2 * (block - 40); i < 2 * block; ++i) late = std::max(late, std::abs(int(ramp[i])));
  EXPECT_GT(early, 4 * late);  // a slope down, not a step
  EXPECT_TRUE(all_zero(after));
}

TEST_F(SoundRecording, TheAudioDeviceHearsNothingUntilTheRecordingStops) {
  song = load_song(dir.file("music.dat").c_str());
  play_song(song);
  play_sample(cue);
  EXPECT_EQ(Mix_Playing(-1), 0);
  stop_sound_recording();
  play_sample(cue);
  EXPECT_EQ(Mix_Playing(-1), 1);
}
