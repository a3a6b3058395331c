// A comet: a glowing head dragging the trail of its last positions, chasing another comet.
#pragma once

#include <cstdint>

#include "core/vector3.h"

constexpr int trail_length = 75;
constexpr int comet_slots = 10;
constexpr int max_live_comets = 9;

struct TexCoord {
  float s, t;
};
struct Rgba {
  float r, g, b, a;
};

// The picture once, upright: t = 1 is the top edge.
constexpr TexCoord picture_coords[4] = {{1, 1}, {0, 1}, {1, 0}, {0, 0}};

// The quad every sprite and layer is drawn as: half sizes w x h at depth z, one triangle strip in
// the winding that faces the viewer. `coords`, when given, go to the corners top right, top left,
// bottom right, bottom left; `vertex_colour`, when given, is set with the vertices.
void draw_quad(float w, float h, float z, const TexCoord* coords,
               const Rgba* vertex_colour = nullptr);

class Comet {
 public:
  Vector3 position;
  Vector3 velocity;
  Vector3 trail[trail_length];  // point 0 is the newest
  Vector3 target;
  float color[3];  // red, green, blue
  float alpha;     // may be negative: invisible until the fade-in lifts it above 0
  std::uint32_t texture;
  std::int32_t target_index;
  bool alive;
  bool jitter;

  void reset();
  void update();  // one motion step towards `target` and the origin
  // Head and trail sprites, facing the viewer from a scene turned `scene_angle` degrees about y.
  void draw(float scene_angle);
};

// The pool: slots 0 .. comet_count - 1 are the live comets.
extern Comet comets[comet_slots];
extern std::int32_t comet_count;

void reset_comets();
void create_comet(Vector3 position, Vector3 velocity, Vector3 target, const float (&color)[3],
                  std::uint32_t texture, bool jitter);
void update_comets();
void draw_comets(float scene_angle);
// The fixed OpenGL state the show draws everything in, the comets among it: additive blending,
// no depth test, texturing, culling; dithering left on or turned off; the 4:3 projection.
void set_show_gl_state(bool dither);
