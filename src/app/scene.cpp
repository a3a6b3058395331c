#include "app/scene.h"

#include "app/sound_handles.h"
#include "platform/sound.h"

std::uint32_t comet_texture;
std::uint32_t smoke_texture;
std::uint32_t logo_texture;
std::uint32_t logo2_texture;
std::uint32_t web_texture;
std::uint32_t thanks_texture;

bool set_up_scene() {
  play_song(song);
  return true;
}
