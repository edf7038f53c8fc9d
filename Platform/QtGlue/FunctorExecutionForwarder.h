// Runs functors on the thread that owns the forwarder (the GUI thread for every receiver of
// engine events), whatever thread hands them over.
#pragma once

#include <QObject>

#include <boost/function.hpp>

#include <deque>
#include <mutex>

namespace Zentor {
namespace Util {

class FunctorExecutionForwarder : public QObject {
  Q_OBJECT

 public:
  explicit FunctorExecutionForwarder(QObject* parent = nullptr);
  ~FunctorExecutionForwarder() override;

  // Queues the functor and returns at once, from any thread. It runs once, on the owner's thread,
  // from its event loop, after every functor forwarded before it; it never runs inside Forward,
  // not even when the owner's thread calls. Functors still queued when the forwarder is destroyed
  // never run.
  void Forward(boost::function<void()> functor);

 private:
  Q_INVOKABLE void RunPending();

  std::mutex mutex_;
  std::deque<boost::function<void()>> pending_;
  // A run is posted and has not yet emptied the queue.
  bool scheduled_ = false;
};

}  // namespace Util
}  // namespace Zentor
