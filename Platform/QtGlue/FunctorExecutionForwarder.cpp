#include "Platform/QtGlue/FunctorExecutionForwarder.h"

#include <QPointer>

#include <boost/exception/diagnostic_information.hpp>
#include <glog/logging.h>

#include <utility>

namespace Zentor {
namespace Util {

FunctorExecutionForwarder::FunctorExecutionForwarder(QObject* parent) : QObject(parent) {}

// Destroying the QObject removes its posted run, and the queue goes with the object.
FunctorExecutionForwarder::~FunctorExecutionForwarder() = default;

void FunctorExecutionForwarder::Forward(boost::function<void()> functor) {
  if (functor.empty()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(std::move(functor));
    if (scheduled_) return;
    scheduled_ = true;
  }
  // Posted to this object, so the run is dropped with it; queued even on the owner's thread,
  // because the engine calls its handlers while it is in the middle of an operation. Invoked by
  // name: the posted call is then Qt's own, with no slot object shared between the threads whose
  // release the thread checker cannot follow.
  QMetaObject::invokeMethod(this, "RunPending", Qt::QueuedConnection);
}

void FunctorExecutionForwarder::RunPending() {
  // One functor at a time: a functor may open a nested event loop (a modal alert), and the ones
  // behind it must still wait for it to finish, so the order holds.
  const QPointer<FunctorExecutionForwarder> alive(this);
  for (;;) {
    boost::function<void()> functor;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (pending_.empty()) {
        scheduled_ = false;
        return;
      }
      functor = std::move(pending_.front());
      pending_.pop_front();
    }
    // Nothing may cross the event loop: a receiver's failure is logged and the queue goes on.
    try {
      functor();
    } catch (...) {
      LOG(ERROR) << "Forwarded call failed: " << boost::current_exception_diagnostic_information();
    }
    // The functor may have destroyed its receiver and with it this forwarder.
    if (!alive) return;
  }
}

}  // namespace Util
}  // namespace Zentor
