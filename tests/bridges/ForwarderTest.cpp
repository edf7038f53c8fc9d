#include "support/ProgramTestSupport.h"

#include "Engine/CoreEventHandlerUI.h"
#include "Engine/DrawerEventHandlerUI.h"
#include "Engine/StatisticsEventHandlerUI.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/QtGlue/FunctorExecutionForwarder.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

using Zentor::Util::FunctorExecutionForwarder;

namespace {

bool OnGuiThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

}  // namespace

TEST(ForwarderTest, RunsEveryCallOnTheGuiThreadInOrderPerCaller) {
  FunctorExecutionForwarder forwarder;
  constexpr int THREADS = 4;
  constexpr int CALLS = 500;
  std::vector<std::vector<int>> seen(THREADS);  // touched only on the GUI thread
  int offGui = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < CALLS; ++i) {
        forwarder.Forward([&seen, &offGui, t, i] {
          offGui += !OnGuiThread();
          seen[t].push_back(i);
        });
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  ASSERT_TRUE(TestSupport::WaitFor([&] {
    for (const auto& calls : seen) {
      if (calls.size() < CALLS) return false;
    }
    return true;
  }));
  TestSupport::Drain();
  EXPECT_EQ(0, offGui);
  for (const auto& calls : seen) {
    ASSERT_EQ(size_t(CALLS), calls.size());
    for (int i = 0; i < CALLS; ++i) ASSERT_EQ(i, calls[i]);
  }
}

TEST(ForwarderTest, NeverRunsInsideForwardAndSurvivesAFailingCall) {
  FunctorExecutionForwarder forwarder;
  std::vector<int> order;
  forwarder.Forward([&] {
    order.push_back(1);
    // A call made while one runs waits for its turn, even on the GUI thread.
    forwarder.Forward([&] { order.push_back(3); });
    order.push_back(2);
    throw std::runtime_error("receiver failed");
  });
  forwarder.Forward([&] { order.push_back(4); });
  EXPECT_TRUE(order.empty());
  TestSupport::Drain();
  EXPECT_EQ((std::vector<int>{1, 2, 4, 3}), order);
}

TEST(ForwarderTest, CallsPendingWhenTheForwarderGoesNeverRun) {
  auto ran = std::make_shared<int>(0);
  auto forwarder = std::make_unique<FunctorExecutionForwarder>();
  forwarder->Forward([ran] { ++*ran; });
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) forwarder->Forward([ran] { ++*ran; });
  });
  worker.join();
  forwarder.reset();
  TestSupport::Drain();
  EXPECT_EQ(0, *ran);
}

namespace {

using Zentor::Glimra::IStatisticsEventHandler;

// A receiver of all three bridges, as the main window and the statistics handler are together.
class Receiver : public Zentor::Glimra::CoreEventHandlerUI,
                 public Zentor::Glimra::DrawerEventHandlerUI,
                 public Zentor::Glimra::StatisticsEventHandlerUI {
 public:
  void ThrowInternal(boost::exception_ptr error) override {
    EXPECT_TRUE(OnGuiThread());
    errors.push_back(error);
  }
  void HandleEventChangeToSaveInternal(bool changed) override { changes.push_back(changed); }
  void TrackEventStringInternal(const std::string& name, const StringParameters& parameters) override {
    strings.emplace_back(name, parameters);
  }
  void TrackEventIntInternal(const std::string& name, const IntParameters& parameters) override {
    EXPECT_TRUE(OnGuiThread());
    ints.emplace_back(name, parameters);
  }
  void TrackExceptionInternal(const std::string& a, const std::string& b, const std::string& c) override {
    exceptions.push_back({a, b, c});
  }

  std::vector<boost::exception_ptr> errors;
  std::vector<bool> changes;
  std::vector<std::pair<std::string, StringParameters>> strings;
  std::vector<std::pair<std::string, IntParameters>> ints;
  std::vector<std::vector<std::string>> exceptions;
};

}  // namespace

TEST(BridgesTest, ArgumentsArriveAsTheyWereAtTheTimeOfTheCall) {
  Receiver receiver;
  std::string name = "SAVE";
  IStatisticsEventHandler::StringParameters parameters{{"OUTPUT_FORMAT", "png"}};
  receiver.TrackEventString(name, parameters);
  name = "changed";
  parameters["OUTPUT_FORMAT"] = "tiff";
  parameters["extra"] = "x";
  std::thread worker([&] {
    IStatisticsEventHandler::IntParameters local{{"SIZE_UOM", 3}};
    receiver.TrackEventInt("RESIZE", local);
    receiver.TrackException("a", "b", "c");
  });  // the worker's map is gone before the call runs
  worker.join();
  {
    boost::exception_ptr error = boost::copy_exception(
        Zentor::Glimra::GlimraException() << Zentor::TagDescription("engine failure"));
    receiver.Throw(error);
  }  // the engine's own pointer is dropped
  receiver.HandleEventChangeToSave(true);
  receiver.HandleEvent();  // not overridden here: nothing happens
  EXPECT_TRUE(receiver.strings.empty());

  TestSupport::Drain();
  ASSERT_EQ(1u, receiver.strings.size());
  EXPECT_EQ("SAVE", receiver.strings[0].first);
  EXPECT_EQ((IStatisticsEventHandler::StringParameters{{"OUTPUT_FORMAT", "png"}}), receiver.strings[0].second);
  ASSERT_EQ(1u, receiver.ints.size());
  EXPECT_EQ((IStatisticsEventHandler::IntParameters{{"SIZE_UOM", 3}}), receiver.ints[0].second);
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"a", "b", "c"}}), receiver.exceptions);
  EXPECT_EQ(std::vector<bool>{true}, receiver.changes);
  ASSERT_EQ(1u, receiver.errors.size());
  try {
    boost::rethrow_exception(receiver.errors[0]);
  } catch (const Zentor::Glimra::GlimraException& e) {
    ASSERT_NE(nullptr, boost::get_error_info<Zentor::TagDescription>(e));
    EXPECT_EQ("engine failure", *boost::get_error_info<Zentor::TagDescription>(e));
  }
}

TEST(BridgesTest, EventsPendingForADeletedReceiverAreDropped) {
  auto receiver = std::make_unique<Receiver>();
  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) {
      receiver->HandleEventChangeToSave(true);
      receiver->Throw(boost::copy_exception(std::runtime_error("late")));
    }
  });
  worker.join();
  receiver.reset();
  TestSupport::Drain();  // a dropped call would reach freed memory here
}
