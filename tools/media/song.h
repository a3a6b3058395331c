// The show's music: an XM module of our own, composed along the show's stages.
#pragma once

#include <vector>

#include "xm_writer.h"

// Stage times of the show, in seconds, at which the music changes section.
constexpr double intro_start = 0, break_start = 50, build_start = 70, theme_start = 90,
                 lift_start = 135, ending_start = 156, silence_start = 168.5;

xm::Module compose_song();
