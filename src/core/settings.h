// The user's settings and their 15-byte file, config.dat.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct Settings {
  std::uint8_t fullscreen = 0;  // 1 = full screen
  std::uint8_t music = 0;       // 1 = sound output on
  std::int32_t color_bits = 32;
  std::int32_t width = 400;
  std::int32_t height = 300;
  std::uint8_t dither = 0;  // 1 = OpenGL dithering stays on
};

extern Settings settings;

constexpr const char* settings_file_name = "config.dat";
constexpr std::size_t settings_file_size = 15;
using SettingsBytes = std::array<unsigned char, settings_file_size>;

// Little-endian, no padding, in field order.
SettingsBytes encode_settings(const Settings& s);
// Takes every field that `size` bytes hold in full; the others keep their values.
void decode_settings(const unsigned char* bytes, std::size_t size, Settings& s);

// False when the file cannot be opened; a short file still counts as read.
bool read_settings_file(const char* path, Settings& s);
// Replaces the file as a whole or not at all: a failed write leaves the old bytes in place. A
// symbolic link keeps pointing at the file it names; a file with other names is written in place.
// False when the file cannot be written, or is a dangling link.
bool write_settings_file(const char* path, const Settings& s);
