// Windows' audio drivers (WASAPI, DirectSound, winmm) talk to the system's own audio service; none
// needs asking before SDL tries it.
#include "platform/backend.h"

sound_detail::ServerCheck sound_detail::check_sound_server(const char*, std::string&) {
  return ServerCheck::ready;
}
