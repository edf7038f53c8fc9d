// A few threads kept for the length of one fill: its many short parallel steps then cost a wake-up
// each instead of starting and joining threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
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
  // True while a Run is under way: a task that asks for parallel work gets none of the pool's.
  bool Running() const { return running_; }

  // Runs task(i) once for every i in [0, tasks), on the helpers and the calling thread, and
  // returns when all have run. Which thread runs which i is left to chance.
  template <class Task>
  void Run(int tasks, const Task& task) {
    Start(tasks, [](const void* t, int i) { (*static_cast<const Task*>(t))(i); }, &task);
    Work();
    Finish();
  }

 private:
  void Start(int tasks, void (*call)(const void*, int), const void* task);
  void Work();
  void Finish();
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::vector<std::thread> workers_;
  void (*call_)(const void*, int) = nullptr;
  const void* task_ = nullptr;
  int tasks_ = 0;
  std::atomic<int> next_{0};
  unsigned generation_ = 0;
  unsigned busy_ = 0;
  bool stop_ = false;
  bool running_ = false;
};

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
