#include "support/ProgramTestSupport.h"

#include "Engine/CoreEventHandlerUI.h"
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
  int total = 0;
  int offGui = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < CALLS; ++i) {
        forwarder.Forward([&, t, i] {
          offGui += !OnGuiThread();
          seen[t].push_back(i);
          ++total;
        });
      }
    });
  }
  // The GUI thread runs calls while the callers still add to the queue.
  EXPECT_TRUE(TestSupport::WaitFor([&] { return total == THREADS * CALLS; }));
  for (std::thread& thread : threads) thread.join();
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

  // A call that destroys its own receiver, and the forwarder with it, ends the queue there.
  forwarder = std::make_unique<FunctorExecutionForwarder>();
  forwarder->Forward([&forwarder] { forwarder.reset(); });
  forwarder->Forward([ran] { ++*ran; });
  TestSupport::Drain();
  EXPECT_EQ(nullptr, forwarder);
  EXPECT_EQ(0, *ran);
}

namespace {

using Zentor::Glimra::IStatisticsEventHandler;

class Receiver : public Zentor::Glimra::CoreEventHandlerUI, public Zentor::Glimra::StatisticsEventHandlerUI {
 public:
  void ThrowInternal(boost::exception_ptr error) override { errors.push_back(error); }
  void TrackEventStringInternal(const std::string& name, const StringParameters& parameters) override {
    EXPECT_TRUE(OnGuiThread());
    strings.emplace_back(name, parameters);
  }
  void TrackEventIntInternal(const std::string&, const IntParameters&) override {}
  void TrackExceptionInternal(const std::string&, const std::string&, const std::string&) override {}

  std::vector<boost::exception_ptr> errors;
  std::vector<std::pair<std::string, StringParameters>> strings;
};

}  // namespace

TEST(BridgesTest, ArgumentsArriveAsTheyWereAtTheTimeOfTheCall) {
  Receiver receiver;
  std::thread worker([&] {
    std::string name = "SAVE";
    IStatisticsEventHandler::StringParameters parameters{{"OUTPUT_FORMAT", "png"}};
    receiver.TrackEventString(name, parameters);
    name = "changed";
    parameters["OUTPUT_FORMAT"] = "tiff";
    // The engine drops its own pointer right after the call.
    receiver.Throw(boost::copy_exception(Zentor::Glimra::GlimraException() << Zentor::TagDescription("failed")));
  });
  worker.join();

  TestSupport::Drain();
  ASSERT_EQ(1u, receiver.strings.size());
  EXPECT_EQ("SAVE", receiver.strings[0].first);
  EXPECT_EQ((IStatisticsEventHandler::StringParameters{{"OUTPUT_FORMAT", "png"}}), receiver.strings[0].second);
  ASSERT_EQ(1u, receiver.errors.size());
  try {
    boost::rethrow_exception(receiver.errors[0]);
  } catch (const Zentor::Glimra::GlimraException& e) {
    EXPECT_EQ("failed", *boost::get_error_info<Zentor::TagDescription>(e));
  }
}
