#include "support/ProgramTestSupport.h"

#include "UI/ProgressBar.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Zentor::Core::IProgressController;
using Zentor::Glimra::ProgressBar;

class FakeClient : public Zentor::Core::IProgressControllerClient {
 public:
  void Stop(bool stop) override {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back(stop);
  }
  std::vector<bool> Calls() {
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
  }

 private:
  std::mutex mutex;
  std::vector<bool> calls;
};

class ShowCounter : public QObject {
 public:
  int shows = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++shows;
    return false;
  }
};

// The engine's side: every call runs on a thread of its own, as the engine's worker does.
void FromEngine(const std::function<void()>& calls) { std::thread(calls).join(); }

class ProgressBarTest : public testing::Test {
 protected:
  ProgressBarTest() {
    dialog.installEventFilter(&counter);
    controller->SetClient(&client);
  }
  ~ProgressBarTest() override { controller->SetClient(nullptr); }

  QProgressBar* Bar() { return dialog.findChild<QProgressBar*>("progressBar"); }

  ProgressBar dialog;
  boost::intrusive_ptr<IProgressController> controller = dialog.GetProgressController();
  FakeClient client;
  ShowCounter counter;
};

TEST_F(ProgressBarTest, ShowsOnceBothStartAndMaximumCameAndRoundsPercents) {
  QSignalSpy values(Bar(), &QProgressBar::valueChanged);
  FromEngine([this] {
    controller->SetMaximum(3);
    controller->Notify(IProgressController::EVENT_START);
    controller->SetProgress(1);
    controller->SetMaximum(2);
    controller->SetProgress(1);
    controller->SetMaximum(200);
    controller->IncProgress(198);
  });
  ASSERT_TRUE(TestSupport::WaitFor([&] { return Bar()->value() == 100; }));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.isModal());

  FromEngine([this] { controller->Notify(IProgressController::EVENT_FINISHED); });
  ASSERT_TRUE(TestSupport::WaitFor([&] { return !dialog.isVisible(); }));
  EXPECT_EQ(counter.shows, 1);
  std::vector<int> seen;
  for (const auto& args : values) seen.push_back(args.at(0).toInt());
  EXPECT_EQ(seen, (std::vector<int>{33, 50, 100, 0}));

  // The next run, start first, shows it again.
  FromEngine([this] {
    controller->Notify(IProgressController::EVENT_START);
    controller->SetMaximum(4);
  });
  ASSERT_TRUE(TestSupport::WaitFor([&] { return dialog.isVisible(); }));
  EXPECT_EQ(counter.shows, 2);
}

TEST_F(ProgressBarTest, AnEqualPercentForwardsNothingAndNoMaximumShowsZero) {
  FromEngine([this] {
    controller->Notify(IProgressController::EVENT_START);
    controller->SetMaximum(3);
    controller->SetProgress(1);
  });
  ASSERT_TRUE(TestSupport::WaitFor([&] { return Bar()->value() == 33; }));
  // A repeated 33 would bring the bar back from 77.
  Bar()->setValue(77);
  QSignalSpy values(Bar(), &QProgressBar::valueChanged);
  FromEngine([this] {
    controller->SetProgress(1);
    controller->IncProgress(0);
    controller->SetMaximum(0);
    controller->SetProgress(2);
    controller->SetMaximum(-5);
    controller->SetProgress(3);
  });
  ASSERT_TRUE(TestSupport::WaitFor([&] { return values.count() > 0; }));
  TestSupport::Drain();
  ASSERT_EQ(values.count(), 1);
  EXPECT_EQ(values.at(0).at(0).toInt(), 0);
}

TEST_F(ProgressBarTest, AnEndWithoutStartNeverShows) {
  FromEngine([this] {
    controller->SetMaximum(10);
    controller->SetProgress(5);
    controller->Notify(IProgressController::EVENT_FAILED);
    controller->Notify(IProgressController::EVENT_FINISHED);
  });
  TestSupport::Drain();
  EXPECT_EQ(counter.shows, 0);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ProgressBarTest, CancelStopsTheClientUntilTheNextNotify) {
  FromEngine([this] {
    controller->Notify(IProgressController::EVENT_START);
    controller->SetMaximum(100);
  });
  ASSERT_TRUE(TestSupport::WaitFor([&] { return dialog.isVisible(); }));
  dialog.findChild<QPushButton*>("cancelButton")->click();
  EXPECT_EQ(client.Calls(), (std::vector<bool>{false, true}));

  bool stopSeen = false;
  bool stopAfterEnd = true;
  FromEngine([&] {
    stopSeen = controller->CheckForStop();
    controller->Notify(IProgressController::EVENT_STOPPED);
    stopAfterEnd = controller->CheckForStop();
  });
  EXPECT_TRUE(stopSeen);
  EXPECT_FALSE(stopAfterEnd);
  EXPECT_EQ(client.Calls(), (std::vector<bool>{false, true, false}));
  EXPECT_TRUE(TestSupport::WaitFor([&] { return !dialog.isVisible(); }));
}

TEST_F(ProgressBarTest, EscAndCloseActAsCancelAndTheDialogStaysUntilTheRunEnds) {
  FromEngine([this] {
    controller->Notify(IProgressController::EVENT_START);
    controller->SetMaximum(100);
  });
  ASSERT_TRUE(TestSupport::WaitFor([&] { return dialog.isVisible(); }));
  QTest::keyClick(&dialog, Qt::Key_Escape);
  TestSupport::Drain();
  EXPECT_TRUE(dialog.isVisible()) << "the window stays locked while the run goes on";
  EXPECT_EQ(client.Calls(), (std::vector<bool>{false, true}));
  EXPECT_FALSE(dialog.close());
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(client.Calls(), (std::vector<bool>{false, true, true}));

  FromEngine([this] { controller->Notify(IProgressController::EVENT_STOPPED); });
  EXPECT_TRUE(TestSupport::WaitFor([&] { return !dialog.isVisible(); }));
}

// Engine threads race with Cancel, with each other and with the engine forgetting itself; the
// controller then outlives its dialog.
TEST(ProgressBarThreadsTest, ConcurrentCallsAndAControllerThatOutlivesItsDialog) {
  FakeClient client;
  auto dialog = std::make_unique<ProgressBar>();
  boost::intrusive_ptr<IProgressController> controller = dialog->GetProgressController();
  controller->SetClient(&client);

  std::atomic<bool> go{false};
  std::vector<std::thread> engine;
  for (int t = 0; t < 3; ++t) {
    engine.emplace_back([controller, t, &go] {
      while (!go) std::this_thread::yield();
      controller->Notify(IProgressController::EVENT_START);
      controller->SetMaximum(1000);
      for (int i = 0; i < 1000; ++i) {
        controller->IncProgress(1);
        if (controller->CheckForStop()) controller->SetProgress(i);
      }
      if (t == 0) controller->SetClient(nullptr);
      controller->Notify(IProgressController::EVENT_FINISHED);
    });
  }
  QPushButton* cancel = dialog->findChild<QPushButton*>("cancelButton");
  go = true;
  for (int i = 0; i < 50; ++i) {
    cancel->click();
    QCoreApplication::processEvents();
  }
  for (auto& thread : engine) thread.join();
  TestSupport::Drain();

  dialog.reset();
  // The engine's thread drops the last reference.
  std::thread late([last = std::move(controller)]() mutable {
    last->Notify(IProgressController::EVENT_START);
    last->SetMaximum(10);
    last->SetProgress(5);
    last.reset();
  });
  late.join();
  TestSupport::Drain();
}

}  // namespace
