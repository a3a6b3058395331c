// The show's sound on real sound servers, headless: PulseAudio, and PipeWire with its Pulse
// service, each with a null sink whose monitor is recorded and held against the off-line
// soundtrack. Halfway the server is killed and started again; the sound must come back, with the
// music where the show's clock is and the next cue on it.
#include <signal.h>
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

enum class Server { pulseaudio, pipewire };

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

bool wait_for(const std::string& file, const std::string& text, double seconds) {
  const auto start = Clock::now();
  while (read_text(file).find(text) == std::string::npos) {
    if (seconds_since(start) > seconds) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

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

// One server with a null sink "ci" that is the default from the start (SDL 2.26 crashes while
// opening an output on a PulseAudio that has no default sink yet), in a private runtime folder.
class SoundServer {
 public:
  SoundServer(Server kind, const TempDir& dir) : kind_(kind), dir_(dir) {
    ::mkdir(dir.file("run").c_str(), 0700);
    if (kind == Server::pipewire) {
      // The graph at the show's rate: resampling to 48 kHz would differ by about -30 dB.
      ::mkdir(dir.file("conf").c_str(), 0700);
      ::mkdir(dir.file("conf/pipewire").c_str(), 0700);
      ::mkdir(dir.file("conf/pipewire/pipewire.conf.d").c_str(), 0700);
      const std::string conf =
          "context.properties = { default.clock.rate = 44100 default.clock.allowed-rates = "
          "[ 44100 ] }\n"
          "context.objects = [ { factory = adapter args = { factory.name = "
          "support.null-audio-sink node.name = ci media.class = Audio/Sink object.linger = true "
          "audio.position = [ FL FR ] audio.rate = 44100 } } ]\n";
      write_bytes(dir.file("conf/pipewire/pipewire.conf.d/ci.conf"), {conf.begin(), conf.end()});
    }
  }
  ~SoundServer() { kill_hard(); }
  SoundServer(const SoundServer&) = delete;
  SoundServer& operator=(const SoundServer&) = delete;

  ProcessOptions options() const {
    ProcessOptions o;
    o.working_dir = dir_.path();
    o.env["XDG_RUNTIME_DIR"] = dir_.file("run");
    o.env["XDG_CONFIG_HOME"] = dir_.file("conf");
    o.env["PULSE_SERVER"] = std::nullopt;
    o.env["SDL_AUDIODRIVER"] = std::nullopt;  // SDL's own choice, as on a desktop
    o.env["DISPLAY"] = std::nullopt;
    o.env["SDL_VIDEODRIVER"] = "offscreen";
    return o;
  }

  // True once it answers with the null sink as its default.
  bool start() {
    const std::string log = dir_.file(kind_ == Server::pulseaudio ? "pulseaudio.log" : "pw.log");
    if (kind_ == Server::pulseaudio) {
      pids_.push_back(start_process(
          {"/usr/bin/pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
           "--use-pid-file=no", "-n", "--load=module-null-sink sink_name=ci",
           "--load=module-native-protocol-unix"},
          options(), log, log));
    } else {
      // WirePlumber, which links streams to the sink, needs a session bus.
      pids_.push_back(
          start_process({"/usr/bin/dbus-run-session", "--", "/bin/sh", "-c",
                         "pipewire & echo $! >pids; "
                         "for i in $(seq 200); do [ -S \"$XDG_RUNTIME_DIR/pipewire-0\" ] "
                         "&& break; sleep 0.05; done; wireplumber & echo $! >>pids; "
                         "pipewire-pulse & echo $! >>pids; wait"},
                        options(), log, log));
    }
    const auto start = Clock::now();
    while (seconds_since(start) < 20) {
      ProcessOptions o = options();
      o.timeout_seconds = 5;
      const ProcessResult info = run_process({"/usr/bin/pactl", "info"}, o);
      if (info.exit_status == 0 && info.out.find("Default Sink: ci") != std::string::npos) {
        return true;
      }
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  void kill_hard() {
    if (kind_ == Server::pipewire) {
      std::istringstream pids(read_text(dir_.file("pids")));
      for (int pid; pids >> pid;) ::kill(pid, SIGKILL);
      ::unlink(dir_.file("pids").c_str());
    }
    for (const int pid : pids_) {
      // dbus-run-session ends by itself once the stack is gone, and takes its bus with it.
      if (kind_ == Server::pulseaudio) ::kill(pid, SIGKILL);
      wait_process(pid, 10);
    }
    pids_.clear();
  }

 private:
  Server kind_;
  const TempDir& dir_;
  std::vector<int> pids_;
};

class Recorder {
 public:
  Recorder(const SoundServer& server, const std::string& file)
      : started_(Clock::now()),
        pid_(start_process({"/usr/bin/parecord", "-d", "ci.monitor", "--rate=44100", "--channels=2",
                            "--format=s16le", "--file-format=wav", file},
                           server.options(), file + ".out", file + ".err")) {}
  ~Recorder() { stop(); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGINT);  // parecord then completes the WAV header
    wait_process(pid_, 10);
    pid_ = -1;
  }
  Clock::time_point started() const { return started_; }

 private:
  Clock::time_point started_;
  int pid_;
};

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
    // A cue starts with the next buffer of the output after its frame: within two buffers of
    // 1024 frames (46 ms), and room for a loaded machine that calls for a buffer late. Where
    // the output starved around it, the cue waited for it; only the music caught up.
    if (c.steady) {
      EXPECT_GT(c.offset_ms, -10.0) << part;
      EXPECT_LT(c.offset_ms, 100.0) << part;
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
