// A sample whose few header bytes ask for more memory than any cue needs is refused rather than
// converted: a 2 KB WAV at 1 Hz would become 2000 s of 44.1 kHz stereo (about 700 MB) to load.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/sound.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace {

void put_le(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// 8-bit mono PCM at the given rate.
std::vector<unsigned char> wav_at(std::uint32_t rate, std::uint32_t frames) {
  std::vector<unsigned char> w = {'R', 'I', 'F', 'F'};
  put_le(w, 36 + frames, 4);
  for (char c : std::string("WAVEfmt ")) w.push_back(static_cast<unsigned char>(c));
  put_le(w, 16, 4);
  put_le(w, 1, 2);  // PCM
  put_le(w, 1, 2);  // mono
  put_le(w, rate, 4);
  put_le(w, rate, 4);
  put_le(w, 1, 2);
  put_le(w, 8, 2);
  for (char c : std::string("data")) w.push_back(static_cast<unsigned char>(c));
  put_le(w, frames, 4);
  for (std::uint32_t i = 0; i < frames; ++i) w.push_back(static_cast<unsigned char>(i * 7));
  return w;
}

class SampleLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(start_sound(false));
  }
  void TearDown() override { close_sound(song); }

  Sample* load(const std::vector<unsigned char>& bytes) {
    write_bytes(dir.file("cue.wav"), bytes);
    return load_sample(dir.file("cue.wav").c_str());
  }

  TempDir dir;
  Song* song = nullptr;
};

}  // namespace

TEST_F(SampleLimits, TinyFileAskingForGigabytesIsRefused) {
  EXPECT_EQ(load(wav_at(1, 2000)), nullptr);
  EXPECT_EQ(load(wav_at(1, 60000)), nullptr);
  // The cap is the samples' alone: the rest of the program may still take large blocks.
  void* large = SDL_malloc(std::size_t{128} << 20);
  EXPECT_NE(large, nullptr);
  SDL_free(large);
}

// SDL_mixer would render a module through its music player into memory; one that loops forever
// (this one, found by the fuzzer, jumps back) grew past 24 GB before the system killed it.
TEST_F(SampleLimits, ModuleOrMidiUnderASampleNameIsRefusedAtOnce) {
  EXPECT_EQ(load(test_module()), nullptr);
  EXPECT_EQ(load(read_bytes(SWIRLBEAM_SOURCE_DIR "/fuzz/corpus/sound/endless-module.mod")),
            nullptr);
  EXPECT_EQ(load({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}), nullptr);
}

TEST_F(SampleLimits, RealCuesStillLoad) {
  EXPECT_NE(load(wav_at(8000, 8000 * 10)), nullptr);  // ten seconds of telephone sound
  EXPECT_NE(load(test_wav(8000, 30.0, 22050)), nullptr);
  EXPECT_NE(load(test_wav(8000, 60.0, 44100)), nullptr);
}
