#include "app/scene.h"

#include <cstdlib>
#include <ctime>

#include "app/effects.h"
#include "app/media_files.h"
#include "app/report_fatal.h"
#include "app/sound_handles.h"
#include "comets/comet.h"
#include "core/rng.h"
#include "core/settings.h"
#include "platform/jpeg.h"
#include "platform/sound.h"

std::uint32_t comet_texture;
std::uint32_t smoke_texture;
std::uint32_t logo_texture;
std::uint32_t logo2_texture;
std::uint32_t web_texture;
std::uint32_t thanks_texture;

const char* const texture_load_failure = "load_jpeg():\nUnable to load a texture from a JPEG file!";

namespace {

// A picture that cannot be loaded ends the program here, before the scene goes on.
std::uint32_t load_texture(const char* file_name, bool repeat) {
  const std::uint32_t texture = load_jpeg(file_name, repeat);
  if (texture != 0) return texture;
  report_fatal(texture_load_failure, "Error");
  std::exit(fatal_exit_code);
}

struct Picture {
  std::uint32_t& texture;
  const char* file_name;
  bool repeat;  // the smoke is the only picture drawn past its edges
};
const Picture pictures[picture_file_count] = {
    {comet_texture, picture_files[0], false}, {smoke_texture, picture_files[1], true},
    {logo_texture, picture_files[2], false},  {logo2_texture, picture_files[3], false},
    {web_texture, picture_files[4], false},   {thanks_texture, picture_files[5], false}};

void load_textures() {
  for (const Picture& picture : pictures) {
    picture.texture = load_texture(picture.file_name, picture.repeat);
  }
}

// Red, then green, then blue, each fading in about a thousand steps after the one before.
void create_show_comets() {
  const auto position_factor = static_cast<float>(10.0 / rng_max);
  const auto velocity_factor = static_cast<float>(2.0 / rng_max);
  const float alphas[3] = {0.0f, -1.0f, -2.0f};
  float color[3] = {1.0f, 0.1f, 0.1f};
  for (int k = 0; k < 3; ++k) {
    Vector3 p, v;
    p.x = static_cast<float>(rng_next() * static_cast<double>(position_factor) - 5.0);
    p.y = static_cast<float>(rng_next() * static_cast<double>(position_factor) - 5.0);
    p.z = static_cast<float>(rng_next() * static_cast<double>(position_factor) - 5.0);
    v.x = static_cast<float>(rng_next() * static_cast<double>(velocity_factor) - 1.0);
    v.y = static_cast<float>(rng_next() * static_cast<double>(velocity_factor) - 1.0);
    v.z = static_cast<float>(rng_next() * static_cast<double>(velocity_factor) - 1.0);
    create_comet(Vector3{}.set(2.0 * p.x, 2.0 * p.y, 2.0 * p.z), v, Vector3{}.set(0, 0, 0), color,
                 comet_texture, true);
    comets[comet_count - 1].alpha = alphas[k];
    if (k == 0) {
      color[0] = 0.1f;
      color[1] = 1.0f;
    } else if (k == 1) {
      color[1] = 0.1f;
      color[2] = 1.0f;
    }
  }
}

}  // namespace

std::uint32_t calendar_seed() {
  return static_cast<std::uint32_t>(std::time(nullptr));
}

std::uint32_t (*scene_seed)() = calendar_seed;

bool restore_scene_gl() {
  for (const Picture& picture : pictures) {
    if (!reload_jpeg(picture.texture, picture.file_name, picture.repeat)) return false;
  }
  set_show_gl_state(settings.dither != 0);
  return true;
}

void set_up_scene() {
  load_textures();
  play_song(song);
  set_show_gl_state(settings.dither != 0);
  reset_comets();
  effects.scene_angle = 0.0f;
  rng_seed(scene_seed());
  create_show_comets();
}
