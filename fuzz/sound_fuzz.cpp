// music.dat and the samples: any file is tried as the module and as a sample, as start-up does,
// into the silent output. Loading only; nothing is played.
#include <cstdlib>
#include <vector>

#include "fuzz_file.h"
#include "platform/sound.h"

namespace {

// Loaded songs and samples live until the device is closed, so keep them and close every so
// often rather than reopening the device for each input.
constexpr std::size_t batch = 16;  // each sample may hold up to 64 MB
std::vector<Song*> songs;
std::size_t loaded = 0;

void close_all();

void reopen_sound() {
  close_all();
  songs.clear();
  loaded = 0;
  if (!start_sound(false)) std::abort();
}

void close_all() {
  for (Song*& song : songs) close_sound(song);
  Song* none = nullptr;
  close_sound(none);  // the samples too, when no song was kept
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (!start_sound(false)) std::abort();
  std::atexit(close_all);  // before the sound module's own globals go
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string& path = scratch_path("sound");
  write_scratch(path, data, size);
  if (Song* song = load_song(path.c_str())) songs.push_back(song);
  if (load_sample(path.c_str()) != nullptr) ++loaded;
  if (songs.size() + loaded >= batch) reopen_sound();
  return 0;
}
