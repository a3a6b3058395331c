#include <GL/gl.h>

#include "platform/window.h"

namespace {

ViewSize view;

}  // namespace

void resize_view(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  view = {width, height};
}

ViewSize current_view() {
  return view;
}
