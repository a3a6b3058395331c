#include "video_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "stop_signal.h"

extern char** environ;

namespace {

// Starts `argv` reading `stdin_fd` (-1: /dev/null) and writing to `stdout_fd` and `stderr_fd`
// (-1: ours). Its own process group keeps a terminal's Ctrl+C for us: we decide when it stops.
int spawn(const std::vector<std::string>& argv, int stdin_fd, int stdout_fd, int stderr_fd) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdin_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, stdin_fd, STDIN_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  if (stdout_fd >= 0) posix_spawn_file_actions_adddup2(&actions, stdout_fd, STDOUT_FILENO);
  if (stderr_fd >= 0) posix_spawn_file_actions_adddup2(&actions, stderr_fd, STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return failed != 0 ? -1 : pid;
}

constexpr auto wait_poll = std::chrono::milliseconds(10);

// Waits for `pid`; on a stop signal the program is killed. True when it exited with status 0.
bool wait_ok(int pid) {
  int status = 0;
  for (;;) {
    const int done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) return false;
    if (stop_signal() != 0) kill(pid, SIGKILL);
    std::this_thread::sleep_for(wait_poll);
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A file for a program's messages that its sibling programs do not inherit.
std::FILE* message_file() {
  std::FILE* file = std::tmpfile();
  if (file != nullptr) fcntl(fileno(file), F_SETFD, FD_CLOEXEC);
  return file;
}

int fd_of(std::FILE* file) {
  return file != nullptr ? fileno(file) : -1;
}

// The last line the program wrote to `file`, which is then closed.
std::string last_line(std::FILE*& file) {
  if (file == nullptr) return {};
  std::string line, last;
  std::rewind(file);
  char chunk[512];
  while (std::fgets(chunk, sizeof chunk, file) != nullptr) {
    line += chunk;
    if (line.back() != '\n') continue;
    line.pop_back();
    if (!line.empty()) last = line;
    line.clear();
  }
  if (!line.empty()) last = line;
  std::fclose(file);
  file = nullptr;
  return last;
}

std::vector<std::string> ffmpeg_start() {
  return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
}

// The packets ffprobe reads from the file's first video and audio streams; false when it cannot
// read the file at all (no index, no header).
bool count_packets(const std::string& path, long long& video, long long& audio) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  std::FILE* quiet = message_file();
  const int pid = spawn({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                         "stream=codec_type,nb_read_packets", "-of", "csv=p=0", path},
                        -1, fds[1], fd_of(quiet));
  ::close(fds[1]);
  std::string out;
  char chunk[256];
  ssize_t n = 0;
  while ((n = read(fds[0], chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) out.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  if (quiet != nullptr) std::fclose(quiet);
  if (pid < 0 || !wait_ok(pid)) return false;
  video = audio = 0;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const auto comma = line.find(',');
    if (comma == std::string::npos) continue;
    const long long count = std::atoll(line.c_str() + comma + 1);
    if (line.compare(0, comma, "video") == 0 && video == 0) video = count;
    if (line.compare(0, comma, "audio") == 0 && audio == 0) audio = count;
  }
  return true;
}

// Why the file ffmpeg wrote is not what was asked for; empty when it is.
std::string fault_in(const std::string& path, long long frames, bool with_audio) {
  long long video = 0, audio = 0;
  if (!count_packets(path, video, audio)) return "the file it wrote cannot be read";
  if (video != frames)
    return "the file it wrote holds " + std::to_string(video) + " of " + std::to_string(frames) +
           " frames";
  if (with_audio && audio == 0) return "the file it wrote has no sound";
  return {};
}

std::string extension_of(const std::string& path) {
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

}  // namespace

bool program_on_path(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string folders = path;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string file = folder + "/" + name;
    struct stat info {};
    if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(file.c_str(), X_OK) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

std::string partial_path_of(const std::string& path) {
  return path + ".partial" + extension_of(path);
}

std::string pictures_path_of(const std::string& path, const VideoFormat& format) {
  return path + format.side_suffix;
}

VideoPipe::~VideoPipe() {
  abandon();
}

bool VideoPipe::open(const std::string& path, int width, int height, const std::string& frame_rate,
                     const VideoFormat& format, bool with_audio, std::string& error) {
  path_ = path;
  format_ = format;
  partial_path_ = partial_path_of(path);
  pictures_path_ = with_audio ? pictures_path_of(path, format) : partial_path_;
  frames_ = 0;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    return false;
  }
  std::vector<std::string> argv = ffmpeg_start();
  const std::vector<std::string> input = {
      "-f",         "rawvideo",    "-pixel_format",
      "rgb24",      "-video_size", std::to_string(width) + "x" + std::to_string(height),
      "-framerate", frame_rate,    "-i",
      "pipe:0"};
  argv.insert(argv.end(), input.begin(), input.end());
  argv.insert(argv.end(), format.pictures.begin(), format.pictures.end());
  argv.insert(argv.end(), format.container.begin(), format.container.end());
  argv.push_back(pictures_path_);
  messages_ = message_file();
  pid_ = spawn(argv, fds[0], -1, fd_of(messages_));
  ::close(fds[0]);
  if (pid_ < 0) {
    ::close(fds[1]);
    error = "cannot start ffmpeg";
    return false;
  }
  pipe_ = fdopen(fds[1], "wb");
  return pipe_ != nullptr;
}

bool VideoPipe::write_frame(const std::vector<std::uint8_t>& rgb) {
  if (std::fwrite(rgb.data(), 1, rgb.size(), pipe_) != rgb.size()) return false;
  ++frames_;
  return true;
}

bool VideoPipe::close(const std::string& audio_path, std::string& error) {
  error.clear();
  if (pipe_ == nullptr) return false;
  bool ok = std::fclose(pipe_) == 0;
  pipe_ = nullptr;
  ok = wait_ok(pid_) && ok;
  pid_ = -1;
  std::string said = last_line(messages_);
  if (stop_signal() != 0) return remove_all();
  std::string fault = ok ? fault_in(pictures_path_, frames_, false) : "it failed";
  if (!fault.empty()) {
    std::remove(pictures_path_.c_str());
    error = "ffmpeg could not write " + path_ + ": " + (said.empty() ? fault : said);
    return false;
  }
  if (pictures_path_ != partial_path_) {
    std::vector<std::string> argv = ffmpeg_start();
    const std::vector<std::string> mux = {"-nostdin", "-i",   pictures_path_, "-i",
                                          audio_path, "-map", "0:v:0",        "-map",
                                          "1:a:0",    "-c:v", "copy"};
    argv.insert(argv.end(), mux.begin(), mux.end());
    argv.insert(argv.end(), format_.sound.begin(), format_.sound.end());
    argv.insert(argv.end(), format_.container.begin(), format_.container.end());
    argv.push_back(partial_path_);
    messages_ = message_file();
    const int pid = spawn(argv, -1, -1, fd_of(messages_));
    ok = pid > 0 && wait_ok(pid);
    said = last_line(messages_);
    if (stop_signal() != 0) return remove_all();
    fault = ok ? fault_in(partial_path_, frames_, true) : "it failed";
    if (!fault.empty()) {
      std::remove(partial_path_.c_str());
      pictures_kept_ = true;
      error = "ffmpeg could not add the soundtrack to " + path_ + ": " +
              (said.empty() ? fault : said) + "; the pictures are kept in " + pictures_path_;
      return false;
    }
  }
  if (std::rename(partial_path_.c_str(), path_.c_str()) != 0) {
    error = path_ + ": " + std::strerror(errno);
    std::remove(partial_path_.c_str());
    return false;
  }
  if (pictures_path_ != partial_path_) std::remove(pictures_path_.c_str());
  return true;
}

bool VideoPipe::remove_all() {
  if (!pictures_kept_) std::remove(pictures_path_.c_str());
  std::remove(partial_path_.c_str());
  return false;
}

std::string VideoPipe::why() {
  if (pipe_ != nullptr) {
    std::fclose(pipe_);
    pipe_ = nullptr;
  }
  if (pid_ > 0) {
    wait_ok(pid_);
    pid_ = -1;
  }
  const std::string said = last_line(messages_);
  return said.empty() ? "it ended" : said;
}

void VideoPipe::abandon() {
  if (pipe_ != nullptr) {
    std::fclose(pipe_);
    pipe_ = nullptr;
  }
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (messages_ != nullptr) {
    std::fclose(messages_);
    messages_ = nullptr;
  }
  remove_all();
}
