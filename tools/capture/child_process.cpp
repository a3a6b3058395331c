// What a started program's handling shares on every system.
#include "child_process.h"

std::string ChildProcess::messages() {
  std::string text;
  if (messages_ == nullptr) return text;
  std::rewind(messages_);
  char chunk[512];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, messages_)) > 0) text.append(chunk, n);
  return text;
}
