#include "Platform/Effects/WorkerPool.h"

#include <system_error>

namespace Zentor {
namespace Proc {
namespace Effects {

thread_local WorkerPool* WorkerPool::current_ = nullptr;

WorkerPool::WorkerPool(unsigned threads) {
  if (threads > 1) workers_.reserve(threads - 1);
  try {
    for (unsigned t = 1; t < threads; ++t) workers_.emplace_back([this] { Loop(); });
  } catch (const std::system_error&) {
    // No more threads to be had: the work runs on those there are.
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

void WorkerPool::Start(int tasks, void (*call)(const void*, int), const void* task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    call_ = call;
    task_ = task;
    tasks_ = tasks;
    next_.store(0, std::memory_order_relaxed);
    busy_ = static_cast<unsigned>(workers_.size());
    ++generation_;
    running_ = true;
  }
  wake_.notify_all();
}

void WorkerPool::Work() {
  for (int i; (i = next_.fetch_add(1, std::memory_order_relaxed)) < tasks_;) call_(task_, i);
}

void WorkerPool::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return busy_ == 0; });
  running_ = false;
}

void WorkerPool::Loop() {
  unsigned seen = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
    if (stop_) return;
    seen = generation_;
    lock.unlock();
    Work();
    lock.lock();
    if (--busy_ == 0) done_.notify_one();
  }
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
