// config.dat: any bytes decode into settings that the writer stores as exactly 15 bytes, and the
// reader takes the same fields from the file as from memory.
#include <cstring>

#include "core/settings.h"
#include "fuzz_file.h"

namespace {

bool same(const Settings& a, const Settings& b) {
  return a.fullscreen == b.fullscreen && a.music == b.music && a.color_bits == b.color_bits &&
         a.width == b.width && a.height == b.height && a.dither == b.dither;
}

void check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  Settings decoded;
  decode_settings(data, size, decoded);
  // Fields the input holds in full come from it; the others keep their defaults.
  const Settings defaults;
  if (size < 6) check(decoded.color_bits == defaults.color_bits);
  if (size < 15) check(decoded.dither == defaults.dither);
  const SettingsBytes encoded = encode_settings(decoded);
  if (size >= settings_file_size) check(std::memcmp(encoded.data(), data, encoded.size()) == 0);

  const std::string& path = scratch_path("config");
  write_scratch(path, data, size);
  Settings from_file;
  check(read_settings_file(path.c_str(), from_file));
  check(same(from_file, decoded));

  check(write_settings_file(path.c_str(), decoded));
  unsigned char back[settings_file_size + 1];
  std::FILE* file = std::fopen(path.c_str(), "rb");
  check(file != nullptr);
  const std::size_t got = std::fread(back, 1, sizeof back, file);
  std::fclose(file);
  check(got == settings_file_size && std::memcmp(back, encoded.data(), got) == 0);
  return 0;
}
