#include "ui/dialog_widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <vector>

#include "ui/dialog_lines.h"
#include "ui/dialog_model.h"

namespace {

bool plain_key() {
  return (Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META)) == 0;
}

// A printable character typed without Ctrl, Alt or Meta; Space still opens the list.
bool typed_character() {
  if (Fl::event_state() & (FL_CTRL | FL_ALT | FL_META) || Fl::event_length() == 0) return false;
  const auto first = static_cast<unsigned char>(Fl::event_text()[0]);
  return first > ' ' && first != 0x7F;
}

}  // namespace

void ResolutionChoice::pick(int entry) {
  if (entry == value()) return;
  value(entry);
  set_changed();
  do_callback();
}

int ResolutionChoice::handle(int event) {
  if (event != FL_KEYBOARD || Fl::focus() != this) return Fl_Choice::handle(event);
  const int count = size() - 1;  // size() counts the menu's end marker
  const int key = Fl::event_key();
  if ((key == FL_Up || key == FL_Down) && plain_key()) {
    if (count > 0) {
      const int step = key == FL_Down ? 1 : -1;
      pick(value() < 0 ? 0 : std::clamp(value() + step, 0, count - 1));
    }
    return 1;
  }
  if (typed_character()) {
    std::vector<const char*> entries;
    for (int i = 0; i < count; ++i) entries.push_back(text(i));
    pick(next_entry_starting_with(entries.data(), count, value(), Fl::event_text()[0]));
    return 1;  // taken even when no entry begins with it, as a drop-down list does
  }
  return Fl_Choice::handle(event);
}

// FLTK draws the arrow's button square up to 20 px and no wider, which on a scaled desktop leaves
// a thin strip beside a tall field: there it stays square, drawn as FLTK draws it.
void ResolutionChoice::draw() {
  Fl_Choice::draw();
  const int dx = Fl::box_dx(FL_DOWN_BOX), dy = Fl::box_dy(FL_DOWN_BOX);
  const int side = h() - 2 * dy;
  if (side <= 20) return;
  const int left = x() + w() - side - dx, top = y() + dy;
  draw_box(FL_UP_BOX, left, top, side, side, color());
  const int arrow = std::max(1, (side - 4) / 3);
  const int ax = left + (side - 2 * arrow - 1) / 2, ay = top + (side - arrow - 1) / 2;
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  fl_polygon(ax, ay, ax + arrow, ay + arrow, ax + 2 * arrow, ay);
}

void CentredDialog::resize(int x, int y, int w, int h) {
  Fl_Double_Window::resize(x, y, w, h);
  if (content_ != nullptr) {
    content_->position(std::max(0, (w - content_->w()) / 2), std::max(0, (h - content_->h()) / 2));
  }
}

// As a group box of a Windows dialog, the top line sits half a line down, caption or not. The
// caption's gaps follow the font, which follows the desktop's scale (6 and 2 px at 12 px).
void GroupFrame::draw() {
  const char* caption = label();
  fl_font(labelfont(), labelsize());
  const int half_line = fl_height() / 2;
  draw_engraved_frame(x(), y() + half_line, w(), h() - half_line, line_);
  if (caption == nullptr) return;
  const int left = x() + labelsize() / 2;
  const int gap = labelsize() / 6;
  const int text_width = static_cast<int>(fl_width(caption));
  fl_color(color());
  fl_rectf(left, y(), text_width + 2 * gap, fl_height());
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  fl_draw(caption, left + gap, y() + fl_height() - fl_descent());
}
