#include <GL/gl.h>
#include <GL/glu.h>

#include "comets/comet.h"
#include "core/rng.h"
#include "platform/backend.h"

namespace {

constexpr float head_half_size = 4.0f;
constexpr float trail_half_size = 1.0f;
constexpr float head_spin_factor = 359.0f / rng_max;  // a float, like every random range
constexpr double trail_alpha_step = 1.0 / 74.0;       // point 74 of a fully opaque comet is clear
constexpr float jitter_factor = 0.8f / rng_max;  // a float constant, as the show has always used
constexpr double jitter_offset = 0.4;

// Mesa's software rasteriser makes a colour set before glBegin a constant of its fragment program,
// and copies a block of state for each new one; given with the vertices, flat-shaded so that every
// pixel stays the same, it costs nothing (a fifth of a frame at 320 x 240).
bool colour_with_vertices = false;

// A square facing +z.
void draw_sprite(float h, const Rgba& c) {
  if (!colour_with_vertices) glColor4f(c.r, c.g, c.b, c.a);
  draw_quad(h, h, 0.0f, picture_coords, colour_with_vertices ? &c : nullptr);
}

// Undoes the scene's turn about y, so the sprite at `at` lies parallel to the screen.
void face_viewer_at(const Vector3& at, float scene_angle) {
  glTranslatef(at.x, at.y, at.z);
  glRotatef(-scene_angle, 0, 1, 0);
}

float jitter_scale(int roll) {
  return static_cast<float>(roll * double(jitter_factor) - jitter_offset + 1.0);
}

}  // namespace

void Comet::draw(float scene_angle) {
  const auto spin = static_cast<float>(rng_next() * double(head_spin_factor));
  glBindTexture(GL_TEXTURE_2D, texture);  // for the trail too
  // A sprite of alpha 0 or below changes no pixel and is not drawn; its numbers still are.
  if (alpha > 0.0f) {
    glPushMatrix();
    face_viewer_at(position, scene_angle);
    glRotatef(spin, 0, 0, 1);
    // Doubled, so the head glows brighter than its trail; GL clamps each component to 1.
    draw_sprite(head_half_size,
                {static_cast<float>(color[0] * 2.0), static_cast<float>(color[1] * 2.0),
                 static_cast<float>(color[2] * 2.0), alpha});
    glPopMatrix();
  }

  for (int i = 0; i < trail_length; ++i) {
    int a = 0, b = 0;
    if (jitter) {
      a = rng_next();
      b = rng_next();
    }
    const auto point_alpha = static_cast<float>(alpha - i * trail_alpha_step);
    if (point_alpha <= 0.0f) continue;
    glPushMatrix();
    face_viewer_at(trail[i], scene_angle);
    if (jitter) glScalef(jitter_scale(b), jitter_scale(a), 1.0f);
    draw_sprite(trail_half_size, {color[0], color[1], color[2], point_alpha});
    glPopMatrix();
  }
}

void draw_comets(float scene_angle) {
  colour_with_vertices = vertex_colours_exact();
  if (colour_with_vertices) glShadeModel(GL_FLAT);
  for (int i = 0; i < comet_count; ++i) {
    if (comets[i].alive) comets[i].draw(scene_angle);
  }
  if (colour_with_vertices) glShadeModel(GL_SMOOTH);
}

void draw_quad(float w, float h, float z, const TexCoord* coords, const Rgba* vertex_colour) {
  const float corners[4][2] = {{w, h}, {-w, h}, {w, -h}, {-w, -h}};
  glBegin(GL_TRIANGLE_STRIP);
  if (vertex_colour != nullptr) {
    glColor4f(vertex_colour->r, vertex_colour->g, vertex_colour->b, vertex_colour->a);
  }
  for (int i = 0; i < 4; ++i) {
    if (coords != nullptr) glTexCoord2f(coords[i].s, coords[i].t);
    glVertex3f(corners[i][0], corners[i][1], z);
  }
  glEnd();
}

void set_show_gl_state(bool dither) {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClearDepth(1.0);
  glDisable(GL_DEPTH_TEST);  // drawing order alone decides the layering
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // additive
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  if (!dither) glDisable(GL_DITHER);
  // A 90-degree view of 4:3 whatever the drawable's shape: a wider window stretches the show.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(90.0, static_cast<double>(4.0f / 3.0f), static_cast<double>(0.1f), 200.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
