#include "support/fixtures.h"

#include <cmath>
#include <cstring>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/jpeg_fixtures.h"
#include "wav_file.h"

void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("cannot write " + path);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> read_bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string read_text(const std::string& path) {
  const std::vector<unsigned char> bytes = read_bytes(path);
  return {bytes.begin(), bytes.end()};
}

void write_settings(const std::string& path, const Settings& s) {
  const SettingsBytes b = encode_settings(s);
  write_bytes(path, {b.begin(), b.end()});
}

namespace {

void put_be16(std::vector<unsigned char>& out, unsigned value) {
  out.push_back(static_cast<unsigned char>(value >> 8));
  out.push_back(static_cast<unsigned char>(value));
}

void put_text(std::vector<unsigned char>& out, const char* text, std::size_t width) {
  const std::size_t n = std::strlen(text);
  for (std::size_t i = 0; i < width; ++i) out.push_back(i < n ? text[i] : 0);
}

}  // namespace

std::vector<unsigned char> test_module() {
  constexpr unsigned sample_words = 16;  // one 32-byte cycle, looped
  std::vector<unsigned char> m;
  put_text(m, "swirlbeam test", 20);
  for (int s = 0; s < 31; ++s) {
    put_text(m, s == 0 ? "square" : "", 22);
    put_be16(m, s == 0 ? sample_words : 0);
    m.push_back(0);                // finetune
    m.push_back(s == 0 ? 64 : 0);  // volume
    put_be16(m, 0);                // loop start
    put_be16(m, s == 0 ? sample_words : 1);
  }
  m.push_back(1);    // song length in orders
  m.push_back(127);  // restart
  for (int i = 0; i < 128; ++i) m.push_back(0);
  put_text(m, "M.K.", 4);
  for (int row = 0; row < 64; ++row) {
    for (int channel = 0; channel < 4; ++channel) {
      if (row == 0 && channel == 0) {
        constexpr unsigned period = 214;  // C-3
        m.push_back(static_cast<unsigned char>((period >> 8) & 0x0F));
        m.push_back(static_cast<unsigned char>(period & 0xFF));
        m.push_back(0x10);  // sample 1, no effect
        m.push_back(0);
      } else {
        for (int i = 0; i < 4; ++i) m.push_back(0);
      }
    }
  }
  for (unsigned i = 0; i < sample_words * 2; ++i) {
    m.push_back(static_cast<unsigned char>(i < sample_words ? 100 : -100));
  }
  return m;
}

std::vector<unsigned char> test_wav(int peak, double seconds, int rate) {
  const auto frames = static_cast<std::uint32_t>(seconds * rate);
  std::vector<std::int16_t> square(frames);
  for (std::uint32_t i = 0; i < frames; ++i) {
    square[i] = static_cast<std::int16_t>((i / 50) % 2 == 0 ? peak : -peak);
  }
  return encode_wav(square, 1, rate);
}

namespace {

// A soft white disc fading to black well inside the square, like a comet sprite.
TestPicture glow_picture(int size) {
  TestPicture p{size, size, std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 3)};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = (x + 0.5) / size - 0.5, dy = (y + 0.5) / size - 0.5;
      const double r = std::sqrt(dx * dx + dy * dy) / 0.4;
      const auto v = static_cast<std::uint8_t>(r >= 1.0 ? 0 : std::lround(255 * (1 - r) * (1 - r)));
      p.set(x, y, v, v, v);
    }
  }
  return p;
}

// Grey all over: the background layers then show exactly their colour times this value.
TestPicture flat_picture(int size, std::uint8_t value) {
  TestPicture p{size, size, std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 3)};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) p.set(x, y, value, value, value);
  }
  return p;
}

}  // namespace

void write_fixture_media(const std::string& folder, bool music) {
  write_bytes(folder + "/texture.jpg", encode_jpeg(glow_picture(64)));
  write_bytes(folder + "/smoke.jpg", encode_jpeg(flat_picture(64, 200)));
  for (const char* name : {"logo.jpg", "logo2.jpg", "thanks.jpg"}) {
    write_bytes(folder + "/" + name, encode_jpeg(marked_picture(128, 64)));
  }
  write_bytes(folder + "/web.jpg", encode_jpeg(marked_picture(64, 64)));
  Settings s;
  s.music = music ? 1 : 0;
  s.width = 320;
  s.height = 240;
  write_settings(folder + "/config.dat", s);
  write_bytes(folder + "/music.dat", test_module());
  for (const char* name : {"strike.wav", "swirlbeam.wav", "thanks.wav"}) {
    write_bytes(folder + "/" + name, test_wav(8000, 0.5));
  }
}
