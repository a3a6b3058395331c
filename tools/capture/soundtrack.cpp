#include "soundtrack.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/sound.h"
#include "replay/show_clock.h"
#include "wav_file.h"

namespace {

void put_u16(unsigned char* at, std::uint16_t v) {
  at[0] = static_cast<unsigned char>(v);
  at[1] = static_cast<unsigned char>(v >> 8);
}

constexpr int bytes_per_frame = 4;  // two 16-bit channels

std::array<unsigned char, wav_header_bytes> make_header(int rate, std::uint64_t frames) {
  return wav_header(2, rate, static_cast<std::uint32_t>(frames * bytes_per_frame));
}

bool little_endian() {
  const std::uint16_t one = 1;
  unsigned char first = 0;
  std::memcpy(&first, &one, 1);
  return first == 1;
}

}  // namespace

WavWriter::~WavWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool WavWriter::open(const std::string& path, int rate, std::string& error) {
  path_ = path;
  frames_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  const auto header = make_header(rate, 0);
  if (file_ == nullptr || std::fwrite(header.data(), 1, header.size(), file_) != header.size()) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  rate_ = rate;
  return true;
}

bool WavWriter::write(const std::int16_t* stereo, int frames) {
  if (frames <= 0) return true;
  const auto values = static_cast<std::size_t>(frames) * 2;
  std::size_t written = 0;
  if (little_endian()) {
    written = std::fwrite(stereo, sizeof(std::int16_t), values, file_);
  } else {
    for (unsigned char bytes[2]; written < values; ++written) {
      put_u16(bytes, static_cast<std::uint16_t>(stereo[written]));
      if (std::fwrite(bytes, 1, 2, file_) != 2) break;
    }
  }
  frames_ += written / 2;
  return written == values;
}

void WavWriter::abandon() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove(path_.c_str());
}

bool WavWriter::close(std::string& error) {
  if (file_ == nullptr) return true;
  const auto header = make_header(rate_, frames_);
  bool ok = std::fseek(file_, 0, SEEK_SET) == 0 &&
            std::fwrite(header.data(), 1, header.size(), file_) == header.size();
  ok = ok && std::ferror(file_) == 0;
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  if (!ok) error = path_ + ": " + std::strerror(errno);
  return ok;
}

bool SoundtrackWriter::open(const std::string& path, long long first, long long end,
                            std::string& error) {
  path_ = path;
  first_ = first;
  end_ = end;
  rendered_ = 0;
  return wav_.open(path, sound_rate, error);
}

bool SoundtrackWriter::render(int samples) {
  std::int16_t block[2 * samples_per_frame];
  render_sound_recording(block, samples);
  const long long from = std::max(first_, rendered_);
  const long long to = std::min(end_, rendered_ + samples);
  const long long at = from - rendered_;
  rendered_ += samples;
  return to <= from || wav_.write(block + 2 * at, static_cast<int>(to - from));
}

bool SoundtrackWriter::add_frame() {
  return render(samples_per_frame);
}

bool SoundtrackWriter::close(std::string& error) {
  bool ok = true;
  // The last written frame stays on screen for its whole time, which may reach past the last
  // show frame run: the mix goes on under it.
  while (ok && rendered_ < end_) {
    ok = render(static_cast<int>(std::min<long long>(samples_per_frame, end_ - rendered_)));
  }
  const int write_errno = errno;
  if (!wav_.close(error)) return false;
  if (!ok) error = path_ + ": " + std::strerror(write_errno);
  return ok;
}
