// The show's music and samples, loaded at start-up and held for the whole run.
#pragma once

#include "app/media_files.h"

struct Song;
struct Sample;

extern Song* song;
extern Sample* strike_sample;
extern Sample* swirlbeam_sample;
extern Sample* thanks_sample;

// Loads sample_files[index] from the working folder into its handle; false when it cannot be
// loaded.
bool load_sample_file(int index);
