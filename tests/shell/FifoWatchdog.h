// Lets go of a reader that waits on a FIFO: if the object still lives after a few seconds, it
// opens the FIFO's writing end once, which ends the waiting open with an empty read.
#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

class FifoWatchdog {
 public:
  explicit FifoWatchdog(const QString& fifo) : path_(QFile::encodeName(fifo)) {
    // Polls a flag instead of a timed condition wait, which ThreadSanitizer misreads here.
    watcher_ = std::thread([this] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (!finished_.load()) {
        if (std::chrono::steady_clock::now() >= deadline) {
          fired_ = true;
          const int writer = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
          if (writer >= 0) ::close(writer);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
  }
  ~FifoWatchdog() { Stop(); }

  // True when the reader had to be let go.
  bool Stop() {
    finished_ = true;
    if (watcher_.joinable()) watcher_.join();
    return fired_;
  }

 private:
  QByteArray path_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> fired_{false};
  std::thread watcher_;
};
