#include "app/sound_handles.h"

#include "platform/sound.h"

Song* song;
Sample* strike_sample;
Sample* swirlbeam_sample;
Sample* thanks_sample;

namespace {

Sample** const sample_handles[sample_file_count] = {&strike_sample, &swirlbeam_sample,
                                                    &thanks_sample};

}  // namespace

bool load_sample_file(int index) {
  *sample_handles[index] = load_sample(sample_files[index]);
  return *sample_handles[index] != nullptr;
}
