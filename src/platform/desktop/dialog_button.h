// The push button of the settings dialog and of the message boxes, with a dialog's Enter rules.
#pragma once

#include <FL/Fl_Button.H>

// A push button that Enter presses while it has the focus. The default button also takes Enter
// when the focus is on a control that is not a push button, and is drawn with a dark outline then.
class DialogButton : public Fl_Button {
 public:
  DialogButton(int x, int y, int w, int h, const char* label, bool is_default);
  int handle(int event) override;

 protected:
  void draw() override;

 private:
  bool takes_enter() const;
  bool is_default_;
};
