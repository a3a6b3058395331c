#include "comets/comet.h"
#include "core/rng.h"

// Static storage: every slot reads as not alive until the first reset.
Comet comets[comet_slots];
std::int32_t comet_count;

void Comet::reset() {
  position.set(0, 0, 0);
  velocity.set(0, 0, 0);
  for (Vector3& point : trail) point.set(0, 0, 0);
  target.set(0, 0, 0);
  color[0] = color[1] = color[2] = 1.0f;
  alpha = 1.0f;
  texture = 0;
  target_index = 0;
  alive = false;
  jitter = false;
}

void reset_comets() {
  comet_count = 0;
  for (Comet& comet : comets) comet.reset();
}

void create_comet(Vector3 position, Vector3 velocity, Vector3 target, const float (&color)[3],
                  std::uint32_t texture, bool jitter) {
  // With nine live comets the tenth slot is refilled, but never counted as live.
  Comet& comet = comets[comet_count];
  comet.reset();
  comet.position = position;
  comet.velocity = velocity;
  comet.target = target;
  comet.color[0] = color[0];
  comet.color[1] = color[1];
  comet.color[2] = color[2];
  comet.texture = texture;
  comet.jitter = jitter;
  comet.alive = true;
  for (Vector3& point : comet.trail) point = position;  // the whole trail folded onto the head

  comet_count = comet_count + 1 > max_live_comets ? max_live_comets : comet_count + 1;
  comet.target_index = rng_next() % comet_count;
}
