#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/window.h"

namespace {

ViewSize view;

}  // namespace

void resize_view(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  view = {width, height};
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(90.0, static_cast<double>(4.0f / 3.0f), static_cast<double>(0.1f), 200.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

ViewSize current_view() {
  return view;
}
