// What a started program's handling shares on every system.
#include "child_process.h"

bool ChildProcess::close_input() {
  if (input_ == nullptr) return true;
  const bool ok = std::fclose(input_) == 0;
  input_ = nullptr;
  return ok;
}

std::string ChildProcess::messages() {
  std::string text;
  if (messages_ == nullptr) return text;
  std::rewind(messages_);
  char chunk[512];
  std::size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, messages_)) > 0) text.append(chunk, n);
  return text;
}
