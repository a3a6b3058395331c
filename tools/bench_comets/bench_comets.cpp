// How long drawing the show's three comets takes: the CPU time of issuing the calls, and the
// time until the software rasteriser has finished them too.
//   bench_comets [width height [frames]]
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "comets/comet.h"
#include "core/rng.h"
#include "platform/desktop/desktop.h"
#include "platform/window.h"

namespace {

double seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

// A soft round glow, brightest in the middle, like the show's sprite picture.
GLuint make_glow_texture() {
  constexpr int size = 64;
  std::vector<unsigned char> texels(size * size * 3);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double dx = (x + 0.5) / size * 2 - 1, dy = (y + 0.5) / size * 2 - 1;
      const double glow = std::max(0.0, 1.0 - std::sqrt(dx * dx + dy * dy));
      for (int c = 0; c < 3; ++c) texels[(y * size + x) * 3 + c] = (unsigned char)(255 * glow);
    }
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  return texture;
}

// Red, green and blue, jittered, opaque, their trails stretched out by a few hundred steps.
void create_three_moving_comets(GLuint texture) {
  reset_comets();
  rng_seed(20240601);
  float color[3] = {1.0f, 0.1f, 0.1f};
  for (int k = 0; k < 3; ++k) {
    Vector3 position, velocity, target;
    position.set(k * 4.0 - 4.0, k - 1.0, 2.0 - k);
    velocity.set(0.3, -0.2, 0.1 * k);
    create_comet(position, velocity, target.set(0, 0, 0), color, texture, true);
    color[k] = 0.1f;
    if (k < 2) color[k + 1] = 1.0f;
  }
  for (int step = 0; step < 300; ++step) update_comets();
}

void begin_frame(float scene_angle) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glTranslatef(0, 0, -15);
  glRotatef(scene_angle, 0, 1, 0);
}

struct Figures {
  double median, p10, p90;
};

Figures summarise(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  auto at = [&](double q) { return ms[static_cast<std::size_t>(q * (ms.size() - 1))]; };
  return {at(0.5), at(0.1), at(0.9)};
}

void print(const char* what, const Figures& f) {
  std::printf("  %-44s median %8.4f ms  p10 %8.4f  p90 %8.4f\n", what, f.median, f.p10, f.p90);
}

// Times `frames` draws twice: the calls alone, then until the rasteriser is done. Returns the
// median CPU time of the calls alone, in milliseconds.
double measure(int frames) {
  std::vector<double> issue_cpu, finished_cpu, finished_wall, process_cpu;
  for (int i = 0; i < frames; ++i) {
    const float scene_angle = float(i % 360);
    begin_frame(scene_angle);
    glFinish();
    const double t0 = seconds(CLOCK_THREAD_CPUTIME_ID);
    draw_comets(scene_angle);
    issue_cpu.push_back((seconds(CLOCK_THREAD_CPUTIME_ID) - t0) * 1e3);
    glFinish();
  }
  for (int i = 0; i < frames; ++i) {
    const float scene_angle = float(i % 360);
    begin_frame(scene_angle);
    glFinish();
    const double thread0 = seconds(CLOCK_THREAD_CPUTIME_ID);
    const double process0 = seconds(CLOCK_PROCESS_CPUTIME_ID);
    const double wall0 = seconds(CLOCK_MONOTONIC);
    draw_comets(scene_angle);
    glFinish();
    finished_cpu.push_back((seconds(CLOCK_THREAD_CPUTIME_ID) - thread0) * 1e3);
    process_cpu.push_back((seconds(CLOCK_PROCESS_CPUTIME_ID) - process0) * 1e3);
    finished_wall.push_back((seconds(CLOCK_MONOTONIC) - wall0) * 1e3);
  }
  const Figures issue = summarise(issue_cpu);
  print("CPU, calling thread, glFinish not timed", issue);
  print("CPU, calling thread, glFinish timed", summarise(finished_cpu));
  print("CPU, whole process (rasteriser threads too)", summarise(process_cpu));
  print("wall clock, glFinish timed", summarise(finished_wall));
  return issue.median;
}

}  // namespace

int main(int argc, char** argv) {
  const int width = argc >= 3 ? std::atoi(argv[1]) : 640;
  const int height = argc >= 3 ? std::atoi(argv[2]) : 480;
  const int frames = argc >= 4 ? std::atoi(argv[3]) : 500;
  if (frames < 1) return 1;
  // The show's own window, at 32 bits and unscaled, so the comets draw as in the show.
  const OpenedWindow window = open_window("bench_comets", width, height, 32, false, 1.0f);
  if (!window.ready) {
    std::fprintf(stderr, "bench_comets: no OpenGL window (run under xvfb-run): %s\n",
                 window.error != nullptr ? window.error : "");
    return 1;
  }
  set_show_gl_state(true);
  create_three_moving_comets(make_glow_texture());
  for (int i = 0; i < comet_count; ++i) comets[i].alpha = 1.0f;

  for (int i = 0; i < 20; ++i) {  // warm up the driver's caches and shader variants
    begin_frame(float(i));
    draw_comets(float(i));
    glFinish();
  }

  std::printf("draw_comets, %d comets x (1 head + %d trail sprites), %dx%d, %d frames each\n",
              comet_count, trail_length, width, height, frames);
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("with the C library's default heap trimming:\n");
  const double trimmed = measure(frames);
  keep_freed_memory();  // as the show does at start-up
  std::printf(
      "with heap trimming off, as the show runs (M_TRIM_THRESHOLD 256 MiB, M_TOP_PAD 64 MiB):\n");
  const double untrimmed = measure(frames);
  std::printf("CPU median, calling thread, against the 1 ms target: %.3f trimmed, %.3f untrimmed\n",
              trimmed / 1.0, untrimmed / 1.0);
  std::printf("trimmed / untrimmed: %.2f\n", trimmed / untrimmed);
  close_window();
  return 0;
}
