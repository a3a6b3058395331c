#include "comets/comet.h"
#include "core/rng.h"

namespace {

constexpr int new_target_roll = 15;  // rng_next() % 50 == 15: about one step in 50
constexpr int kick_roll = 25;        // rng_next() % 50 == 25: about one step in 50
constexpr int roll_sides = 50;
constexpr float kick_factor = 0.4f / rng_max;  // a float constant, as the show has always used
constexpr double kick_offset = 0.2;
constexpr double pull = 0.01;
constexpr float speed_limit = 0.4f;
constexpr double fade_in_step = 0.001;

// velocity += pull * direction / |direction|, then the speed limit. `direction` must not be zero.
void pull_along(Vector3& velocity, const Vector3& direction) {
  const double length = direction.length();
  velocity.set(velocity.x + pull * direction.x / length, velocity.y + pull * direction.y / length,
               velocity.z + pull * direction.z / length);
  if (velocity.length() > speed_limit) scale_to_length(velocity, speed_limit);
}

bool differs_in_every_coordinate(const Vector3& a, const Vector3& b) {
  return a.x != b.x && a.y != b.y && a.z != b.z;
}

}  // namespace

void Comet::update() {
  if (rng_next() % roll_sides == kick_roll) {
    const int kick_x = rng_next();
    const int kick_y = rng_next();
    const int kick_z = rng_next();
    velocity.set(velocity.x + (kick_x * double(kick_factor) - kick_offset),
                 velocity.y + (kick_y * double(kick_factor) - kick_offset),
                 velocity.z + (kick_z * double(kick_factor) - kick_offset));
  }

  // A shared coordinate (a comet chasing itself, say) skips the pull, and with it a zero length.
  if (differs_in_every_coordinate(position, target)) {
    Vector3 to_target;
    to_target.set(double(target.x) - position.x, double(target.y) - position.y,
                  double(target.z) - position.z);
    pull_along(velocity, to_target);
  }

  Vector3 to_origin;
  to_origin.set(-position.x, -position.y, -position.z);
  // Exactly at the origin there is no direction to pull along; the comet coasts on instead of
  // turning its velocity into NaNs.
  if (to_origin.x != 0 || to_origin.y != 0 || to_origin.z != 0) pull_along(velocity, to_origin);

  Vector3 moved;
  moved.set(double(position.x) + velocity.x, double(position.y) + velocity.y,
            double(position.z) + velocity.z);
  for (int i = trail_length - 1; i > 0; --i) trail[i] = trail[i - 1];
  trail[0] = position;
  position = moved;
}

void update_comets() {
  for (int i = 0; i < comet_count; ++i) {
    Comet& comet = comets[i];
    if (!comet.alive) continue;
    if (rng_next() % roll_sides == new_target_roll) comet.target_index = rng_next() % comet_count;
    comet.target = comets[comet.target_index].position;
    comet.update();
    const double faded_in = comet.alpha + fade_in_step;
    comet.alpha = faded_in > 1.0 ? 1.0f : static_cast<float>(faded_in);
  }
}
