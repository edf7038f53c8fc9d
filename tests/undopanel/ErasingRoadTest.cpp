// The real engine behind the workspace page, the tools panel, the progress dialog and the undo
// panel: a selection brushed through the view is erased by Start on the engine's threads; Cancel
// in the middle of the run keeps the picture and its history, a finished run adds one undo step.
#include "support/ProgramTestSupport.h"

#include "Engine/WorkspaceController.h"
#include "UI/ProgressBar.h"
#include "UI/UndoWidget.h"
#include "UI/WorkspaceWidget.h"
#include "Workspace/WorkspaceView.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using namespace Zentor::Glimra;
using Zentor::Core::IProgressController;
using Zentor::Core::IProgressControllerClient;
using Zentor::Core::ProgressControllerPtr;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;

// Passes every call on to the dialog's controller. Once an effect has announced its maximum, it
// is held there until the test opens the gate, so that a Cancel lands in the middle of the run
// however fast the machine is.
class GatedProgress : public Zentor::RefCounted<IProgressController> {
 public:
  explicit GatedProgress(ProgressControllerPtr dialog) : dialog_(std::move(dialog)) {}

  void Notify(NotifyEvent event) override { dialog_->Notify(event); }
  void SetMaximum(int maximum) override {
    dialog_->SetMaximum(maximum);
    std::unique_lock<std::mutex> lock(mutex_);
    heldOn_ = std::this_thread::get_id();
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  void SetProgress(int progress) override { dialog_->SetProgress(progress); }
  void IncProgress(int step) override { dialog_->IncProgress(step); }
  bool CheckForStop() const override { return dialog_->CheckForStop(); }
  void SetClient(IProgressControllerClient* client) override { dialog_->SetClient(client); }

  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    heldOn_ = std::thread::id();
  }
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // The thread held at the gate; none while no effect waits there.
  std::thread::id HeldOn() {
    std::lock_guard<std::mutex> lock(mutex_);
    return heldOn_;
  }

 private:
  ProgressControllerPtr dialog_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
  std::thread::id heldOn_;
};

// A 640 x 480 JPEG with a gradient and a dark square to erase.
std::string WriteJpeg(const TestSupport::TempFolder& folder) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, 640, 480);
  const auto& picture = frame->GetPicture();
  for (int y = 0; y < 480; ++y) {
    uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
    for (int x = 0; x < 640; ++x) {
      const bool square = x >= 300 && x < 330 && y >= 220 && y < 250;
      row[x * 3 + 0] = square ? 10 : uint8_t(x / 3);
      row[x * 3 + 1] = square ? 10 : uint8_t(y / 2);
      row[x * 3 + 2] = square ? 10 : uint8_t(x + y);
    }
  }
  const std::string path = folder.File("photo.jpg");
  TestSupport::WriteEncoded(path, frame, TestSupport::CodecPreset(Zentor::Conf::IFormatCodecVideo::CODEC_ID_MJPEG));
  return path;
}

template <typename T>
T* Find(const QWidget& parent, const char* name) {
  return parent.findChild<T*>(QLatin1String(name));
}

}  // namespace

TEST(ErasingRoadTest, CancelKeepsThePictureAndAFinishedRunAddsOneUndoStep) {
  TestSupport::TempFolder folder("glimra-erasing");
  TestSupport::NoStatistics statistics;
  TestSupport::CoreHandler failures;
  UndoWidget undoPanel;
  WorkspaceWidget page;
  page.resize(1100, 700);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

  WorkspaceControllerPtr controller = WorkspaceController::Create(&statistics, WriteJpeg(folder), "");
  controller->RegisterCoreEventHandler(&failures);
  page.SetWorkspaceController(controller);
  undoPanel.SetUndoEngine(controller->GetUndoEngine());
  controller->RegisterDrawerEventHandler(&undoPanel);
  auto* dialog = page.findChild<ProgressBar*>();
  ASSERT_NE(nullptr, dialog);
  boost::intrusive_ptr<GatedProgress> gate(new GatedProgress(dialog->GetProgressController()));
  controller->SetProgressController(gate);

  TestSupport::Drain();
  auto* start = Find<QToolButton>(page, "startButton");
  auto* undo = Find<QToolButton>(undoPanel, "undoButton");
  auto* redo = Find<QToolButton>(undoPanel, "redoButton");
  EXPECT_FALSE(start->isEnabled());
  EXPECT_FALSE(undo->isEnabled());

  // Brush over the square through the view.
  WorkspaceView* view = Find<WorkspaceView>(page, "graphicsView");
  ASSERT_DOUBLE_EQ(100.0, view->GetCurrentScalePercent());
  QWidget* viewport = view->viewport();
  const QPoint square = view->mapFromScene(QPointF(315, 235));
  for (int dy = -12; dy <= 12; dy += 6) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, square + QPoint(-20, dy));
    for (int dx = -16; dx <= 20; dx += 4) QTest::mouseMove(viewport, square + QPoint(dx, dy));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, square + QPoint(20, dy));
  }
  ASSERT_TRUE(TestSupport::WaitFor([&] { return start->isEnabled() && undo->isEnabled(); }));
  const QImage selected = controller->GetFrame();

  // Cancel while the effect is held in the middle of its run.
  gate->Close();
  start->click();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return gate->HeldOn() != std::thread::id(); }, 60000));
  EXPECT_NE(std::this_thread::get_id(), gate->HeldOn());
  ASSERT_TRUE(TestSupport::WaitFor([&] { return dialog->isVisible(); }));
  Find<QPushButton>(*dialog, "cancelButton")->click();
  gate->Open();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return dialog->isHidden(); }, 60000));
  TestSupport::Drain();
  EXPECT_EQ(selected, controller->GetFrame());
  EXPECT_TRUE(start->isEnabled());
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
  EXPECT_TRUE(controller->GetUndoEngine()->IsUndoEnabled());
  EXPECT_FALSE(controller->GetUndoEngine()->IsRedoEnabled());

  // A run to its end replaces the square and adds one step.
  gate->Close();
  start->click();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return gate->HeldOn() != std::thread::id(); }, 60000));
  ASSERT_TRUE(TestSupport::WaitFor([&] { return dialog->isVisible(); }));
  gate->Open();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return dialog->isHidden() && !start->isEnabled(); }, 60000));
  TestSupport::Drain();
  const QImage erased = controller->GetFrame();
  EXPECT_NE(selected, erased);
  EXPECT_GT(qGray(erased.pixel(315, 235)), 40);
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());

  undo->click();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return redo->isEnabled(); }));
  TestSupport::Drain();
  EXPECT_EQ(selected, controller->GetFrame());
  EXPECT_TRUE(failures.errors.empty());

  controller.reset();
  TestSupport::Drain();
}
