// The sound module playing for real, into SDL's "disk" audio driver, which writes what it plays.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "gtest/gtest.h"
#include "platform/sound.h"
#include "platform/sound_internal.h"
#include "support/environment.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

constexpr int frames_per_second = 44100;

struct Recording {
  std::vector<std::int16_t> samples;  // interleaved stereo

  std::size_t frames() const { return samples.size() / 2; }
  int peak(std::size_t from_frame, std::size_t to_frame) const {
    int p = 0;
    for (std::size_t i = 2 * from_frame; i < 2 * std::min(to_frame, frames()); ++i) {
      p = std::max(p, std::abs(static_cast<int>(samples[i])));
    }
    return p;
  }
  std::size_t first_sound() const {
    for (std::size_t i = 0; i < samples.size(); ++i) {
      if (samples[i] != 0) return i / 2;
    }
    return frames();
  }
};

class SoundOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    set_env("SDL_AUDIODRIVER", "disk");
    set_env("SDL_DISKAUDIOFILE", dir.file("out.raw").c_str());
#ifndef _WIN32
    // Faster than real time. (SDL 2.26 on Windows reads the file's name into a buffer that its
    // next getenv, of this delay, overwrites; there the output plays in real time.)
    set_env("SDL_DISKAUDIODELAY", "1");
#endif
    write_bytes(dir.file("music.dat"), test_module());
    write_bytes(dir.file("cue.wav"), test_wav(8000, 0.3));
    ASSERT_TRUE(start_sound(true));
  }
  void TearDown() override {
    close_sound(song);
  }

  Recording stop_and_read() {
    close_sound(song);
    Recording r;
    const auto bytes = read_bytes(dir.file("out.raw"));
    r.samples.resize(bytes.size() / 2);
    std::memcpy(r.samples.data(), bytes.data(), r.samples.size() * 2);
    return r;
  }

  TempDir dir;
  Song* song = nullptr;
};

}  // namespace

TEST_F(SoundOutput, ModuleAndSampleAreReallyHeard) {
  song = load_song(dir.file("music.dat").c_str());
  ASSERT_NE(song, nullptr);
  Sample* cue = load_sample(dir.file("cue.wav").c_str());
  ASSERT_NE(cue, nullptr);
  play_song(song);
  play_sample(cue);
  std::this_thread::sleep_for(300ms);
  const Recording r = stop_and_read();
  ASSERT_GT(r.frames(), 4096u);
  EXPECT_GT(r.peak(0, r.frames()), 1000);
}

TEST_F(SoundOutput, SampleStartedTwiceAtOnceSoundsTwiceAsLoud) {
  Sample* cue = load_sample(dir.file("cue.wav").c_str());
  ASSERT_NE(cue, nullptr);
  play_sample(cue, full_volume);
  std::this_thread::sleep_for(400ms);  // the 0.3 s cue has ended
  play_sample(cue, full_volume);
  play_sample(cue, full_volume);
  std::this_thread::sleep_for(400ms);
  const Recording r = stop_and_read();

  const std::size_t once_at = r.first_sound();
  const std::size_t window = frames_per_second / 4;
  const int once = r.peak(once_at, once_at + window);
  // The pair starts after the single one has died away.
  std::size_t twice_at = once_at + frames_per_second * 3 / 10;
  while (twice_at < r.frames() && r.peak(twice_at, twice_at + 1) == 0) ++twice_at;
  const int twice = r.peak(twice_at, twice_at + window);
  ASSERT_GT(once, 0);
  EXPECT_EQ(twice, 2 * once);
}

TEST_F(SoundOutput, HalfVolumeIsHalfAsLoudAsFull) {
  Sample* cue = load_sample(dir.file("cue.wav").c_str());
  ASSERT_NE(cue, nullptr);
  play_sample(cue, 128);
  std::this_thread::sleep_for(400ms);
  play_sample(cue, full_volume);
  std::this_thread::sleep_for(400ms);
  const Recording r = stop_and_read();
  const std::size_t half_at = r.first_sound();
  const int half = r.peak(half_at, half_at + frames_per_second / 4);
  const int full = r.peak(half_at + frames_per_second * 3 / 10, r.frames());
  ASSERT_GT(half, 0);
  EXPECT_EQ(full, 2 * half);
}

TEST_F(SoundOutput, MusicVolumeDrivenBelowZeroIsExactSilence) {
  song = load_song(dir.file("music.dat").c_str());
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(music_volume(song), full_volume);
  play_song(song);
  std::this_thread::sleep_for(200ms);
  for (int step = 0; step < 140; ++step) set_music_volume(song, music_volume(song) - 2);
  EXPECT_EQ(music_volume(song), 0);
  const auto silent_from_bytes = read_bytes(dir.file("out.raw")).size();
  std::this_thread::sleep_for(300ms);
  const Recording r = stop_and_read();

  EXPECT_GT(r.peak(0, silent_from_bytes / 4), 1000);  // heard before the fade
  // After the one buffer that ramps down, nothing but zeros.
  const std::size_t from = silent_from_bytes / 4 + 2048;
  ASSERT_GT(r.frames(), from + 4096);
  EXPECT_EQ(r.peak(from, r.frames()), 0);
}

TEST(SoundLoading, MissingEmptyOrForeignFilesAreRefused) {
  TempDir dir;
  set_env("SDL_AUDIODRIVER", "dummy");
  ASSERT_TRUE(start_sound(false));
  write_bytes(dir.file("empty"), {});
  write_bytes(dir.file("noise"), std::vector<unsigned char>(4096, 0x5A));
  write_bytes(dir.file("sample.wav"), test_wav(1000, 0.1));
  write_bytes(dir.file("module.dat"), test_module());

  for (const char* name : {"missing", "empty", "noise", "sample.wav"}) {
    EXPECT_EQ(load_song(dir.file(name).c_str()), nullptr) << name;
  }
  for (const char* name : {"missing", "empty", "noise"}) {
    EXPECT_EQ(load_sample(dir.file(name).c_str()), nullptr) << name;
  }
  Song* song = load_song(dir.file("module.dat").c_str());
  EXPECT_NE(song, nullptr);
  EXPECT_NE(load_sample(dir.file("sample.wav").c_str()), nullptr);
  close_sound(song);
  EXPECT_EQ(song, nullptr);
  close_sound(song);  // again: harmless
}

// Also after a run with music off, whose silent output is not to be the next run's.
TEST(SoundLoading, NoAudioDeviceIsAFailureToStart) {
  Song* none = nullptr;
  ASSERT_TRUE(start_sound(false));
  close_sound(none);
  set_env("SDL_AUDIODRIVER", "no-such-driver");
  EXPECT_FALSE(start_sound(true));
  close_sound(none);
}

// The music's lead over the show's clock at each buffer, as the output asks for it.
TEST(MusicPacer, FollowsTheClockThroughGapsAndRefillsButNotThroughJitter) {
  constexpr std::int64_t buffer = 1024;
  MusicPacer pacer;
  // Learning: the lead wanders by up to a buffer as the output calls early and late.
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(pacer.correction_for(900 + (i % 3) * 400, buffer), 0) << i;
  }
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(pacer.correction_for(800 + (i % 5) * 300, buffer), 0) << i;
  }
  // A gap of 3000 frames: the music skips what it lost, back to the steady lead of 1300.
  EXPECT_EQ(pacer.correction_for(1300 - 3000, buffer), 3000);
  EXPECT_EQ(pacer.correction_for(1300, buffer), 0);
  // Small gaps pass until together they are more than a buffer and 10 ms.
  EXPECT_EQ(pacer.correction_for(1300 - 800, buffer), 0);
  EXPECT_EQ(pacer.correction_for(1300 - 1600, buffer), 1600);
  // An output that fills ahead after an underrun: the music waits for what it filled.
  EXPECT_EQ(pacer.correction_for(1300 + 1400, buffer), 0);
  EXPECT_EQ(pacer.correction_for(1300 + 3072, buffer), -3072);
}

TEST(MusicPacer, AnOutputOpenedAgainMeetsTheClockAsTheFirstOneDid) {
  constexpr std::int64_t buffer = 2048;
  MusicPacer pacer;
  for (int i = 0; i < 40; ++i) pacer.correction_for(500, buffer);
  pacer.restart();
  // Three seconds without an output, then a new one that fills three buffers ahead at once:
  // the lead learnt at the start stays the measure, so the cues meet the music as they did.
  EXPECT_EQ(pacer.correction_for(500 - 3 * 44100, buffer), 3 * 44100);
  EXPECT_EQ(pacer.correction_for(500 + 3 * buffer, buffer), -3 * buffer);
  EXPECT_EQ(pacer.correction_for(500 + buffer, buffer), 0);
}

TEST(MusicPacer, AnOutputLostWhileLearningLearnsAgain) {
  constexpr std::int64_t buffer = 1024;
  MusicPacer pacer;
  for (int i = 0; i < 10; ++i) pacer.correction_for(9000, buffer);
  pacer.restart();
  EXPECT_EQ(pacer.correction_for(-44100, buffer), 44100);  // far behind: to the clock at once
  for (int i = 0; i < 40; ++i) EXPECT_EQ(pacer.correction_for(300, buffer), 0);
  EXPECT_EQ(pacer.correction_for(300 + 9000, buffer), -9000);
}

// An output that SDL calls playing but that has stopped asking for sound (times in ms).
TEST(OutputWatch, AnOutputThatStopsAskingIsLostButAStartingOrStoppedOneIsNot) {
  constexpr std::int64_t ms = 1'000'000;
  OutputWatch watch;
  watch.opened(1000 * ms);
  std::int64_t now = 1000 * ms;
  // A new output asks once, then waits 1.4 s for its server, as PulseAudio's streams do.
  for (; now < 2400 * ms; now += 10 * ms) EXPECT_FALSE(watch.stalled(now, 1000 * ms)) << now / ms;
  // Asking every 23 ms while the main thread runs frames of 10 ms: alive.
  for (; now < 4000 * ms; now += 10 * ms) EXPECT_FALSE(watch.stalled(now, now - now % (23 * ms)));
  const std::int64_t last_asked = now;
  // It stops asking: lost once a second has gone by, not before.
  for (; now <= last_asked + 1000 * ms; now += 10 * ms)
    EXPECT_FALSE(watch.stalled(now, last_asked));
  EXPECT_TRUE(watch.stalled(now + 10 * ms, last_asked));

  // The whole program stopped for 30 s and continued: the audio thread gets its fresh start.
  for (std::int64_t t = now; t < now + 1000 * ms; t += 10 * ms) watch.stalled(t, t);
  now += 1000 * ms;
  const std::int64_t before_stop = now;
  now += 30000 * ms;
  const std::int64_t continued = now;
  for (; now <= continued + 1000 * ms; now += 10 * ms) {
    EXPECT_FALSE(watch.stalled(now, before_stop));
  }
  EXPECT_TRUE(watch.stalled(now + 10 * ms, before_stop));

  // A new output has not been heard until it asks; one that never asks is lost after 5 s.
  watch.opened(now);
  const std::int64_t opened = now;
  EXPECT_FALSE(watch.heard(before_stop));
  EXPECT_TRUE(watch.heard(now + 23 * ms));
  for (; now <= opened + 5000 * ms; now += 10 * ms) EXPECT_FALSE(watch.stalled(now, before_stop));
  EXPECT_TRUE(watch.stalled(now + 10 * ms, before_stop));
}
