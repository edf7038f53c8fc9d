// Base of the receivers of engine events: the engine calls its handlers on whatever thread the
// event arose, and the receivers (widgets, the scene) live on the GUI thread.
#pragma once

#include "Platform/QtGlue/FunctorExecutionForwarder.h"

#include <utility>

namespace Zentor {
namespace Glimra {

// Holds the forwarder to the thread the receiver was made on, which is the GUI thread. A class
// that derives from two bridges holds one forwarder per bridge.
template <typename T>
class EventHandlerUI : public virtual T {
 public:
  EventHandlerUI() = default;
  ~EventHandlerUI() override = default;

  EventHandlerUI(const EventHandlerUI&) = delete;
  EventHandlerUI& operator=(const EventHandlerUI&) = delete;

 protected:
  // Runs the call on the GUI thread, later; it must carry copies of everything it needs.
  void Forward(boost::function<void()> call) { forwarder_.Forward(std::move(call)); }

 private:
  Util::FunctorExecutionForwarder forwarder_;
};

}  // namespace Glimra
}  // namespace Zentor
