#include "video_pipe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "stop_signal.h"

namespace {

// The last line that is not empty.
std::string last_line(const std::string& text) {
  std::istringstream lines(text);
  std::string last;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) last = line;
  }
  return last;
}

std::vector<std::string> ffmpeg_start() {
  return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
}

// The packets ffprobe reads from the file's first video and audio streams; false when it cannot
// read the file at all (no index, no header).
bool count_packets(const std::string& path, long long& video, long long& audio) {
  ChildProcess probe;
  if (!probe.start({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                    "stream=codec_type,nb_read_packets", "-of", "csv=p=0", path},
                   false, true))
    return false;
  const std::string out = probe.read_output();
  if (!probe.wait_ok()) return false;
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
  if (!encoder_.start(argv, true, false)) {
    encoder_.stop();
    error = "cannot start ffmpeg";
    return false;
  }
  return true;
}

bool VideoPipe::write_frame(const std::vector<std::uint8_t>& rgb) {
  std::FILE* pipe = encoder_.input();
  if (pipe == nullptr || std::fwrite(rgb.data(), 1, rgb.size(), pipe) != rgb.size()) return false;
  ++frames_;
  return true;
}

bool VideoPipe::close(const std::string& audio_path, std::string& error) {
  error.clear();
  if (encoder_.input() == nullptr) return false;
  bool ok = encoder_.close_input();
  ok = encoder_.wait_ok() && ok;
  std::string said = last_line(encoder_.messages());
  encoder_.stop();
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
    ChildProcess muxer;
    ok = muxer.start(argv, false, false) && muxer.wait_ok();
    said = last_line(muxer.messages());
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
  encoder_.close_input();
  encoder_.wait_ok();
  const std::string said = last_line(encoder_.messages());
  encoder_.stop();
  return said.empty() ? "it ended" : said;
}

void VideoPipe::abandon() {
  encoder_.stop();
  remove_all();
}
