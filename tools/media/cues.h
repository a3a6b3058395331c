// The three sound cues of the show, mono at 44100 Hz.
#pragma once

#include <string>

#include "synth.h"

// Peak level of every cue, about -6 dBFS: the show mixes a strike and two voices over the music.
constexpr double cue_peak = 0.5;

// A short punchy impact: a noise burst over a falling sine thump.
Signal make_strike();
// The word "Swirlbeam" over a rising and falling noise sweep; `scratch_file` as for speak().
Signal make_swirlbeam(const std::string& scratch_file);
// "Thanks for watching", with a short echo.
Signal make_thanks(const std::string& scratch_file);
