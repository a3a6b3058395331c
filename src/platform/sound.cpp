#include "platform/sound.h"

#include "platform/backend.h"
#include "platform/sound_internal.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// Modules far larger than any real one are refused before they are read into memory.
constexpr std::streamoff max_module_bytes = 64 << 20;
// No block SDL allocates for a sample comes near this (a cue of a minute takes a few MB while
// it is converted), but a few bytes of sample header can ask for gigabytes: a WAV at 1 Hz,
// converted to 44100 Hz. Refusing the block makes the load fail instead.
constexpr std::size_t max_sdl_block = std::size_t{64} << 20;

namespace {

using namespace sound_detail;

SoundState state;

// SDL's allocator while a sample loads, which the cap passes blocks on to.
struct SdlAllocator {
  SDL_malloc_func malloc;
  SDL_calloc_func calloc;
  SDL_realloc_func realloc;
  SDL_free_func free;
};
SdlAllocator uncapped;

void* capped_malloc(std::size_t size) {
  return size > max_sdl_block ? nullptr : uncapped.malloc(size);
}

void* capped_calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > max_sdl_block / size) return nullptr;
  return uncapped.calloc(count, size);
}

void* capped_realloc(void* block, std::size_t size) {
  return size > max_sdl_block ? nullptr : uncapped.realloc(block, size);
}

// Caps SDL's allocations while it reads a sample; the process's allocator is SDL's again after.
// The allocator underneath stays the same, so blocks taken on either side of the cap mix freely,
// and another thread that allocates meanwhile (the audio thread) is served either way.
class SampleAllocationCap {
 public:
  SampleAllocationCap() {
    SDL_GetMemoryFunctions(&uncapped.malloc, &uncapped.calloc, &uncapped.realloc, &uncapped.free);
    SDL_SetMemoryFunctions(capped_malloc, capped_calloc, capped_realloc, uncapped.free);
  }
  ~SampleAllocationCap() {
    SDL_SetMemoryFunctions(uncapped.malloc, uncapped.calloc, uncapped.realloc, uncapped.free);
  }
  SampleAllocationCap(const SampleAllocationCap&) = delete;
  SampleAllocationCap& operator=(const SampleAllocationCap&) = delete;
};

// WAV, AIFF and VOC, which SDL_mixer reads as samples, at most a few times their file size.
// Anything else it would render through its music players into memory: a small module that
// loops forever grows without end, a MIDI file loads a whole sound font.
bool has_sample_signature(SDL_RWops* file) {
  char magic[4] = {};
  const bool read = SDL_RWread(file, magic, 1, 4) == 4;
  SDL_RWseek(file, 0, RW_SEEK_SET);
  if (!read) return false;
  for (const char* known : {"RIFF", "WAVE", "FORM", "Crea"}) {
    if (std::memcmp(magic, known, 4) == 0) return true;
  }
  return false;
}

bool read_file(const char* file_name, std::vector<char>& data) {
  std::ifstream file(file_name, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff size = file.tellg();
  if (size <= 0 || size > max_module_bytes) return false;
  data.resize(static_cast<std::size_t>(size));
  file.seekg(0);
  return static_cast<bool>(file.read(data.data(), size));
}

}  // namespace

SoundState& sound_detail::sound_state() {
  return state;
}

bool start_sound(bool audible) {
  if (state.open) return true;
  state = SoundState{};
  if (!audible) choose_silent_output();
  if (!open_output(nullptr, true)) return false;
  if (!audible) silence_open_output();
  state.open = true;
  state.audible = audible;
  reset_recovery(false);
  return true;
}

bool start_sound_silent_for_now() {
  if (!start_sound(false)) return false;
  state.audible = true;
  reset_recovery(true);
  return true;
}

Song* load_song(const char* file_name) {
  std::vector<char> data;
  if (!read_file(file_name, data)) return nullptr;
  try {
    std::ostringstream quiet;  // libopenmpt would otherwise log to std::clog
    auto song = std::make_unique<Song>();
    // Without the sub-song scan, which walks the whole song at load (a tenth of a second here,
    // far more on a phone) only to know lengths the show never asks for; it plays the same.
    const std::map<std::string, std::string> load_options{{"load.skip_subsongs_init", "1"}};
    song->module = std::make_unique<openmpt::module>(data.data(), data.size(), quiet, load_options);
    song->module->set_repeat_count(0);
    song->module->ctl_set_text("play.at_end", "stop");
    return song.release();
  } catch (...) {
    return nullptr;
  }
}

Sample* load_sample(const char* file_name) {
  if (!state.open || !output_open()) return nullptr;
  // Our own file handle: SDL_mixer forgets to close it when it does not know the format.
  SDL_RWops* file = SDL_RWFromFile(file_name, "rb");
  if (file == nullptr) return nullptr;
  if (!has_sample_signature(file)) {
    SDL_RWclose(file);
    return nullptr;
  }
  Mix_Chunk* chunk = nullptr;
  {
    const SampleAllocationCap cap;
    chunk = Mix_LoadWAV_RW(file, 0);
  }
  SDL_RWclose(file);
  if (chunk == nullptr) return nullptr;
  state.samples.push_back(std::make_unique<Sample>(Sample{chunk}));
  return state.samples.back().get();
}

void free_song(Song* song) {
  delete song;
}

void free_sample(Sample* sample) {
  auto& samples = state.samples;
  const auto kept = std::find_if(samples.begin(), samples.end(),
                                 [sample](const auto& held) { return held.get() == sample; });
  if (kept == samples.end()) return;
  Mix_FreeChunk(sample->chunk);
  samples.erase(kept);
}

bool sound_open() {
  return state.open;
}

void play_song(Song* song) {
  if (state.open && song != nullptr) state.sink->play_song(song);
}

void play_sample(Sample* sample, int volume) {
  if (state.open && sample != nullptr) state.sink->play_sample(sample, volume);
}

namespace {

void play_song_live(Song* song) {
  song->playing = true;
  if (output_open()) {
    hook_song(song);
  } else {
    state.hooked = song;  // hooked when the lost output is back
  }
}

void play_sample_live(Sample* sample, int volume) {
  if (!output_open()) return;  // the output is lost: this cue is not heard
  const int channel = Mix_GroupAvailable(-1);
  if (channel < 0) return;  // all channels busy: this cue is not heard
  // The channel is idle, so its volume can be set before the sample starts on it.
  Mix_Volume(channel, channel_volume(volume));
  Mix_PlayChannel(channel, sample->chunk, 0);
}

}  // namespace

const SoundSink sound_detail::live_sink = {play_song_live, play_sample_live};

int music_volume(Song* song) {
  return song == nullptr ? 0 : song->volume.load();
}

void set_music_volume(Song* song, int volume) {
  if (song != nullptr) song->volume = clamp_volume(volume);
}

void close_sound(Song*& song) {
  if (state.open) {
    forget_silent_output();
    close_output();
    for (auto& sample : state.samples) Mix_FreeChunk(sample->chunk);
  }
  state = SoundState{};
  delete song;
  song = nullptr;
}
