#include "ui/settings_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>

#include <cstdio>
#include <memory>
#include <optional>

#include "comet_swirl.xpm"
#include "core/settings.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/fltk_display.h"
#include "platform/display_scale.h"
#include "ui/dialog_lines.h"
#include "ui/dialog_model.h"
#include "ui/dialog_template.h"
#include "ui/dialog_widgets.h"

bool dialog_cancelled = false;

namespace {

// At 96 dpi; everything grows with the desktop's scale.
constexpr int font_size = 12;
constexpr int closed_list_height = 22;  // the list's field; its template height is the open list

// The controls that hold the user's choices, and how the dialog ended once it has.
struct DialogView {
  ResolutionChoice* resolution = nullptr;
  Fl_Button* windowed = nullptr;
  Fl_Button* music = nullptr;
  Fl_Button* dither = nullptr;
  Fl_Button* depth[depth_count] = {};
  const char* notice = nullptr;  // in place of the template's greeting
  Fl_Box* foot = nullptr;        // where the notice or the greeting stands
  const char* greeting = nullptr;
  bool music_heard = false;
  std::optional<DialogEnd> end;
};

DialogView& view_of(Fl_Widget* widget) {
  Fl_Window* window = widget->as_window() != nullptr ? widget->as_window() : widget->window();
  return *static_cast<DialogView*>(window->user_data());
}

// The foot: what the Music box changes first, else the notice, else the greeting.
void show_foot(DialogView& view) {
  const char* change = music_change_notice(view.music_heard, view.music->value() != 0);
  const char* text = change != nullptr        ? change
                     : view.notice != nullptr ? view.notice
                                              : view.greeting;
  if (view.foot->label() == text) return;
  view.foot->label(text);
  view.foot->window()->redraw();  // the old words go with the background under them
}

// Every control reports here with its id; only the two push buttons end the dialog.
void on_command(Fl_Widget* widget, long id) {
  if (id == id_start) view_of(widget).end = DialogEnd::start;
  if (id == id_exit) view_of(widget).end = DialogEnd::exit;
  if (id == id_music) show_foot(view_of(widget));
}

// The close box or a window manager's close request. Escape arrives here too and is ignored.
void on_close(Fl_Widget* window, void*) {
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  view_of(window).end = DialogEnd::close;
}

Fl_Widget* make_control(const DialogControl& c, DialogView& view, Fl_Image& picture, float scale) {
  const PixelRect r = to_pixels(c.x, c.y, c.width, c.height, scale);
  const int line = line_width(scale);
  switch (c.kind) {
    case ControlKind::resolution_list: {
      auto* list = new ResolutionChoice(r.x, r.y, r.width, scaled(closed_list_height, scale));
      for (const Resolution& entry : resolutions) list->add(entry.text, 0, nullptr, nullptr, 0);
      view.resolution = list;
      return list;
    }
    case ControlKind::check_box: {
      auto* box = new DialogCheckButton(r.x, r.y, r.width, r.height, c.caption, line);
      if (c.id == id_windowed) view.windowed = box;
      if (c.id == id_music) view.music = box;
      if (c.id == id_dither) view.dither = box;
      return box;
    }
    case ControlKind::default_button:
    case ControlKind::push_button:
      return new DialogButton(r.x, r.y, r.width, r.height, c.caption,
                              c.kind == ControlKind::default_button);
    case ControlKind::notice: {
      auto* text = new Fl_Box(r.x, r.y, r.width, r.height, c.caption);
      text->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
      view.foot = text;
      view.greeting = c.caption;
      return text;
    }
    case ControlKind::group_box:
      return new GroupFrame(r.x, r.y, r.width, r.height, c.caption, line);
    case ControlKind::radio_button: {
      auto* radio = new DialogRadioButton(r.x, r.y, r.width, r.height, c.caption, line);
      radio->type(FL_RADIO_BUTTON);  // exclusive among the window's radio buttons
      radio->clear_visible_focus();  // picked by its letter or the mouse, not by Tab
      view.depth[c.id - id_depth_16] = radio;
      return radio;
    }
    case ControlKind::picture: {
      // Sized to the picture plus its sunken edge, as a picture control sizes itself.
      return new PictureFrame(r.x, r.y, picture, line);
    }
  }
  return nullptr;
}

void show_state(const DialogView& view, const DialogState& state) {
  view.windowed->value(state.windowed);
  view.music->value(state.music);
  view.dither->value(state.dither);
  view.resolution->value(state.resolution);
  for (int i = 0; i < depth_count; ++i) view.depth[i]->value(state.depth[i]);
}

DialogState read_state(const DialogView& view) {
  DialogState state;
  state.resolution = view.resolution->value();
  state.windowed = view.windowed->value() != 0;
  state.music = view.music->value() != 0;
  state.dither = view.dither->value() != 0;
  for (int i = 0; i < depth_count; ++i) state.depth[i] = view.depth[i]->value() != 0;
  return state;
}

// The picture at the desktop's scale, smoothed, as the desktop would enlarge it; at 96 dpi the
// picture itself, pixel for pixel.
std::unique_ptr<Fl_Image> scaled_picture(float scale) {
  auto picture = std::make_unique<Fl_Pixmap>(comet_swirl_xpm);
  if (scale == 1) return picture;
  Fl_RGB_Image colours(picture.get());
  Fl_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
  return std::unique_ptr<Fl_Image>(
      colours.copy(scaled(picture->w(), scale), scaled(picture->h(), scale)));
}

// Shows the dialog until it ends; SIGINT or SIGTERM on the way counts as Exit.
DialogEnd run_dialog(const DialogState& initial, const char* notice, bool music_heard,
                     DialogState& final_state) {
  const float scale = desktop_scale();
  FL_NORMAL_SIZE = scaled(font_size, scale);
  const std::unique_ptr<Fl_Image> picture = scaled_picture(scale);
  const PixelRect size = to_pixels(0, 0, dialog_width_units, dialog_height_units, scale);
  DialogView view;
  view.notice = notice;
  view.music_heard = music_heard;
  CentredDialog window(size.width, size.height, dialog_title);
  auto* content = new Fl_Group(0, 0, size.width, size.height);
  for (const DialogControl& control : dialog_controls) {
    make_control(control, view, *picture, scale)->callback(on_command, control.id);
  }
  content->end();
  window.content(content);
  window.end();
  window.callback(on_close, &view);
  window.set_modal();
  show_state(view, initial);
  show_foot(view);

  show_window(window);
  view.resolution->take_focus();
  while (!view.end && !quit_signalled()) Fl::wait(0.1);
  final_state = read_state(view);
  window.hide();
  return view.end.value_or(DialogEnd::exit);
}

}  // namespace

void run_settings_dialog(const char* notice, bool music_heard) {
  if (!open_fltk_display()) {
    std::fprintf(stderr,
                 "swirlbeam: no display for the settings dialog, starting with %s as it is\n",
                 settings_file_name);
    return;
  }

  const DialogState initial = fill_dialog(settings);
  DialogState final_state = initial;
  const DialogEnd end = run_dialog(initial, notice, music_heard, final_state);
  // Take the dialog off the screen now: the show's window comes from another connection.
  sync_fltk_display();
  dialog_cancelled = end_dialog(end, final_state, settings);
}
