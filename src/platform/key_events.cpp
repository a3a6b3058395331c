#include "platform/key_events.h"

#include "app/keys.h"
#include "platform/virtual_keys.h"

namespace {

bool went_down_this_pump[key_count];
bool release_next_pump[key_count];

}  // namespace

void apply_deferred_releases() {
  for (int code = 0; code < key_count; ++code) {
    if (release_next_pump[code]) keys[code] = false;
    release_next_pump[code] = false;
    went_down_this_pump[code] = false;
  }
}

void record_key(const SDL_KeyboardEvent& key) {
  const int code = virtual_key_code(key.keysym.sym);
  if (code < 0) return;
  if (key.type == SDL_KEYDOWN) {
    if ((key.keysym.mod & KMOD_ALT) != 0) return;  // Alt combinations are system keys
    keys[code] = true;
    went_down_this_pump[code] = true;
    release_next_pump[code] = false;
  } else if (went_down_this_pump[code]) {
    release_next_pump[code] = true;
  } else {
    keys[code] = false;
  }
}
