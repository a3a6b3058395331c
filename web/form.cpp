#include "form.h"

#include <emscripten.h>

#include "ui/dialog_model.h"

namespace {

// clang-format off
EM_JS(void, js_show_form, (int resolution, int windowed, int music, int dither, int d16, int d24,
                           int d32), {
  Module.page.showForm({resolution: resolution, windowed: !!windowed, music: !!music,
                        dither: !!dither, depth: [!!d16, !!d24, !!d32]});
});
// clang-format on

}  // namespace

void page_show_form(const DialogState& s) {
  js_show_form(s.resolution, s.windowed, s.music, s.dither, s.depth[0], s.depth[1], s.depth[2]);
}
