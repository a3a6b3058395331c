// The sound's recovery and its catching up, on an output and a clock the test drives: an output
// lost and found again, one that stops asking for sound, and music far behind the show's clock.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/sound.h"
#include "platform/sound_internal.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace {

using namespace sound_detail;

constexpr std::int64_t ms = 1'000'000;
constexpr int buffer = 1024;
constexpr std::int64_t buffer_ns = std::int64_t{buffer} * 1'000'000'000 / sound_rate;
constexpr double buffer_ms = buffer * 1000.0 / sound_rate;

const char* const lost_line =
    "swirlbeam: the sound output was lost; the show goes on and tries it again\n";
const char* const back_line = "swirlbeam: the sound output is back\n";

struct FakeOutput {
  std::int64_t now = 1'000'000 * ms;  // any steady-clock reading
  bool opens = true;                  // whether the next try opens it
  bool open = false;
  bool playing = false;  // as its driver says
  bool asking = true;    // whether a playing output asks for sound
  int tries = 0;
};
FakeOutput fake;

OutputPort fake_port() {
  return {[](const char*, bool) {
            ++fake.tries;
            fake.open = fake.playing = fake.opens;
            return fake.opens;
          },
          [] { fake.open = fake.playing = false; },
          [] { return fake.open; },
          [] { return fake.playing; },
          [] { return "fake"; },
          [] { return fake.now; }};
}

class SoundRecovery : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = FakeOutput{};
    use_output_port(fake_port());
    write_bytes(dir.file("music.dat"), test_module());
    ASSERT_TRUE(start_sound(true));
    song = load_song(dir.file("music.dat").c_str());
    ASSERT_NE(song, nullptr);
    play_song(song);
    started = fake.now;
    testing::internal::CaptureStderr();
  }
  void TearDown() override {
    said();
    close_sound(song);
    use_output_port(sdl_output_port());
  }

  std::string said() {
    if (!capturing) return {};
    capturing = false;
    return testing::internal::GetCapturedStderr();
  }

  double show_ms() const { return static_cast<double>(fake.now - started) / ms; }
  double lead() const { return music_lead_ms(song, show_ms()); }

  // The show's frames every 10 ms for `duration`, the output asking for a buffer as it plays.
  // Returns the music's lead after each buffer (ms).
  std::vector<double> run(std::int64_t duration) {
    std::vector<double> leads;
    const std::int64_t end = fake.now + duration;
    while (fake.now < end) {
      tend_sound(song, show_ms());
      while (fake.playing && fake.asking && next_ask <= fake.now) {
        std::vector<std::int16_t> out(2 * buffer);
        render_music(song, reinterpret_cast<Uint8*>(out.data()), 4 * buffer);
        leads.push_back(lead());
        next_ask += buffer_ns;
      }
      if (!fake.playing || !fake.asking) next_ask = fake.now;
      fake.now += 10 * ms;
    }
    return leads;
  }

  TempDir dir;
  Song* song = nullptr;
  std::int64_t started = 0;
  std::int64_t next_ask = 0;
  bool capturing = true;
};

TEST_F(SoundRecovery, ALostOutputIsSaidOnceTriedTwiceASecondAndHeardAgainWhereTheClockIs) {
  next_ask = fake.now;
  run(2000 * ms);
  const double steady = lead();
  EXPECT_NEAR(steady, buffer_ms, buffer_ms + 10);

  // Its driver marks it lost, and the server is gone for two seconds.
  fake.playing = false;
  fake.opens = false;
  const int tries = fake.tries;
  run(2000 * ms);
  EXPECT_EQ(fake.tries - tries, 4);
  fake.opens = true;
  run(1000 * ms);
  EXPECT_EQ(sound_state().hooked, song);  // hooked again, from where the clock is
  EXPECT_NEAR(lead(), steady, buffer_ms + 10);

  // SDL's PipeWire driver after its server restarted: playing, it says, but asking for nothing.
  fake.asking = false;
  run(1500 * ms);
  fake.asking = true;
  run(1000 * ms);
  EXPECT_NEAR(lead(), steady, buffer_ms + 10);
  EXPECT_EQ(said(), std::string(lost_line) + back_line + lost_line + back_line);
}

TEST_F(SoundRecovery, AStartWithoutOutputTriesForOneAndSaysWhenTheShowIsHeard) {
  close_sound(song);
  fake = FakeOutput{};
  fake.opens = false;
  ASSERT_FALSE(start_sound(true));
  fake.opens = true;  // the silent output
  ASSERT_TRUE(start_sound_silent_for_now());
  song = load_song(dir.file("music.dat").c_str());
  play_song(song);
  started = next_ask = fake.now;
  fake.opens = false;
  run(1000 * ms);
  EXPECT_EQ(said(), "");  // nothing said of tries for an output that never was
  testing::internal::CaptureStderr();
  capturing = true;
  fake.opens = true;
  run(1000 * ms);
  EXPECT_EQ(said(), "swirlbeam: a sound output opened; the show is heard from here on\n");
}

TEST_F(SoundRecovery, ASoundStartedAgainKeepsNothingOfTheLastOne) {
  next_ask = fake.now;
  run(1000 * ms);
  fake.playing = false;  // lost, and no server to take it back
  fake.opens = false;
  run(1000 * ms);
  start_sound_recording();  // and a capture that left its recording on
  close_sound(song);
  fake.opens = true;
  ASSERT_TRUE(start_sound(true));
  const int tries = fake.tries;
  song = load_song(dir.file("music.dat").c_str());
  play_song(song);  // on the output, not into a recording
  EXPECT_EQ(sound_state().hooked, song);
  run(1000 * ms);
  EXPECT_EQ(fake.tries, tries);  // nothing lost, nothing tried again
  EXPECT_EQ(said(), lost_line);  // the first run's loss, said once, and nothing of the second
}

TEST_F(SoundRecovery, MusicFarBehindTheClockCatchesUpInAFewSilentBuffers) {
  next_ask = fake.now;
  run(2000 * ms);
  const double steady = lead();
  // The whole program stopped for 40 s (a machine asleep) and went on, the show's clock with it.
  fake.now += 40'000 * ms;
  next_ask = fake.now;
  const std::vector<double> leads = run(500 * ms);
  // Ten seconds are skipped in each buffer, which is silent; then the music plays where the
  // clock is.
  ASSERT_GE(leads.size(), 10u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(leads[i], steady - 10'000 * (3 - i), 100) << i;
  for (std::size_t i = 4; i < leads.size(); ++i) EXPECT_NEAR(leads[i], steady, buffer_ms + 10) << i;
  EXPECT_EQ(said(), "");
}

}  // namespace
