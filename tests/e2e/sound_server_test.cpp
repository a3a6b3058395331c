// The show's sound on real sound servers, headless: PulseAudio, and PipeWire with its Pulse
// service, each with a null sink whose monitor is recorded and held against the off-line
// soundtrack. Halfway the server is killed and started again; the sound must come back, with the
// music where the show's clock is and the next cue on it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "recording_match.h"
#include "support/fixtures.h"
#include "support/process.h"
#include "support/show_program.h"
#include "support/sound_server.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// 133 s to 158 s of the show: a cue at 135 s, music, the server's restart at about 145 s, music,
// and the cue at 156 s.
constexpr int from_frame = 13300;
constexpr int frame_count = 2500;
constexpr double restart_after_seconds = 11;
constexpr const char* media_dir = SWIRLBEAM_BUILD_DIR "/media";

// The same WAV with its sound data all zeros: a cue that is there but silent.
void write_silent_copy(const std::string& from, const std::string& to) {
  std::vector<unsigned char> bytes = read_bytes(from);
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::size_t size =
        bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 | std::size_t{bytes[at + 7]} << 24;
    if (std::memcmp(&bytes[at], "data", 4) == 0) {
      std::fill(bytes.begin() + at + 8, bytes.begin() + std::min(bytes.size(), at + 8 + size), 0);
      break;
    }
    at += 8 + size + size % 2;
  }
  write_bytes(to, bytes);
}

StereoPcm read_wav(const std::string& path) {
  StereoPcm pcm;
  std::string error;
  EXPECT_TRUE(read_stereo_wav(path, pcm, error)) << error;
  return pcm;
}

// The off-line soundtrack of the stretch, and the same with silent cues.
void capture_references(const TempDir& dir) {
  ::mkdir(dir.file("music").c_str(), 0755);
  for (const char* name : {"config.dat", "texture.jpg", "smoke.jpg", "logo.jpg", "logo2.jpg",
                           "web.jpg", "thanks.jpg", "music.dat"}) {
    write_bytes(dir.file(std::string("music/") + name),
                read_bytes(std::string(media_dir) + "/" + name));
  }
  for (const char* name : {"strike.wav", "swirlbeam.wav", "thanks.wav"}) {
    write_silent_copy(std::string(media_dir) + "/" + name, dir.file(std::string("music/") + name));
  }
  const std::vector<std::string> stretch = {"--size",   "64x48",
                                            "--from",   std::to_string(from_frame),
                                            "--frames", std::to_string(frame_count),
                                            "--audio"};
  for (const auto& [media, wav] : {std::pair<std::string, std::string>{media_dir, "soundtrack.wav"},
                                   {dir.file("music"), "music.wav"}}) {
    std::vector<std::string> args = {"--media", media};
    args.insert(args.end(), stretch.begin(), stretch.end());
    args.push_back(dir.file(wav));
    ProcessOptions o = headless(dir);
    o.timeout_seconds = 300;
    const ProcessResult r = run_capture_tool(args, o);
    ASSERT_EQ(r.exit_status, 0) << r.err;
  }
}

// Music-only stretches match the soundtrack where the output had no gap; each cue sits on the
// music where the soundtrack has it. Returns the figures for the log.
std::string expect_faithful(const Match& m, const char* part) {
  std::vector<double> clean;
  for (const Window& w : m.windows) {
    if (w.music_only && w.clean) clean.push_back(w.residual);
  }
  // A machine loaded far beyond its cores starves the recorder too, which then drops sound
  // without a trace of zeros: two thirds of the stretches, not all, must match.
  std::sort(clean.begin(), clean.end());
  const auto matching = std::count_if(clean.begin(), clean.end(), [](double r) { return r < -60; });
  EXPECT_GE(clean.size(), 2u) << part << ": too few stretches without a gap to compare";
  EXPECT_GE(matching * 3, static_cast<long>(clean.size()) * 2) << part;
  std::ostringstream figures;
  figures << part << ": " << matching << " of " << clean.size()
          << " music-only quarter seconds without a gap within -60 dB";
  if (!clean.empty()) figures << ", median " << clean[clean.size() / 2] << " dB";
  figures << "; " << m.gaps.count << " gaps, " << m.gaps.seconds << " s";
  for (const Cue& c : m.cues) {
    // A cue starts with the next buffer of the output after its frame, on the music as the
    // music met the clock at its start, before and after a restart alike: within 50 ms. Where
    // the output starved around it, the cue waited for it; only the music caught up.
    if (c.steady) {
      EXPECT_GT(c.offset_ms, -50.0) << part;
      EXPECT_LT(c.offset_ms, 50.0) << part;
    }
    figures << "; cue at " << 133 + c.frame / 44100.0 << " s: " << c.offset_ms << " ms"
            << (c.steady ? "" : " (a gap near it)");
  }
  return figures.str();
}

void play_through_a_restart(Server kind) {
  TempDir dir;
  capture_references(dir);
  if (::testing::Test::HasFatalFailure()) return;
  SoundServer server(kind, dir);
  ASSERT_TRUE(server.start()) << read_text(dir.file("pulseaudio.log"))
                              << read_text(dir.file("pw.log"));

  auto recorder = std::make_unique<Recorder>(server, dir.file("before.wav"));
  const Clock::time_point before_started = recorder->started();
  const std::string out = dir.file("play.out"), err = dir.file("play.err");
  const int show = start_capture_tool(
      {"--media", media_dir, "--size", "160x120", "--from", std::to_string(from_frame), "--frames",
       std::to_string(frame_count), "--play"},
      server.options(), out, err);
  ASSERT_TRUE(wait_for(out, "playing from frame", 120)) << read_text(err);
  std::this_thread::sleep_for(std::chrono::duration<double>(restart_after_seconds));

  recorder->stop();  // first: parecord loses its last second when its server dies
  server.kill_hard();
  EXPECT_TRUE(wait_for(err, "sound output was lost", 2)) << read_text(err);
  std::this_thread::sleep_for(1s);  // the show plays on without a server
  const auto restarted = Clock::now();
  ASSERT_TRUE(server.start());
  const double server_ready = seconds_since(restarted);
  recorder = std::make_unique<Recorder>(server, dir.file("after.wav"));
  const Clock::time_point after_started = recorder->started();
  EXPECT_TRUE(wait_for(err, "sound output is back", 2)) << read_text(err);
  const double sound_back = seconds_since(restarted) - server_ready;

  const ProcessResult played = wait_process(show, 60);
  recorder->stop();
  EXPECT_EQ(played.exit_status, 0) << read_text(err);
  const std::string errors = read_text(err);
  EXPECT_EQ(count_of(errors, "\n"), 2) << "one line when lost, one when back:\n" << errors;

  const StereoPcm soundtrack = read_wav(dir.file("soundtrack.wav"));
  const StereoPcm music = read_wav(dir.file("music.wav"));
  const Match before = match_recording(read_wav(dir.file("before.wav")), soundtrack, music);
  const Match after = match_recording(read_wav(dir.file("after.wav")), soundtrack, music);
  const std::string figures_before = expect_faithful(before, "before the restart");
  const std::string figures_after = expect_faithful(after, "after the restart");
  EXPECT_GE(before.cues.size() + after.cues.size(), 1u) << "no cue heard with music around it";

  // After the restart the music is where the clock is, not where it stopped: both recordings
  // line up with the soundtrack as their start times say (parecord takes a little to connect).
  const double recordings_apart =
      std::chrono::duration<double>(after_started - before_started).count();
  const double music_apart = static_cast<double>(before.first_lag - after.first_lag) / 44100.0;
  EXPECT_NEAR(music_apart, recordings_apart, 0.15);

  std::cout << figures_before << "\n"
            << figures_after << "\n"
            << "server ready " << server_ready << " s after its restart, sound back " << sound_back
            << " s later; music after it off the clock by "
            << (music_apart - recordings_apart) * 1000 << " ms\n";
}

}  // namespace

TEST(SoundServer, PulseAudioRecordingMatchesTheSoundtrackThroughARestart) {
  play_through_a_restart(Server::pulseaudio);
}

TEST(SoundServer, PipeWireRecordingMatchesTheSoundtrackThroughARestart) {
  play_through_a_restart(Server::pipewire);
}
