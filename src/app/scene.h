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

// Its message when a picture cannot be loaded.
extern const char* const texture_load_failure;

// Loads the pictures, starts the music, sets the fixed OpenGL state and creates the comets.
// Needs the rendering context current. A picture that cannot be loaded ends the program.
void set_up_scene();
// After the GL context lost them (a page's WebGL can): the pictures again, under the same texture
// names, and the fixed OpenGL state; nothing else of the show changes. False when a picture
// cannot be loaded again.
bool restore_scene_gl();
