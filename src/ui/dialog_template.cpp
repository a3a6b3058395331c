#include "ui/dialog_template.h"

#include <cmath>

const DialogControl dialog_controls[control_count] = {
    // The list's height includes its dropped-down part.
    {id_resolution, ControlKind::resolution_list, nullptr, 106, 15, 84, 70},
    {id_windowed, ControlKind::check_box, "&Windowed", 105, 30, 85, 10},
    {id_music, ControlKind::check_box, "&Music", 10, 60, 70, 10},
    {id_start, ControlKind::default_button, "&Start!", 10, 80, 35, 15},
    {id_exit, ControlKind::push_button, "E&xit", 50, 80, 35, 15},
    {no_id, ControlKind::notice,
     "Swirlbeam \xE2\x80\x94 a real-time demo\nPick your settings, then press Start!", 10, 114, 175,
     16},
    {no_id, ControlKind::group_box, "Resolution", 100, 5, 95, 40},
    {no_id, ControlKind::group_box, "Color depth", 95, 50, 100, 55},
    {id_depth_16, ControlKind::radio_button, "&16 bpp", 100, 60, 45, 10},
    {id_depth_24, ControlKind::radio_button, "&24 bpp", 100, 75, 90, 10},
    {id_depth_32, ControlKind::radio_button, "&32 bpp", 100, 90, 90, 10},
    {no_id, ControlKind::group_box, nullptr, 5, 70, 85, 35},    // frames Start! and Exit
    {no_id, ControlKind::group_box, nullptr, 5, 50, 85, 25},    // frames Music
    {no_id, ControlKind::picture, nullptr, 5, 5, 85, 39},       // sized by its picture
    {no_id, ControlKind::group_box, nullptr, 5, 105, 190, 30},  // frames the notice
    {id_dither, ControlKind::check_box, "&Dither", 145, 60, 45, 10},
};

namespace {

int across(int units, float scale) {
  return static_cast<int>(std::lround(units * 1.5 * scale));
}
int down(int units, float scale) {
  return static_cast<int>(std::lround(units * 1.625 * scale));
}

}  // namespace

PixelRect to_pixels(int x, int y, int width, int height, float scale) {
  return {across(x, scale), down(y, scale), across(x + width, scale) - across(x, scale),
          down(y + height, scale) - down(y, scale)};
}
