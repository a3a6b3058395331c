#include "replay/show_clock.h"

#include <cmath>

#include "app/effects.h"
#include "app/timeline.h"

float virtual_now(int frame) {
  return static_cast<float>(static_cast<double>(frame) * frame_ms_whole);
}

int first_frame_of_stage(int stage) {
  return static_cast<int>(std::ceil(stage_timeline[stage - 1] / double(frame_ms_whole)));
}

int show_frame_count() {
  return first_frame_of_stage(last_stage) + 1;
}

bool step_show(int frame) {
  const bool entered = advance_stage(virtual_now(frame), 0.0f);
  update_effects(effects.stage);
  return entered && effects.stage == last_stage;
}
