// A scratch file for targets whose code under test reads from a path.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// One file per fuzzing process, in memory where the system offers it, removed at exit.
inline const std::string& scratch_path(const char* name) {
  struct Scratch {
    std::string path;
    ~Scratch() { ::unlink(path.c_str()); }
  };
  static const Scratch scratch{[name] {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/swirlbeam-fuzz-" + name + "-" + std::to_string(::getpid());
  }()};
  return scratch.path;
}

inline void write_scratch(const std::string& path, const unsigned char* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}
