// The dialog's frames, boxes and marks drawn with lines that grow with the desktop's scale: FLTK
// draws them a pixel wide at any size, which at three or four times the designed size reads as
// hairlines.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Round_Button.H>

// How wide the dialog's lines are at this scale: a pixel up to twice the designed size, as FLTK
// draws them, and the scale's own from two and a half times on.
int line_width(float scale);

// FLTK's engraved (group box) and sunken frames, each of their lines `line` pixels wide.
void draw_engraved_frame(int x, int y, int w, int h, int line);
void draw_sunken_frame(int x, int y, int w, int h, int line);
// How far the sunken frame reaches in.
int sunken_edge(int line);

// A picture in a sunken frame; the box is the picture's size plus the frame.
class PictureFrame : public Fl_Box {
 public:
  PictureFrame(int x, int y, Fl_Image& picture, int line);

 protected:
  void draw() override;

 private:
  int line_;
};

// Check and radio boxes whose outlines, marks, margin and gap to the label grow with the line.
class DialogCheckButton : public Fl_Check_Button {
 public:
  DialogCheckButton(int x, int y, int w, int h, const char* label, int line);

 protected:
  void draw() override;

 private:
  int line_;
};

class DialogRadioButton : public Fl_Round_Button {
 public:
  DialogRadioButton(int x, int y, int w, int h, const char* label, int line);

 protected:
  void draw() override;

 private:
  int line_;
};
