// Lists of event handlers: publishers derive from EventHandlerList and deliver events synchronously.
#pragma once

#include <algorithm>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace Zentor {
namespace Core {

template <class H>
class EventPublisher {
 public:
  virtual void RegisterEventHandler(H* handler) = 0;
  virtual void UnregisterEventHandler(H* handler) = 0;
  virtual ~EventPublisher() = default;
};

// Runs each call at once on the publishing thread.
struct SyncExecutePolicy {
  template <class F>
  static void Execute(F&& call) {
    std::forward<F>(call)();
  }
};

// Handlers are not owned. A delivery works on a snapshot of the list, so handlers may register or
// unregister (themselves included) while being called; the change applies from the next delivery.
// Deliveries are serialised; both locks are recursive so a handler may publish again.
template <class H, class Policy = SyncExecutePolicy>
class EventHandlerList : public virtual EventPublisher<H> {
 public:
  EventHandlerList() = default;
  EventHandlerList(const EventHandlerList&) = delete;
  EventHandlerList& operator=(const EventHandlerList&) = delete;
  ~EventHandlerList() override = default;

  // A handler already present keeps its place.
  void RegisterEventHandler(H* handler) override {
    std::lock_guard<std::recursive_mutex> lock(listLock_);
    if (std::find(handlers_.begin(), handlers_.end(), handler) == handlers_.end()) handlers_.push_back(handler);
  }

  void UnregisterEventHandler(H* handler) override {
    std::lock_guard<std::recursive_mutex> lock(listLock_);
    auto it = std::find(handlers_.begin(), handlers_.end(), handler);
    if (it != handlers_.end()) handlers_.erase(it);
  }

  // Calls f(handler, args...) for every handler in registration order: f may be a callable taking
  // H* or a member function pointer of H. A throwing handler ends the delivery and the exception
  // reaches the caller.
  template <class F, class... Args>
  void PerformForEachEventHandler(F&& f, Args&&... args) {
    std::vector<H*> snapshot;
    {
      std::lock_guard<std::recursive_mutex> lock(listLock_);
      snapshot = handlers_;
    }
    std::lock_guard<std::recursive_mutex> delivery(deliveryLock_);
    for (H* handler : snapshot) {
      Policy::Execute([&] { std::invoke(f, handler, args...); });
    }
  }

 private:
  std::vector<H*> handlers_;
  std::recursive_mutex listLock_;
  std::recursive_mutex deliveryLock_;
};

}  // namespace Core
}  // namespace Zentor
