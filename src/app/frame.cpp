#include "app/frame.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

#include "app/effects.h"
#include "app/scene.h"
#include "comets/comet.h"
#include "platform/jpeg.h"
#include "platform/window.h"

namespace {

// Half sizes of the three quads the frame is made of.
constexpr float screen_half = 20.0f;
constexpr float web_half = 5.0f;
constexpr float picture_half_width = 4.0f;
constexpr float picture_half_height = 2.0f;

constexpr int echo_layers = 10;

// Eye distances of the layers drawn at a fixed depth.
constexpr double scene_distance = 15.0;
constexpr double web_distance = 3.0;
constexpr double thanks_distance = 4.0;

// A margin over 1, so that a texel never covers more than a pixel even after rounding.
constexpr double least_magnification = 1.1;

// Screen pixels per scene unit one unit in front of the eye (the projection's 90-degree view at
// 4:3), in the viewport's shorter direction; set at the start of each frame.
double pixels_per_unit = 0;

void draw_picture_quad(float z = 0.0f) {
  draw_quad(picture_half_width, picture_half_height, z, picture_coords);
}

// Where a picture is magnified all over, trilinear filtering reads only its largest level,
// bilinearly: the plain filter then draws the same pixels and costs software rendering much less.
// The bound `texture` spans `width` x `height` scene units, `distance` in front of the eye, seen
// straight on.
void choose_filter(std::uint32_t texture, double width, double height, double distance) {
  const TextureSize size = texture_size(texture);
  const bool magnified =
      size.width > 0 && size.height > 0 && distance > 0 &&
      pixels_per_unit / distance * std::min(width / size.width, height / size.height) >=
          least_magnification;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  magnified ? GL_LINEAR : GL_LINEAR_MIPMAP_LINEAR);
}

double viewport_pixels_per_unit() {
  const ViewSize view = current_view();
  return std::min(view.height / 2.0, view.width / (2.0 * 4.0 / 3.0));
}

void load_texture_identity() {
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

void draw_background() {
  glColor4f(0.45f, 0.0f, 0.0f, effects.background_alpha);
  glBindTexture(GL_TEXTURE_2D, smoke_texture);

  // Turning layer: the picture twice across, rotated about the texture origin.
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glRotatef(effects.background_angle, 0.0f, 0.0f, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  const double across = 2 * screen_half;
  choose_filter(smoke_texture, across / 2, across / 2, scene_distance);
  const TexCoord twice[4] = {{2, 2}, {0, 2}, {2, 0}, {0, 0}};
  draw_quad(screen_half, screen_half, 0.0f, twice);
  load_texture_identity();

  // Drifting layer: the picture once, shifted diagonally by the scroll.
  const float s = effects.smoke_scroll;
  const auto one_less = static_cast<float>(1.0 - s);
  const TexCoord shifted[4] = {{one_less, one_less}, {-s, one_less}, {one_less, -s}, {-s, -s}};
  choose_filter(smoke_texture, across, across, scene_distance);
  draw_quad(screen_half, screen_half, 0.0f, shifted);
}

void draw_web() {
  glColor4f(1.0f, 1.0f, 1.0f, effects.web_alpha);
  glBindTexture(GL_TEXTURE_2D, web_texture);
  choose_filter(web_texture, 2 * web_half, 2 * web_half, web_distance);
  glPushMatrix();
  glTranslatef(0.0f, 0.0f, 12.0f);
  glRotatef(effects.web_angle, 0.0f, 0.0f, 1.0f);
  draw_quad(web_half, web_half, 0.0f, picture_coords);
  glPopMatrix();
}

void draw_comet_scene() {
  glRotatef(effects.scene_angle, 0.0f, 1.0f, 0.0f);
  draw_comets(effects.scene_angle);
  glRotatef(-effects.scene_angle, 0.0f, 1.0f, 0.0f);
}

void draw_flash() {
  glColor4f(1.0f, 1.0f, 1.0f, effects.flash_alpha);
  glBindTexture(GL_TEXTURE_2D, 0);  // no image: plain white
  draw_quad(screen_half, screen_half, 0.0f, nullptr);
}

// The logo sits in eye space, above the view axis, with its echoes stepping towards the viewer.
void draw_logo() {
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, logo_texture);
  // The echoes step towards the eye, so none is smaller on screen than the logo.
  const double distance = -effects.logo_z;
  choose_filter(logo_texture, 2 * picture_half_width, 2 * picture_half_height, distance);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 2.0f, effects.logo_z);
  draw_picture_quad();

  glBindTexture(GL_TEXTURE_2D, logo2_texture);
  choose_filter(logo2_texture, 2 * picture_half_width, 2 * picture_half_height, distance);
  if (effects.echo_alpha > 0.0f) {
    for (int i = 0; i < echo_layers; ++i) {
      const auto f = static_cast<float>(i * 0.1);
      const auto alpha = static_cast<float>((1.0 - f) * effects.echo_alpha);
      if (alpha <= 0.0f) continue;
      glColor4f(1.0f, 0.1f, 1.0f, alpha);
      draw_picture_quad(static_cast<float>(f * 2.7));
    }
  }
  glPopMatrix();
}

void draw_thanks() {
  glColor4f(1.0f, 1.0f, 1.0f, effects.thanks_alpha);
  glBindTexture(GL_TEXTURE_2D, thanks_texture);
  choose_filter(thanks_texture, 2 * picture_half_width, 2 * picture_half_height, thanks_distance);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 1.0f, -4.0f);
  draw_picture_quad();
  glPopMatrix();
}

// The one layer that covers instead of adding.
void draw_fade() {
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.0f, 0.0f, 0.0f, effects.fade_alpha);
  glBindTexture(GL_TEXTURE_2D, 0);
  draw_quad(screen_half, screen_half, 0.0f, nullptr);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

bool is_flash_stage(int stage) {
  return stage == 1 || stage == 3 || stage == 5 || stage == 7;
}

// With blending by source alpha, a layer of alpha 0 (or below, clamped to 0) leaves every pixel as
// it was: it is not drawn at all.
bool shows(float alpha) {
  return alpha > 0.0f;
}

}  // namespace

void draw_frame() {
  const int stage = effects.stage;
  pixels_per_unit = viewport_pixels_per_unit();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -15.0f);  // the scene centre, `scene_distance` in front of the eye

  if (stage >= 2 && shows(effects.background_alpha)) draw_background();
  if (stage >= 5 && shows(effects.web_alpha)) draw_web();
  draw_comet_scene();
  if (is_flash_stage(stage) && shows(effects.flash_alpha)) draw_flash();
  if (stage >= 3 && effects.logo_z < 1.0f) draw_logo();
  if (stage >= 7 && shows(effects.thanks_alpha)) draw_thanks();
  if (stage == 8 && shows(effects.fade_alpha)) draw_fade();
}
