#include "platform/desktop/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/desktop/dialog_button.h"
#include "platform/desktop/fltk_display.h"
#include "platform/display_scale.h"

namespace {

// The box's measures at 96 dpi; a scaled desktop gets them all times its scale.
struct BoxLayout {
  int font_size = 12;  // as in the settings dialog
  int margin = 12;
  int icon_side = 40;
  int icon_font_size = 28;
  int text_gap = 12;  // between the icon and the text
  int button_width = 75;
  int button_height = 23;
  int button_gap = 8;
  int buttons_gap = 16;  // between the text and the buttons
};

BoxLayout layout_at(float scale) {
  BoxLayout layout;
  for (int* measure : {&layout.font_size, &layout.margin, &layout.icon_side, &layout.icon_font_size,
                       &layout.text_gap, &layout.button_width, &layout.button_height,
                       &layout.button_gap, &layout.buttons_gap}) {
    *measure = scaled(*measure, scale);
  }
  return layout;
}

struct IconLook {
  const char* label;
  Fl_Color background;
  Fl_Color mark;
};

IconLook icon_look(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::exclamation:
      return {"!", FL_YELLOW, FL_BLACK};
    case MessageIcon::stop:
      return {"X", FL_RED, FL_WHITE};
    case MessageIcon::question:
      return {"?", FL_WHITE, FL_BLUE};
    case MessageIcon::information:
      break;
  }
  return {"i", FL_WHITE, FL_BLUE};
}

// The text as a label: FLTK would draw "@..." as a symbol, and a last line break adds an empty
// line.
std::string label_text(const char* text) {
  std::string label;
  for (const char* c = text; *c != '\0'; ++c) {
    label += *c;
    if (*c == '@') label += '@';
  }
  while (!label.empty() && label.back() == '\n') label.pop_back();
  return label;
}

void on_yes(Fl_Widget*, void* answer) {
  *static_cast<std::optional<BoxAnswer>*>(answer) = BoxAnswer::yes;
}

// No, Escape and the close box.
void on_no(Fl_Widget*, void* answer) {
  *static_cast<std::optional<BoxAnswer>*>(answer) = BoxAnswer::no;
}

// Tab moves the focus between the buttons; Return or Space presses the focused one.
Fl_Button* add_button(const BoxLayout& layout, int x, int y, const char* label, bool is_default,
                      Fl_Callback* pressed, std::optional<BoxAnswer>& answer) {
  auto* button =
      new DialogButton(x, y, layout.button_width, layout.button_height, label, is_default);
  button->labelsize(layout.font_size);
  button->callback(pressed, &answer);
  return button;
}

// Keys already down when the box opened: Return held a moment after it started the show, or
// repeating. Their repeats and release belong to what came before, and would answer a box the
// player never saw; they are ignored until let go.
std::vector<int> held_keys;

void note_held_keys() {
  held_keys.clear();
  for (int key : {FL_Enter, FL_KP_Enter, int{' '}, FL_Escape, FL_Tab}) {
    if (Fl::get_key(key)) held_keys.push_back(key);
  }
}

// A held key let go while the box did not have the focus sent it no release: without this, the
// player's next press of that key would be taken for the old one and lost.
void forget_released_keys() {
  held_keys.erase(
      std::remove_if(held_keys.begin(), held_keys.end(), [](int key) { return !Fl::get_key(key); }),
      held_keys.end());
}

int ignore_held_keys(int event, Fl_Window* window) {
  if (event == FL_KEYBOARD || event == FL_SHORTCUT || event == FL_KEYUP) {
    const auto held = std::find(held_keys.begin(), held_keys.end(), Fl::event_key());
    if (held != held_keys.end()) {
      // X repeats a held key as release and press pairs: only a key really up is let go.
      if (event == FL_KEYUP && !Fl::get_key(*held)) held_keys.erase(held);
      return 1;
    }
  } else if (!held_keys.empty()) {
    forget_released_keys();  // the focus coming, before any key of the player's
  }
  return Fl::handle_(event, window);
}

}  // namespace

BoxAnswer run_message_box(const char* text, const char* caption, MessageIcon icon,
                          BoxButtons buttons) {
  if (quit_signalled() || !open_fltk_display()) return BoxAnswer::not_shown;

  const BoxLayout l = layout_at(desktop_scale());
  const std::string label = label_text(text);
  fl_font(FL_HELVETICA, l.font_size);
  int text_width = 0, text_height = 0;
  fl_measure(label.c_str(), text_width, text_height);
  const int button_count = buttons == BoxButtons::yes_no ? 2 : 1;
  const int buttons_width = button_count * l.button_width + (button_count - 1) * l.button_gap;
  const int content_height = std::max(l.icon_side, text_height);
  const int width = std::max(l.icon_side + l.text_gap + text_width, buttons_width) + 2 * l.margin;
  const int height = l.margin + content_height + l.buttons_gap + l.button_height + l.margin;

  std::optional<BoxAnswer> answer;
  Fl_Window window(width, height, caption);
  const IconLook look = icon_look(icon);
  auto* mark = new Fl_Box(FL_THIN_UP_BOX, l.margin, l.margin + (content_height - l.icon_side) / 2,
                          l.icon_side, l.icon_side, look.label);
  mark->color(look.background);
  mark->labelcolor(look.mark);
  mark->labelfont(FL_HELVETICA_BOLD);
  mark->labelsize(l.icon_font_size);
  auto* message =
      new Fl_Box(l.margin + l.icon_side + l.text_gap, l.margin + (content_height - text_height) / 2,
                 text_width, text_height);
  message->copy_label(label.c_str());
  message->labelsize(l.font_size);
  message->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);

  // OK or Yes has the focus first, so Return alone means Yes; Escape and the close box go to the
  // window.
  int button_x = (width - buttons_width) / 2;
  const int button_y = height - l.margin - l.button_height;
  Fl_Button* first = add_button(l, button_x, button_y, buttons == BoxButtons::yes_no ? "Yes" : "OK",
                                true, on_yes, answer);
  if (buttons == BoxButtons::yes_no) {
    button_x += l.button_width + l.button_gap;
    add_button(l, button_x, button_y, "No", false, on_no, answer);
  }
  window.end();
  window.callback(on_no, &answer);
  window.set_modal();

  note_held_keys();
  const Fl_Event_Dispatch before = Fl::event_dispatch();
  Fl::event_dispatch(ignore_held_keys);
  show_window(window);
  first->take_focus();
  // A quit signal closes the box as its close box would.
  while (!answer && !quit_signalled()) {
    Fl::wait(0.05);
    if (!held_keys.empty()) forget_released_keys();
  }
  Fl::event_dispatch(before);
  window.hide();
  sync_fltk_display();
  return answer.value_or(BoxAnswer::no);
}
