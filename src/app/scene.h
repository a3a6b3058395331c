// The one-time set-up of everything the show draws.
#pragma once

#include <cstdint>

extern std::uint32_t comet_texture;
extern std::uint32_t smoke_texture;
extern std::uint32_t logo_texture;
extern std::uint32_t logo2_texture;
extern std::uint32_t web_texture;
extern std::uint32_t thanks_texture;

// Loads the pictures, starts the music, sets the fixed OpenGL state and creates the comets.
// Needs the rendering context current. Always true.
bool set_up_scene();
