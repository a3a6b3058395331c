#include "app/sound_handles.h"

Song* song;
Sample* strike_sample;
Sample* swirlbeam_sample;
Sample* thanks_sample;
