// The files the show reads from its folder, each named here once (the page's scripts keep a copy,
// which a test compares with these): its six pictures, its music and its three sounds.
#pragma once

constexpr int picture_file_count = 6;
constexpr int sample_file_count = 3;
constexpr int media_file_count = picture_file_count + 1 + sample_file_count;

// texture.jpg, smoke.jpg, logo.jpg, logo2.jpg, web.jpg, thanks.jpg: in the order they load.
extern const char* const picture_files[picture_file_count];
extern const char* const music_file;
// strike.wav, swirlbeam.wav, thanks.wav: in the order they load.
extern const char* const sample_files[sample_file_count];
// All ten: the pictures, the music, then the sounds.
extern const char* const media_files[media_file_count];
