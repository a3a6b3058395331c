#include "capture_runs.h"

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "child_process.h"
#include "support/fixtures.h"
#include "wav_file.h"

std::vector<std::string> read_lines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> folder_entries(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool have_ffmpeg() {
  return ffmpeg_found();
}

bool has_one_line(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

std::string json_value(const std::string& line, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  const auto at = line.find(key);
  if (at == std::string::npos) return {};
  const auto start = at + key.size();
  const auto end = line.find_first_of(",}", start);
  return line.substr(start, end - start);
}

Wav read_wav(const std::string& path) {
  Wav wav;
  PcmWav file;
  if (!read_wav_file(path, file)) return wav;
  wav.rate = static_cast<std::uint32_t>(file.rate);
  wav.channels = file.channels;
  wav.samples = std::move(file.samples);
  return wav;
}

double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}
