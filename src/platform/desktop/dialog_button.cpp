#include "platform/desktop/dialog_button.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace {

bool is_enter(int key) {
  return key == FL_Enter || key == FL_KP_Enter;
}

}  // namespace

DialogButton::DialogButton(int x, int y, int w, int h, const char* label, bool is_default)
    : Fl_Button(x, y, w, h, label), is_default_(is_default) {}

bool DialogButton::takes_enter() const {
  if (Fl::focus() == this) return true;
  return is_default_ && dynamic_cast<DialogButton*>(Fl::focus()) == nullptr;
}

int DialogButton::handle(int event) {
  const bool enter = (event == FL_KEYBOARD || event == FL_SHORTCUT) && is_enter(Fl::event_key());
  if (enter && takes_enter()) {
    simulate_key_action();
    do_callback();
    return 1;
  }
  if ((event == FL_FOCUS || event == FL_UNFOCUS) && window() != nullptr) {
    window()->redraw();  // the default outline follows the focus between push buttons
  }
  return Fl_Button::handle(event);
}

void DialogButton::draw() {
  Fl_Button::draw();
  if (takes_enter()) {
    fl_color(FL_BLACK);
    fl_rect(x(), y(), w(), h());
  }
}
