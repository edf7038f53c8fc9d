// Lets go of a reader that waits on a FIFO: if the object still lives after a few seconds, it
// opens the FIFO's writing end once, which ends the waiting open with an empty read.
#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class FifoWatchdog {
 public:
  explicit FifoWatchdog(const QString& fifo) : path_(QFile::encodeName(fifo)) {
    watcher_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (done_.wait_for(lock, std::chrono::seconds(5), [this] { return finished_; })) return;
      fired_ = true;
      const int writer = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
    });
  }
  ~FifoWatchdog() { Stop(); }

  // True when the reader had to be let go.
  bool Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    if (watcher_.joinable()) watcher_.join();
    return fired_;
  }

 private:
  QByteArray path_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  bool fired_ = false;
  std::thread watcher_;
};
