// Where the build leaves the show's media, and what the set holds.
#pragma once

#include <string>
#include <vector>

inline std::string built_media(const std::string& name) {
  return std::string(SWIRLBEAM_BUILD_DIR) + "/media/" + name;
}

inline const std::vector<std::string> media_set = {
    "texture.jpg", "smoke.jpg",     "logo.jpg",   "logo2.jpg", "web.jpg",   "thanks.jpg",
    "strike.wav",  "swirlbeam.wav", "thanks.wav", "music.dat", "config.dat"};
