#include "support/sound_server.h"

#include <signal.h>
#include <sys/stat.h>

#include <sstream>
#include <thread>

#include "support/fixtures.h"

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool wait_for(const std::string& file, const std::string& text, double seconds, int times) {
  const auto start = Clock::now();
  while (count_of(read_text(file), text) < times) {
    if (seconds_since(start) > seconds) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

SoundServer::SoundServer(Server kind, const TempDir& dir, int rate) : kind_(kind), dir_(dir) {
  ::mkdir(dir.file("run").c_str(), 0700);
  if (kind == Server::pipewire) {
    ::mkdir(dir.file("conf").c_str(), 0700);
    ::mkdir(dir.file("conf/pipewire").c_str(), 0700);
    ::mkdir(dir.file("conf/pipewire/pipewire.conf.d").c_str(), 0700);
    const std::string r = std::to_string(rate);
    const std::string conf =
        "context.properties = { default.clock.rate = " + r + " default.clock.allowed-rates = [ " +
        r +
        " ] }\n"
        "context.objects = [ { factory = adapter args = { factory.name = "
        "support.null-audio-sink node.name = ci media.class = Audio/Sink object.linger = true "
        "audio.position = [ FL FR ] audio.rate = " +
        r + " } } ]\n";
    write_bytes(dir.file("conf/pipewire/pipewire.conf.d/ci.conf"), {conf.begin(), conf.end()});
  }
}

ProcessOptions SoundServer::options() const {
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

bool SoundServer::start(bool with_sink) {
  const std::string log = dir_.file(kind_ == Server::pulseaudio ? "pulseaudio.log" : "pw.log");
  if (kind_ == Server::pulseaudio) {
    std::vector<std::string> argv = {"/usr/bin/pulseaudio", "--daemonize=no",
                                     "--exit-idle-time=-1", "--disallow-exit",
                                     "--use-pid-file=no",   "-n"};
    if (with_sink) argv.push_back("--load=module-null-sink sink_name=ci");
    argv.push_back("--load=module-native-protocol-unix");
    pids_.push_back(start_process(argv, options(), log, log));
  } else {
    // WirePlumber, which links streams to the sink, needs a session bus, and gives up at once
    // when PipeWire does not answer: a killed server's socket must not count as the new one's.
    pids_.push_back(start_process({"/usr/bin/dbus-run-session", "--", "/bin/sh", "-c",
                                   "rm -f \"$XDG_RUNTIME_DIR/pipewire-0\"; "
                                   "pipewire & echo $! >pids; "
                                   "for i in $(seq 200); do [ -S \"$XDG_RUNTIME_DIR/pipewire-0\" ] "
                                   "&& break; sleep 0.05; done; wireplumber & echo $! >>pids; "
                                   "pipewire-pulse & echo $! >>pids; wait"},
                                  options(), log, log));
  }
  return wait_until_answering(with_sink);
}

bool SoundServer::wait_until_answering(bool with_sink) {
  const auto start = Clock::now();
  while (seconds_since(start) < 20) {
    ProcessOptions o = options();
    o.timeout_seconds = 5;
    const ProcessResult info = run_process({"/usr/bin/pactl", "info"}, o);
    if (info.exit_status == 0 &&
        (!with_sink || info.out.find("Default Sink: ci") != std::string::npos)) {
      return true;
    }
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

bool SoundServer::add_sink() {
  ProcessOptions o = options();
  o.timeout_seconds = 5;
  const ProcessResult loaded =
      run_process({"/usr/bin/pactl", "load-module", "module-null-sink", "sink_name=ci"}, o);
  std::istringstream(loaded.out) >> sink_module_;
  run_process({"/usr/bin/pactl", "set-default-sink", "ci"}, o);
  return loaded.exit_status == 0 && wait_until_answering(true);
}

void SoundServer::remove_sink() {
  ProcessOptions o = options();
  o.timeout_seconds = 5;
  run_process({"/usr/bin/pactl", "unload-module", sink_module_}, o);
}

void SoundServer::kill_hard() {
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

namespace {

std::vector<std::string> parecord(const std::string& file, int latency_ms) {
  std::vector<std::string> argv = {"/usr/bin/parecord", "-d",           "ci.monitor",
                                   "--rate=44100",      "--channels=2", "--format=s16le",
                                   "--file-format=wav"};
  if (latency_ms > 0) argv.push_back("--latency-msec=" + std::to_string(latency_ms));
  argv.push_back(file);
  return argv;
}

}  // namespace

Recorder::Recorder(const SoundServer& server, const std::string& file, int latency_ms)
    : started_(Clock::now()),
      pid_(start_process(parecord(file, latency_ms), server.options(), file + ".out",
                         file + ".err")) {}

void Recorder::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGINT);  // parecord then completes the WAV header
  wait_process(pid_, 10);
  pid_ = -1;
}
