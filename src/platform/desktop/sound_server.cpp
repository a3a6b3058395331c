// The sound servers of a Linux desktop, asked before SDL is let at them. SDL 2.26's PulseAudio
// driver copies the server's default output's name without looking, and crashes where there is
// none: on a machine whose only output was pulled, or whose devices come up after the server. A
// server that hangs would hold SDL's connection, and so the show, for good. So PulseAudio is asked
// first, with its own library and a time limit.
#include <alsa/asoundlib.h>
#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstring>
#include <string>

#include "platform/backend.h"

namespace {

using Clock = std::chrono::steady_clock;
using sound_detail::ServerCheck;

// A server on this machine answers within milliseconds; one that is starting may take longer.
constexpr auto answer_time = std::chrono::milliseconds(400);

struct Answer {
  bool given = false;
  bool has_output = false;
};

void on_server_info(pa_context*, const pa_server_info* info, void* data) {
  auto* answer = static_cast<Answer*>(data);
  answer->has_output =
      info != nullptr && info->default_sink_name != nullptr && *info->default_sink_name != '\0';
  answer->given = true;
}

// Runs the loop until `done` or the deadline; false at the deadline.
template <typename Done>
bool run_until(pa_mainloop* loop, Clock::time_point deadline, Done done) {
  while (!done()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    if (pa_mainloop_prepare(loop, static_cast<int>(left)) < 0 || pa_mainloop_poll(loop) < 0 ||
        pa_mainloop_dispatch(loop) < 0) {
      return false;
    }
  }
  return true;
}

ServerCheck ask_pulseaudio(pa_mainloop* loop, pa_context* context, std::string& why) {
  const auto deadline = Clock::now() + answer_time;
  // As SDL connects: to the configured server, never starting one.
  if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    return ServerCheck::absent;
  }
  pa_context_state_t state = PA_CONTEXT_UNCONNECTED;
  const bool settled = run_until(loop, deadline, [&] {
    state = pa_context_get_state(context);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
  });
  if (settled && state != PA_CONTEXT_READY) {
    // No socket, or nobody behind it: SDL finds no server either and tries its next driver.
    const int error = pa_context_errno(context);
    if (error == PA_ERR_CONNECTIONREFUSED || error == PA_ERR_INVALIDSERVER) {
      return ServerCheck::absent;
    }
    why = std::string("PulseAudio: ") + pa_strerror(error);
    return ServerCheck::refused;
  }
  Answer answer;
  if (settled) {
    pa_operation* asked = pa_context_get_server_info(context, on_server_info, &answer);
    if (asked != nullptr) {
      run_until(loop, deadline, [&] { return answer.given; });
      pa_operation_unref(asked);
    }
  }
  if (!answer.given) {
    why = "PulseAudio: the sound server does not answer";
    return ServerCheck::refused;
  }
  if (!answer.has_output) {
    why = "PulseAudio: the sound server has no output device";
    return ServerCheck::refused;
  }
  return ServerCheck::ready;
}

// ALSA's library prints several lines of its own for each output it fails to open; one line
// says why instead.
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

ServerCheck sound_detail::check_sound_server(const char* driver, std::string& why) {
  snd_lib_error_set_handler(quiet_alsa);
  if (std::strcmp(driver, "pulseaudio") != 0) return ServerCheck::ready;
  pa_mainloop* loop = pa_mainloop_new();
  if (loop == nullptr) return ServerCheck::absent;
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Swirlbeam");
  ServerCheck check = ServerCheck::absent;
  if (context != nullptr) {
    check = ask_pulseaudio(loop, context, why);
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
  pa_mainloop_free(loop);
  return check;
}
