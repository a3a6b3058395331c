#include "app/sound_handles.h"

#include "platform/sound.h"

Song* song;
Sample* strike_sample;
Sample* swirlbeam_sample;
Sample* thanks_sample;

namespace {

struct SampleFile {
  const char* name;
  Sample** handle;
};
const SampleFile sample_files[sample_file_count] = {{"strike.wav", &strike_sample},
                                                    {"swirlbeam.wav", &swirlbeam_sample},
                                                    {"thanks.wav", &thanks_sample}};

}  // namespace

bool load_sample_file(int index) {
  const SampleFile& file = sample_files[index];
  *file.handle = load_sample(file.name);
  return *file.handle != nullptr;
}
