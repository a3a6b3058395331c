#include "app/media_files.h"

const char* const picture_files[picture_file_count] = {"texture.jpg", "smoke.jpg", "logo.jpg",
                                                       "logo2.jpg",   "web.jpg",   "thanks.jpg"};
const char* const music_file = "music.dat";
const char* const sample_files[sample_file_count] = {"strike.wav", "swirlbeam.wav", "thanks.wav"};
const char* const media_files[media_file_count] = {
    picture_files[0], picture_files[1], picture_files[2], picture_files[3], picture_files[4],
    picture_files[5], music_file,       sample_files[0],  sample_files[1],  sample_files[2]};
