// A few threads kept for the length of one fill: its many short parallel steps then cost a wake-up
// each instead of starting and joining threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

class WorkerPool {
 public:
  // Up to threads - 1 helpers beside the caller; fewer when the system gives no more.
  explicit WorkerPool(unsigned threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  unsigned Threads() const { return static_cast<unsigned>(workers_.size()) + 1; }
  // True while a Run is under way: a task that asks for parallel work gets none.
  bool Running() const { return running_; }

  // The pool of the fill under way on the calling thread, if any: set for as long as an Active
  // lives, and back to the one before when it ends.
  static WorkerPool* Current() { return current_; }
  class Active {
   public:
    explicit Active(WorkerPool& pool) : before_(current_) { current_ = &pool; }
    ~Active() { current_ = before_; }
    Active(const Active&) = delete;
    Active& operator=(const Active&) = delete;

   private:
    WorkerPool* const before_;
  };

  // Runs task(i) once for every i in [0, tasks), on the helpers and the calling thread, and
  // returns when all have run. Which thread runs which i is left to chance; a helper that wakes
  // late is not waited for once the others have run all the tasks.
  template <class Task>
  void Run(int tasks, const Task& task) {
    using Call = void (*)(const void*, int);
    const Call call = [](const void* t, int i) { (*static_cast<const Task*>(t))(i); };
    Work(Start(tasks, call, &task), call, &task, tasks);
    Finish();
  }

 private:
  unsigned Start(int tasks, void (*call)(const void*, int), const void* task);
  void Work(unsigned generation, void (*call)(const void*, int), const void* task, int tasks);
  void Finish();
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::vector<std::thread> workers_;
  void (*call_)(const void*, int) = nullptr;
  const void* task_ = nullptr;
  int tasks_ = 0;
  unsigned generation_ = 0;
  // The run's generation (high half) and its next task (low half): a helper still looking for work
  // of an earlier run takes none of this one's.
  std::atomic<uint64_t> claim_{0};
  std::atomic<int> left_{0};  // tasks of the run not finished yet
  bool stop_ = false;
  bool running_ = false;
  static thread_local WorkerPool* current_;
};

// Runs task(i) for i in [0, tasks) on up to `threads` threads (the caller's among them): those of
// the pool under way, else threads started for it.
template <class Task>
void ParallelFor(int tasks, unsigned threads, const Task& task) {
  threads = std::min<unsigned>(threads, static_cast<unsigned>(std::max(1, tasks)));
  if (threads <= 1) {
    for (int i = 0; i < tasks; ++i) task(i);
    return;
  }
  if (WorkerPool* pool = WorkerPool::Current()) {
    // Within one of the pool's tasks the pool's threads are taken: more would only crowd them.
    if (pool->Running()) {
      for (int i = 0; i < tasks; ++i) task(i);
    } else {
      pool->Run(tasks, task);
    }
    return;
  }
  std::atomic<int> next{0};
  auto work = [&] {
    for (int i; (i = next.fetch_add(1, std::memory_order_relaxed)) < tasks;) task(i);
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  try {
    for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had: the tasks left run on those there are.
  }
  work();
  for (std::thread& t : helpers) t.join();
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
