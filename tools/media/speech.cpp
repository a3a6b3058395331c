#include "speech.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "wav.h"

extern char** environ;

namespace {

// A calm, low male voice; the same arguments always give the same samples.
const char* const voice = "en-us";
const char* const words_per_minute = "125";
const char* const pitch = "32";

constexpr int sinc_half_width = 24;  // taps either side of the output point

void run_espeak(const std::string& text, const std::string& file) {
  std::vector<std::string> args = {
      "espeak-ng", "-v", voice, "-s", words_per_minute, "-p", pitch, "-a", "150", "-w", file, text};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "espeak-ng", nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot run espeak-ng");
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("espeak-ng failed on \"" + text + "\"");
}

double blackman(double x) {  // x in -1..1
  return 0.42 + 0.5 * std::cos(pi * x) + 0.08 * std::cos(2 * pi * x);
}

}  // namespace

Signal speak(const std::string& text, const std::string& scratch_file) {
  run_espeak(text, scratch_file);
  std::ifstream file(scratch_file, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
  std::remove(scratch_file.c_str());
  Signal voice_signal;
  int rate = 0;
  if (!decode_wav_signal(bytes, voice_signal, rate) || voice_signal.empty())
    throw std::runtime_error("espeak-ng wrote no usable sound for \"" + text + "\"");
  return resample(voice_signal, rate);
}

Signal resample(const Signal& in, double from_rate) {
  const double ratio = sample_rate / from_rate;
  const double cutoff = std::min(1.0, ratio);  // of the input's Nyquist frequency
  const auto size = static_cast<std::size_t>(std::floor(in.size() * ratio));
  Signal out(size, 0.0);
  const auto n = static_cast<long>(in.size());
  for (std::size_t i = 0; i < size; ++i) {
    const double centre = i / ratio;
    const long first = static_cast<long>(std::floor(centre)) - sinc_half_width + 1;
    double sum = 0;
    for (long k = first; k < first + 2 * sinc_half_width; ++k) {
      if (k < 0 || k >= n) continue;
      const double x = k - centre;
      const double arg = pi * cutoff * x;
      const double sinc = x == 0 ? 1.0 : std::sin(arg) / arg;
      sum += in[static_cast<std::size_t>(k)] * cutoff * sinc * blackman(x / sinc_half_width);
    }
    out[i] = sum;
  }
  return out;
}
