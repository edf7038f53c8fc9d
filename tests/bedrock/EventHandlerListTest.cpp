#include "Core/Interfaces/EventHandlerList.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct IHandler {
  virtual ~IHandler() = default;
  virtual void OnEvent(int value) = 0;
};

class Publisher : public Zentor::Core::EventHandlerList<IHandler> {
 public:
  void Publish(int value) { PerformForEachEventHandler(&IHandler::OnEvent, value); }
  template <class F>
  void PublishWith(F f) {
    PerformForEachEventHandler(f);
  }
};

struct Recorder : IHandler {
  Recorder(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
  void OnEvent(int value) override {
    log.push_back(name + std::to_string(value));
    if (action) action();
  }
  std::vector<std::string>& log;
  std::string name;
  std::function<void()> action;
};

}  // namespace

TEST(EventHandlerList, OrderDuplicatesAndUnregister) {
  std::vector<std::string> log;
  Publisher pub;
  pub.Publish(0);  // nobody listening
  Recorder a(log, "a"), b(log, "b"), c(log, "c");
  pub.RegisterEventHandler(&a);
  pub.RegisterEventHandler(&b);
  pub.RegisterEventHandler(&c);
  pub.RegisterEventHandler(&a);  // ignored, a keeps its place
  pub.Publish(1);
  EXPECT_EQ(log, (std::vector<std::string>{"a1", "b1", "c1"}));

  Recorder stranger(log, "x");
  pub.UnregisterEventHandler(&stranger);
  pub.UnregisterEventHandler(&b);
  log.clear();
  pub.PublishWith([](IHandler* h) { h->OnEvent(2); });
  EXPECT_EQ(log, (std::vector<std::string>{"a2", "c2"}));
}

TEST(EventHandlerList, ChangesDuringDeliveryApplyFromTheNext) {
  std::vector<std::string> log;
  Publisher pub;
  Recorder a(log, "a"), b(log, "b"), c(log, "c"), late(log, "late");
  a.action = [&] { pub.UnregisterEventHandler(&a); };
  b.action = [&] { pub.RegisterEventHandler(&late); };
  pub.RegisterEventHandler(&a);
  pub.RegisterEventHandler(&b);
  pub.RegisterEventHandler(&c);
  pub.Publish(1);
  EXPECT_EQ(log, (std::vector<std::string>{"a1", "b1", "c1"}));
  log.clear();
  pub.Publish(2);
  EXPECT_EQ(log, (std::vector<std::string>{"b2", "c2", "late2"}));
}

TEST(EventHandlerList, ThrowingHandlerStopsOnlyThatDelivery) {
  std::vector<std::string> log;
  Publisher pub;
  Recorder a(log, "a"), b(log, "b"), c(log, "c");
  bool fail = true;
  b.action = [&] {
    if (fail) throw std::runtime_error("handler failed");
  };
  pub.RegisterEventHandler(&a);
  pub.RegisterEventHandler(&b);
  pub.RegisterEventHandler(&c);
  EXPECT_THROW(pub.Publish(1), std::runtime_error);
  EXPECT_EQ(log, (std::vector<std::string>{"a1", "b1"}));
  fail = false;
  log.clear();
  pub.Publish(2);
  EXPECT_EQ(log, (std::vector<std::string>{"a2", "b2", "c2"}));
}

TEST(EventHandlerList, HandlerMayPublishAgainAndThreadsMayRegister) {
  std::vector<std::string> log;
  Publisher pub;
  Recorder a(log, "a");
  a.action = [&] {
    if (log.size() == 1) pub.Publish(9);  // nested delivery on the same thread
  };
  pub.RegisterEventHandler(&a);
  pub.Publish(1);
  EXPECT_EQ(log, (std::vector<std::string>{"a1", "a9"}));

  // Registrations from other threads while this one publishes.
  struct Counter : IHandler {
    void OnEvent(int) override { ++count; }
    int count = 0;
  };
  std::vector<Counter> counters(8);
  pub.UnregisterEventHandler(&a);
  std::vector<std::thread> threads;
  for (auto& counter : counters)
    threads.emplace_back([&pub, &counter] {
      pub.RegisterEventHandler(&counter);
      pub.Publish(0);
    });
  for (auto& t : threads) t.join();
  pub.Publish(0);
  for (const auto& counter : counters) EXPECT_GE(counter.count, 2);
}
