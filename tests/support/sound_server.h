// Real sound servers for the tests, headless, each in a private runtime folder: PulseAudio, and
// PipeWire with WirePlumber and its Pulse service, with a null sink "ci" whose monitor a Recorder
// records. The sink may come late, go and come back, as a pulled USB output does.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

enum class Server { pulseaudio, pipewire };

double seconds_since(std::chrono::steady_clock::time_point t);
int count_of(const std::string& text, const std::string& part);
// Waits until the file holds `text` (`times` times); false after `seconds`.
bool wait_for(const std::string& file, const std::string& text, double seconds, int times = 1);

class SoundServer {
 public:
  // PipeWire's graph runs at `rate`; PulseAudio's null sink always at 44.1 kHz.
  SoundServer(Server kind, const TempDir& dir, int rate = 44100);
  ~SoundServer() { kill_hard(); }
  SoundServer(const SoundServer&) = delete;
  SoundServer& operator=(const SoundServer&) = delete;

  // For a program that plays into it: its runtime folder, SDL's own choice of driver, no display.
  ProcessOptions options() const;

  // True once it answers, with the null sink as its default when `with_sink`. PulseAudio without
  // it has no sink at all (no always-there fallback sink): a machine whose outputs come later.
  bool start(bool with_sink = true);
  // PulseAudio only: the null sink loaded as the default, and pulled.
  bool add_sink();
  void remove_sink();
  void kill_hard();

 private:
  bool wait_until_answering(bool with_sink);

  Server kind_;
  const TempDir& dir_;
  std::vector<int> pids_;
  std::string sink_module_;
};

// parecord of the sink's monitor, 44.1 kHz 16-bit stereo, into a WAV file. Through PipeWire it
// hands on whole seconds at a time unless asked for a latency: a short recording needs one.
class Recorder {
 public:
  Recorder(const SoundServer& server, const std::string& file, int latency_ms = 0);
  ~Recorder() { stop(); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  void stop();
  std::chrono::steady_clock::time_point started() const { return started_; }

 private:
  std::chrono::steady_clock::time_point started_;
  int pid_;
};
