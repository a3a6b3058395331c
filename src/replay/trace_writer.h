// The show's state after each written frame, one JSON object a line.
#pragma once

#include <cstdio>
#include <string>

// {"frame":n,"stage":s,"rng":R,"effects":{...},"comets":[...]}, from the show's globals now;
// floats with 9 significant digits, enough to give back every 32-bit float exactly. Given a
// `step`, the frame is a display frame and "step":k after it names the show frame it shows.
std::string trace_line(int frame, int step = -1);

class TraceWriter {
 public:
  TraceWriter() = default;
  ~TraceWriter();
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  bool open(const std::string& path, std::string& error);
  bool write(int frame, int step = -1);
  // Flushes and closes; false when anything written was lost.
  bool close(std::string& error);

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};
