#pragma once

#include <cstdlib>

// Sets a variable of this process's environment where both the C library and SDL read it: on
// Windows, SDL_setenv changes only the system's copy, while SDL_getenv reads the C library's.
inline void set_env(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}
