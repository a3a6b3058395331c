// The settings dialog's controls in template order, which is also the tab and drawing order,
// placed in dialog units as on the system the dialog was first drawn for.
#pragma once

constexpr const char* dialog_title = "Swirlbeam - Configuration";
constexpr int dialog_width_units = 202;
constexpr int dialog_height_units = 141;

// Control ids; controls that are never asked about carry no_id.
enum ControlId {
  no_id = -1,
  id_resolution = 1001,
  id_windowed = 1002,
  id_depth_16 = 1003,
  id_depth_24 = 1004,
  id_depth_32 = 1005,
  id_music = 1006,
  id_start = 1007,
  id_dither = 1008,
  id_exit = 1010,
};

enum class ControlKind {
  resolution_list,
  check_box,
  default_button,  // Enter presses it unless another push button has the focus
  push_button,
  notice,
  group_box,
  radio_button,  // the three form one set and are not tab stops
  picture,
};

struct DialogControl {
  int id;
  ControlKind kind;
  const char* caption;  // '&' marks the letter that picks the control
  int x, y, width, height;
};

constexpr int control_count = 16;
extern const DialogControl dialog_controls[control_count];

struct PixelRect {
  int x, y, width, height;
};

// Dialog units to pixels for the 12-pixel font: 1.5 px across, 1.625 px down per unit, times the
// desktop's scale. Edges are rounded, not sizes, so controls that touch in units touch in pixels.
PixelRect to_pixels(int x, int y, int width, int height, float scale = 1);
