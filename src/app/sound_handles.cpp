#include "app/sound_handles.h"

#include "platform/sound.h"

Song* song;
Sample* strike_sample;
Sample* swirlbeam_sample;
Sample* thanks_sample;

bool load_samples() {
  strike_sample = load_sample("strike.wav");
  if (strike_sample == nullptr) return false;
  swirlbeam_sample = load_sample("swirlbeam.wav");
  if (swirlbeam_sample == nullptr) return false;
  thanks_sample = load_sample("thanks.wav");
  return thanks_sample != nullptr;
}
