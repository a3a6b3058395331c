// When each stage ends, and entering the stages as the clock passes those times.
#pragma once

#include <array>

using StageTimeline = std::array<float, 9>;

// Entry k: milliseconds after start_time at which stage k ends and stage k + 1 begins.
constexpr StageTimeline stage_timeline = {50000.0f,  70000.0f,  90000.0f,  125000.0f, 135000.0f,
                                          150000.0f, 156000.0f, 165000.0f, 168500.0f};
constexpr int last_stage = 9;

extern float start_time;

// Enters the next stage and plays its cue when `now` has reached its time; at most one stage a
// call. Returns true when it entered one.
bool advance_stage(float now, float start);
