#include "png_queue.h"

namespace {

constexpr std::size_t max_waiting = 4;  // frames held in memory at most

}  // namespace

PngQueue::PngQueue() : worker_([this] { work(); }) {}

PngQueue::~PngQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

bool PngQueue::add(std::string path, RgbImage image) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return jobs_.size() < max_waiting || !error_.empty(); });
  if (!error_.empty()) return false;
  jobs_.push_back({std::move(path), std::move(image)});
  changed_.notify_all();
  return true;
}

bool PngQueue::finish(std::string& error) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return (jobs_.empty() && !busy_) || !error_.empty(); });
  error = error_;
  return error_.empty();
}

void PngQueue::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !jobs_.empty() || closing_; });
    if (jobs_.empty()) return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    std::string error;
    const bool ok = write_png(job.path, job.image, error);
    lock.lock();
    busy_ = false;
    if (!ok && error_.empty()) {
      error_ = error;
      jobs_.clear();
    }
    changed_.notify_all();
  }
}
