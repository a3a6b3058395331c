// FLTK widgets that behave the way a settings dialog's controls are expected to.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>

#include "platform/desktop/dialog_button.h"

// A drop-down list that Up and Down step through; with nothing selected either key takes the
// first entry. While it has the focus it takes typed characters for itself, picking entries by
// their first character, so the dialog's underlined letters need Alt there.
class ResolutionChoice : public Fl_Choice {
 public:
  using Fl_Choice::Fl_Choice;
  int handle(int event) override;

 protected:
  void draw() override;

 private:
  void pick(int entry);
};

// A frame round related controls, its caption written over the top line.
class GroupFrame : public Fl_Box {
 public:
  GroupFrame(int x, int y, int w, int h, const char* caption, int line)
      : Fl_Box(x, y, w, h, caption), line_(line) {}

 protected:
  void draw() override;

 private:
  int line_;  // the frame's lines, in pixels
};

// A dialog of fixed size that a window manager may still enlarge (full screen, maximised): its
// controls, held in one group, then stay whole in the middle.
class CentredDialog : public Fl_Double_Window {
 public:
  using Fl_Double_Window::Fl_Double_Window;
  void resize(int x, int y, int w, int h) override;
  void content(Fl_Group* group) { content_ = group; }

 private:
  Fl_Group* content_ = nullptr;
};
