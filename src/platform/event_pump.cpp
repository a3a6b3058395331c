#include "platform/event_pump.h"

#include "platform/virtual_keys.h"

namespace {

bool went_down_this_pump[key_count];
bool release_next_pump[key_count];

void apply_deferred_releases(bool (&keys)[key_count]) {
  for (int code = 0; code < key_count; ++code) {
    if (release_next_pump[code]) keys[code] = false;
    release_next_pump[code] = false;
    went_down_this_pump[code] = false;
  }
}

void record_key(bool (&keys)[key_count], const SDL_KeyboardEvent& key) {
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

}  // namespace

void pump_events(bool (&keys)[key_count], void (*on_window_event)(const SDL_WindowEvent&),
                 bool& quit) {
  apply_deferred_releases(keys);
  SDL_Event event;
  while (!quit && SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_QUIT:
        quit = true;
        break;
      case SDL_WINDOWEVENT:
        on_window_event(event.window);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        record_key(keys, event.key);
        break;
      default:
        break;
    }
  }
}
