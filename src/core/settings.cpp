#include "core/settings.h"

#include <cstdio>

Settings settings;

namespace {

void put_int32(unsigned char* at, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(u >> (8 * i));
}

std::int32_t get_int32(const unsigned char* at) {
  std::uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(at[i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

}  // namespace

SettingsBytes encode_settings(const Settings& s) {
  SettingsBytes b{};
  b[0] = s.fullscreen;
  b[1] = s.music;
  put_int32(&b[2], s.color_bits);
  put_int32(&b[6], s.width);
  put_int32(&b[10], s.height);
  b[14] = s.dither;
  return b;
}

void decode_settings(const unsigned char* bytes, std::size_t size, Settings& s) {
  if (size >= 1) s.fullscreen = bytes[0];
  if (size >= 2) s.music = bytes[1];
  if (size >= 6) s.color_bits = get_int32(&bytes[2]);
  if (size >= 10) s.width = get_int32(&bytes[6]);
  if (size >= 14) s.height = get_int32(&bytes[10]);
  if (size >= 15) s.dither = bytes[14];
}

bool read_settings_file(const char* path, Settings& s) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  SettingsBytes bytes{};
  const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  decode_settings(bytes.data(), size, s);
  return true;
}
