#include "ui/dialog_lines.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <cmath>
#include <string>

namespace {

// FLTK's frame patterns (grey letters, four sides to a round, each round a pixel further in),
// every round repeated so that each line is `line` pixels wide.
std::string widened(const std::string& rounds, int line) {
  std::string out;
  for (std::size_t round = 0; round < rounds.size(); round += 4) {
    for (int i = 0; i < line; ++i) out += rounds.substr(round, 4);
  }
  return out;
}

// A grey of fl_frame's letters, 'A' black to 'X' white.
Fl_Color grey(char letter, bool active) {
  const Fl_Color colour = fl_gray_ramp(letter - 'A');
  return active ? colour : fl_inactive(colour);
}

// Where a check or radio box sits in its button, and where the label starts.
struct MarkBox {
  int x, y, side, label_x;
};

MarkBox mark_box(const Fl_Button& button, int line) {
  const int side = button.labelsize();
  const int margin = Fl::box_dx(button.box()) + 2 * line;
  return {button.x() + margin, button.y() + (button.h() - side) / 2, side,
          margin + side + 2 * line};
}

Fl_Color mark_colour(const Fl_Button& button) {
  return button.active_r() ? button.selection_color() : fl_inactive(button.selection_color());
}

}  // namespace

int line_width(float scale) {
  return scale < 2.5f ? 1 : static_cast<int>(std::lround(scale));
}

void draw_engraved_frame(int x, int y, int w, int h, int line) {
  fl_frame(widened("HHWW", line).c_str(), x, y, w, h);
  fl_frame(widened("WWHH", line).c_str(), x + line, y + line, w - 2 * line, h - 2 * line);
}

void draw_sunken_frame(int x, int y, int w, int h, int line) {
  fl_frame2(widened("WWMMPPAA", line).c_str(), x, y, w, h);
}

int sunken_edge(int line) {
  return 2 * line;
}

// No label, not even an empty one: it would push the picture up by half a line.
PictureFrame::PictureFrame(int x, int y, Fl_Image& picture, int line)
    : Fl_Box(FL_NO_BOX, x, y, picture.w() + 2 * sunken_edge(line),
             picture.h() + 2 * sunken_edge(line), nullptr),
      line_(line) {
  image(picture);
}

void PictureFrame::draw() {
  draw_sunken_frame(x(), y(), w(), h(), line_);
  draw_label();
}

DialogCheckButton::DialogCheckButton(int x, int y, int w, int h, const char* label, int line)
    : Fl_Check_Button(x, y, w, h, label), line_(line) {}

void DialogCheckButton::draw() {
  if (line_ == 1) {
    Fl_Check_Button::draw();
    return;
  }
  const MarkBox b = mark_box(*this, line_);
  fl_color(active_r() ? FL_BACKGROUND2_COLOR : fl_inactive(FL_BACKGROUND2_COLOR));
  fl_rectf(b.x, b.y, b.side, b.side);
  draw_sunken_frame(b.x, b.y, b.side, b.side, line_);
  if (value()) {
    // FLTK's tick, three lines thick, each line as wide as the frame's.
    fl_color(mark_colour(*this));
    const int left = b.x + 3 * line_, width = b.side - 6 * line_;
    const int down = width / 3, up = width - down;
    const int top = b.y + (b.side + up) / 2 - down - 2 * line_;
    for (int n = 0; n < 3 * line_; ++n) {
      fl_line(left, top + n, left + down, top + down + n);
      fl_line(left + down, top + down + n, left + width - 1, top + down - up + 1 + n);
    }
  }
  draw_label(x() + b.label_x, y(), w() - b.label_x - Fl::box_dx(box()), h());
  if (Fl::focus() == this) draw_focus();
}

DialogRadioButton::DialogRadioButton(int x, int y, int w, int h, const char* label, int line)
    : Fl_Round_Button(x, y, w, h, label), line_(line) {}

void DialogRadioButton::draw() {
  if (line_ == 1) {
    Fl_Round_Button::draw();
    return;
  }
  const MarkBox b = mark_box(*this, line_);
  // Rings from the outside in, each a line wide: FLTK's two shades, lit from the upper left, the
  // black edge, then the field.
  const char upper_left[] = {'N', 'H'}, lower_right[] = {'U', 'W'};
  for (int ring = 0; ring < 2; ++ring) {
    const int in = ring * line_, side = b.side - 2 * in;
    fl_color(grey(upper_left[ring], active_r()));
    fl_pie(b.x + in, b.y + in, side, side, 45, 225);
    fl_color(grey(lower_right[ring], active_r()));
    fl_pie(b.x + in, b.y + in, side, side, 225, 405);
  }
  fl_color(grey('A', active_r()));
  fl_pie(b.x + 2 * line_, b.y + 2 * line_, b.side - 4 * line_, b.side - 4 * line_, 0, 360);
  fl_color(active_r() ? FL_BACKGROUND2_COLOR : fl_inactive(FL_BACKGROUND2_COLOR));
  fl_pie(b.x + 3 * line_, b.y + 3 * line_, b.side - 6 * line_, b.side - 6 * line_, 0, 360);
  if (value()) {
    int dot = (b.side - 6 * line_) / 2 + line_;
    if ((b.side - dot) & 1) ++dot;  // centred on whole pixels
    fl_color(mark_colour(*this));
    fl_pie(b.x + (b.side - dot) / 2, b.y + (b.side - dot) / 2, dot, dot, 0, 360);
  }
  draw_label(x() + b.label_x, y(), w() - b.label_x - Fl::box_dx(box()), h());
  if (Fl::focus() == this) draw_focus();
}
