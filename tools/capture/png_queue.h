// PNG files written on a thread of their own, so that compressing one frame overlaps drawing
// the next.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "png_writer.h"

class PngQueue {
 public:
  PngQueue();
  ~PngQueue();  // finishes what is queued
  PngQueue(const PngQueue&) = delete;
  PngQueue& operator=(const PngQueue&) = delete;

  // Waits while a few pictures are still waiting. False once any write has failed.
  bool add(std::string path, RgbImage image);
  // Waits until everything queued is written; false with the first failure in `error`.
  bool finish(std::string& error);

 private:
  struct Job {
    std::string path;
    RgbImage image;
  };
  void work();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool closing_ = false;
  std::string error_;
  std::thread worker_;
};
