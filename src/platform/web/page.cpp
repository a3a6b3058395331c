#include "platform/web/page.h"

#include <emscripten.h>

namespace {

// clang-format off
EM_JS(void, js_show_message, (const char* text, const char* caption, int icon), {
  Module.page.showMessage(UTF8ToString(text), UTF8ToString(caption), icon);
});
EM_JS(void, js_ask, (const char* text, const char* caption), {
  Module.page.ask(UTF8ToString(text), UTF8ToString(caption));
});
EM_JS(void, js_playing, (int full_screen), { Module.page.playing(!!full_screen); });
EM_JS(void, js_return_to_form, (), { Module.page.returnToForm(); });
EM_JS(void, js_ended, (int code), { Module.page.ended(code); });
EM_JS(void, js_save_storage, (), { Module.page.saveStorage(); });
// clang-format on

}  // namespace

void page_show_message(const char* text, const char* caption, MessageIcon icon) {
  js_show_message(text, caption, static_cast<int>(icon));
}

void page_ask(const char* text, const char* caption) {
  js_ask(text, caption);
}

void page_playing(bool full_screen) {
  js_playing(full_screen);
}

void page_return_to_form() {
  js_return_to_form();
}

void page_ended(int exit_code) {
  js_ended(exit_code);
}

void page_save_storage() {
  js_save_storage();
}
