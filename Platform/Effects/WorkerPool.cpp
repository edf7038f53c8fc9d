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

unsigned WorkerPool::Start(int tasks, void (*call)(const void*, int), const void* task) {
  unsigned generation;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    call_ = call;
    task_ = task;
    tasks_ = tasks;
    generation = ++generation_;
    left_.store(tasks, std::memory_order_relaxed);
    claim_.store(uint64_t(generation) << 32, std::memory_order_relaxed);
    running_ = true;
  }
  wake_.notify_all();
  return generation;
}

void WorkerPool::Work(unsigned generation, void (*call)(const void*, int), const void* task, int tasks) {
  for (;;) {
    uint64_t claim = claim_.load(std::memory_order_relaxed);
    do {
      if (claim >> 32 != generation || int(uint32_t(claim)) >= tasks) return;
    } while (!claim_.compare_exchange_weak(claim, claim + 1, std::memory_order_relaxed));
    call(task, int(uint32_t(claim)));
    if (left_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      // Under the lock, so that the caller cannot miss the call between its look and its wait.
      { std::lock_guard<std::mutex> lock(mutex_); }
      done_.notify_one();
    }
  }
}

void WorkerPool::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return left_.load(std::memory_order_acquire) == 0; });
  running_ = false;
}

void WorkerPool::Loop() {
  unsigned seen = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
    if (stop_) return;
    seen = generation_;
    void (*const call)(const void*, int) = call_;
    const void* const task = task_;
    const int tasks = tasks_;
    lock.unlock();
    Work(seen, call, task, tasks);
    lock.lock();
  }
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
