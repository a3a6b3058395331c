// The show's music and samples, loaded at start-up and held for the whole run.
#pragma once

struct Song;
struct Sample;

extern Song* song;
extern Sample* strike_sample;
extern Sample* swirlbeam_sample;
extern Sample* thanks_sample;

// The samples' files, from the working folder: strike.wav, swirlbeam.wav, thanks.wav, loaded
// in that order. Loads the one at `index` into its handle; false when it cannot be loaded.
constexpr int sample_file_count = 3;
bool load_sample_file(int index);
