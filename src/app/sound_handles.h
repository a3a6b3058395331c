// The show's music and samples, loaded at start-up and held for the whole run.
#pragma once

struct Song;
struct Sample;

extern Song* song;
extern Sample* strike_sample;
extern Sample* swirlbeam_sample;
extern Sample* thanks_sample;

// strike.wav, swirlbeam.wav, thanks.wav in that order, from the working folder; false at the
// first that cannot be loaded.
bool load_samples();
