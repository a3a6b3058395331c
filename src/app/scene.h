// The one-time set-up of everything the show draws.
#pragma once

#include <cstdint>

extern std::uint32_t comet_texture;
extern std::uint32_t smoke_texture;
extern std::uint32_t logo_texture;
extern std::uint32_t logo2_texture;
extern std::uint32_t web_texture;
extern std::uint32_t thanks_texture;

// The calendar time in whole seconds, taken to 32 bits: a new show every second.
std::uint32_t calendar_seed();
// Where the set-up takes its seed; tools that must repeat a show replace it.
extern std::uint32_t (*scene_seed)();

// Loads the pictures, starts the music, sets the fixed OpenGL state and creates the comets.
// Needs the rendering context current. Always true.
bool set_up_scene();
