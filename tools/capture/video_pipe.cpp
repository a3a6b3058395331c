#include "video_pipe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

// Starts `argv` with `stdin_fd` as its input (-1: /dev/null). -1 on failure.
int spawn(const std::vector<std::string>& argv, int stdin_fd) {
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
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed != 0 ? -1 : pid;
}

bool wait_ok(int pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> ffmpeg_start() {
  return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
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

VideoPipe::~VideoPipe() {
  if (pipe_ != nullptr) std::fclose(pipe_);
  if (pid_ > 0) wait_ok(pid_);
}

bool VideoPipe::open(const std::string& path, int width, int height, const std::string& frame_rate,
                     const VideoFormat& format, bool with_audio, std::string& error) {
  path_ = path;
  format_ = format;
  pictures_path_ = with_audio ? path + format.side_suffix : path;
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
  pid_ = spawn(argv, fds[0]);
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
  return std::fwrite(rgb.data(), 1, rgb.size(), pipe_) == rgb.size();
}

bool VideoPipe::close(const std::string& audio_path, std::string& error) {
  if (pipe_ == nullptr) return false;
  bool ok = std::fclose(pipe_) == 0;
  pipe_ = nullptr;
  ok = wait_ok(pid_) && ok;
  pid_ = -1;
  if (!ok) {
    error = "ffmpeg could not encode " + pictures_path_;
    return false;
  }
  if (pictures_path_ == path_) return true;

  std::vector<std::string> argv = ffmpeg_start();
  const std::vector<std::string> mux = {"-nostdin", "-i",   pictures_path_, "-i",
                                        audio_path, "-map", "0:v:0",        "-map",
                                        "1:a:0",    "-c:v", "copy"};
  argv.insert(argv.end(), mux.begin(), mux.end());
  argv.insert(argv.end(), format_.sound.begin(), format_.sound.end());
  argv.insert(argv.end(), format_.container.begin(), format_.container.end());
  argv.push_back(path_);
  const int pid = spawn(argv, -1);
  ok = pid > 0 && wait_ok(pid);
  std::remove(pictures_path_.c_str());
  if (!ok) error = "ffmpeg could not add the soundtrack to " + path_;
  return ok;
}
