#include "app/timeline.h"

#include "app/effects.h"

float start_time;

bool advance_stage(float now, float start) {
  if (effects.stage >= last_stage) return false;
  const double due = static_cast<double>(start) + stage_timeline[effects.stage];
  if (now < due) return false;
  ++effects.stage;
  play_stage_cue(effects.stage);
  return true;
}
