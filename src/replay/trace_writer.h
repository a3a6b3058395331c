// The show's state after each written frame, one JSON object a line.
#pragma once

#include <cstdio>
#include <string>

// {"frame":n,"stage":s,"rng":R,"effects":{...},"comets":[...]}, from the show's globals now;
// floats with 9 significant digits, enough to give back every 32-bit float exactly.
std::string trace_line(int frame);

class TraceWriter {
 public:
  TraceWriter() = default;
  ~TraceWriter();
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  bool open(const std::string& path, std::string& error);
  bool write(int frame);
  // Flushes and closes; false when anything written was lost.
  bool close(std::string& error);

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};
