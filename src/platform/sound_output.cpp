// The live output: which audio driver, opened how, and whether it still plays; and the port
// through which the rest of the sound reaches it and the clock, which a test may replace.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/sound.h"
#include "platform/sound_internal.h"

namespace {

using namespace sound_detail;

int buffer_frames = 1024;  // about 23 ms: a cue is heard within two buffers of its flash
bool mixer_open = false;   // the mixer has a device: false while a lost output is reopened
std::string driver;        // the driver of the output last opened
SDL_AudioDeviceID device = 0;

// The drivers to try, in order: those the player named (SDL_AUDIODRIVER, a list), else every
// one SDL tries by itself, in its order. The dummy and disk drivers play nowhere: only by name.
std::vector<std::string> candidate_drivers(const char* only) {
  if (only != nullptr && *only != '\0') return {only};
  std::vector<std::string> names;
  if (const char* named = SDL_GetHint(SDL_HINT_AUDIODRIVER); named != nullptr && *named != '\0') {
    std::istringstream list(named);
    for (std::string name; std::getline(list, name, ',');) {
      if (!name.empty()) names.push_back(name);
    }
    return names;
  }
  for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
    const std::string name = SDL_GetAudioDriver(i);
    if (name != "dummy" && name != "disk") names.push_back(name);
  }
  return names;
}

enum class Opened { yes, no_server, no };

// One driver, whose server was there when asked.
Opened open_on(const std::string& name, std::string& why) {
  const char* hint = SDL_GetHint(SDL_HINT_AUDIODRIVER);
  const std::string named = hint != nullptr ? hint : "";
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, name.c_str(), SDL_HINT_OVERRIDE);
  const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, named.empty() ? nullptr : named.c_str(),
                          SDL_HINT_OVERRIDE);
  if (!started) {
    why = SDL_GetError();
    return Opened::no_server;
  }
  // No allowed changes: SDL converts for the device, so the hook always sees 16-bit stereo.
  if (Mix_OpenAudioDevice(sound_rate, AUDIO_S16SYS, 2, buffer_frames, nullptr, 0) != 0) {
    why = Mix_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Opened::no;
  }
  return Opened::yes;
}

}  // namespace

void set_sound_buffer_frames(int frames) {
  buffer_frames = std::clamp(frames, 256, 16384);
}

namespace {

bool open_sdl(const char* only_driver, bool say_why) {
  // As SDL chooses: the first driver whose server is there is the one, opened or not. Its reason
  // is the one worth saying; one that is not there only where none was.
  std::string why = "no audio driver to try";
  bool opened = false;
  for (const std::string& name : candidate_drivers(only_driver)) {
    std::string reason;
    const ServerCheck check = check_sound_server(name.c_str(), reason);
    if (check == ServerCheck::absent) continue;
    const Opened result = check == ServerCheck::ready ? open_on(name, reason) : Opened::no;
    why = reason;
    if (result == Opened::no_server) continue;
    opened = result == Opened::yes;
    if (opened) driver = name;
    break;
  }
  if (!opened) {
    if (say_why) std::fprintf(stderr, "swirlbeam: audio: %s\n", why.c_str());
    return false;
  }
  Mix_AllocateChannels(mix_channels);
  // The mixer names no device; it is the one playing output SDL has open for it.
  device = 0;
  for (SDL_AudioDeviceID id = 1; id < 32 && device == 0; ++id) {
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) device = id;
  }
  mixer_open = true;
  return true;
}

void close_sdl() {
  if (!mixer_open) return;
  Mix_HookMusic(nullptr, nullptr);  // waits for a running hook: the module is ours again
  Mix_HaltChannel(-1);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  mixer_open = false;
}

bool sdl_open_now() {
  return mixer_open;
}

bool sdl_playing() {
  return mixer_open && (device == 0 || SDL_GetAudioDeviceStatus(device) != SDL_AUDIO_STOPPED);
}

const char* sdl_driver() {
  return driver.c_str();
}

std::int64_t steady_now() {
  return steady_ns(std::chrono::steady_clock::now());
}

OutputPort port = {open_sdl, close_sdl, sdl_open_now, sdl_playing, sdl_driver, steady_now};

}  // namespace

OutputPort sound_detail::sdl_output_port() {
  return {open_sdl, close_sdl, sdl_open_now, sdl_playing, sdl_driver, steady_now};
}

void sound_detail::use_output_port(const OutputPort& replacement) {
  port = replacement;
}

const OutputPort& sound_detail::output_port() {
  return port;
}
