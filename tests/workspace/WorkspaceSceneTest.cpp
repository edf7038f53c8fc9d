// The scene against a fake engine: strokes through a plain view, the patch cap, drawer events.
#include "support/ProgramTestSupport.h"

#include "Core/Interfaces/Exception.h"
#include "Engine/DrawerCoordinate.h"
#include "Engine/ErrorPath.h"
#include "Workspace/WorkspaceScene.h"

#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

namespace {

using namespace Zentor::Glimra;
using testing::_;
using testing::Return;

Zentor::Proc::DataVideoPtr Frame(uint32_t width, uint32_t height) {
  return Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_BGR0, width, height);
}

// A cleared frame whose first byte of every pixel (bytes apart) is value.
Zentor::Proc::DataVideoPtr Filled(AVPixelFormat format, uint32_t width, uint32_t height, int bytes, uint8_t value) {
  Zentor::Proc::DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(format, width, height);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0];
    for (uint32_t x = 0; x < width; ++x) row[x * bytes] = value;
  }
  return frame;
}

PaintPatch Patch(uint32_t right, uint32_t bottom) {
  PaintPatch patch;
  patch.frame = Frame(1, 1);
  patch.left = patch.top = 2;
  patch.right = right;
  patch.bottom = bottom;
  return patch;
}

class WorkspaceSceneTest : public testing::Test {
 protected:
  WorkspaceSceneTest()
      : engine_(new TestSupport::NiceFakeEngine), fake_(static_cast<TestSupport::FakeEngine&>(*engine_)) {
    ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(200, 100)));
    scene_ = std::make_unique<WorkspaceScene>(fake_);
    view_.setScene(scene_.get());
    view_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view_.setFrameShape(QFrame::NoFrame);
    view_.resize(300, 200);
    view_.show();
  }
  ~WorkspaceSceneTest() override { ErrorPath::SetHandler(nullptr); }

  GlimraCorePtr engine_;
  TestSupport::FakeEngine& fake_;
  std::unique_ptr<WorkspaceScene> scene_;
  QGraphicsView view_;
};

TEST_F(WorkspaceSceneTest, StrokeReachesTheDrawerInOrderAndLaysItsPatches) {
  {
    testing::InSequence order;
    EXPECT_CALL(fake_, PaintStart(10u, 20u)).WillOnce(Return(Patch(8, 8)));
    EXPECT_CALL(fake_, Paint(30u, 40u)).WillOnce(Return(Patch(9, 9)));
    EXPECT_CALL(fake_, PaintStop(31u, 41u));
  }
  QTest::mousePress(view_.viewport(), Qt::LeftButton, {}, QPoint(10, 20));
  QTest::mouseMove(view_.viewport(), QPoint(30, 40));
  QTest::mouseRelease(view_.viewport(), Qt::LeftButton, {}, QPoint(31, 41));
  EXPECT_EQ(scene_->items().size(), 3);
}

TEST_F(WorkspaceSceneTest, NothingPaintedForMadeUpMovesSecondClickOfADoubleClickAndHandDrag) {
  EXPECT_CALL(fake_, Paint(_, _)).Times(0);
  QGraphicsSceneMouseEvent madeUp(QEvent::GraphicsSceneMouseMove);
  QCoreApplication::sendEvent(scene_.get(), &madeUp);

  EXPECT_CALL(fake_, PaintStart(_, _)).Times(1);
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseDClick(view_.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(view_.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  testing::Mock::VerifyAndClearExpectations(&fake_);

  view_.setDragMode(QGraphicsView::ScrollHandDrag);
  EXPECT_CALL(fake_, PaintStart(_, _)).Times(0);
  EXPECT_CALL(fake_, Paint(_, _)).Times(0);
  EXPECT_CALL(fake_, PaintStop(_, _)).Times(0);
  QTest::mousePress(view_.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(view_.viewport(), QPoint(20, 20));
  QTest::mouseRelease(view_.viewport(), Qt::LeftButton, {}, QPoint(20, 20));
}

TEST_F(WorkspaceSceneTest, NegativePositionsWrapAndAThrowingDrawerGoesToTheErrorPath) {
  EXPECT_EQ(ToDrawerCoordinate(3.9), 3u);
  EXPECT_EQ(ToDrawerCoordinate(-0.5), 0u);
  EXPECT_EQ(ToDrawerCoordinate(-1.5), 0xFFFFFFFFu);

  int reported = 0;
  ErrorPath::SetHandler([&](boost::exception_ptr) { ++reported; });
  EXPECT_CALL(fake_, PaintStart(_, _)).WillOnce([](VSize, VSize) -> PaintPatch {
    ZENTOR_THROW_DESC(Zentor::Exception, "Painter was not initialized yet");
  });
  QTest::mousePress(view_.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(reported, 1);
}

TEST_F(WorkspaceSceneTest, PatchCapRebuildsThePictureInsteadOfLayingThePatch) {
  TestSupport::LogCapture log;
  scene_->ApplyPatch(PaintPatch());
  // Exactly the cap laid so far still takes one more patch.
  scene_->ApplyPatch(Patch(10002, 5002));
  scene_->ApplyPatch(Patch(3, 3));
  EXPECT_EQ(scene_->items().size(), 3);
  scene_->ApplyPatch(Patch(3, 3));
  EXPECT_EQ(scene_->items().size(), 1);
  const auto lines = log.Texts(google::GLOG_INFO);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Patch size too big! Reset picture."), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Returned NULL frame when drawing patch."), 1);
}

TEST_F(WorkspaceSceneTest, DrawerEventsRebuildAndRecentreOnlyWhenTheSizeChanges) {
  ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(2000, 1000)));
  scene_->HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return scene_->sceneRect() == QRectF(0, 0, 2000, 1000); }));
  scene_->ApplyPatch(Patch(6, 6));
  view_.horizontalScrollBar()->setValue(100);
  scene_->HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return scene_->items().size() == 1; }));
  EXPECT_EQ(view_.horizontalScrollBar()->value(), 100);

  ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(1000, 800)));
  scene_->HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return scene_->sceneRect() == QRectF(0, 0, 1000, 800); }));
  EXPECT_NEAR(view_.mapToScene(view_.viewport()->rect().center()).x(), 500, 2);

  // Without a view there is nothing to centre.
  WorkspaceScene alone(fake_);
  ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(50, 40)));
  alone.HandleEvent();
  EXPECT_TRUE(TestSupport::WaitFor([&] { return alone.sceneRect() == QRectF(0, 0, 50, 40); }));
}

TEST_F(WorkspaceSceneTest, ThePictureHoldsTheShownFrameOnlyAndShowsAnyShownFormat) {
  const auto rendered = [&] {
    QImage out(scene_->sceneRect().size().toSize(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter painter(&out);
    scene_->render(&painter, QRectF(), QRectF(), Qt::KeepAspectRatio);
    return out;
  };
  Zentor::Proc::DataVideoPtr red = Filled(AV_PIX_FMT_RGB24, 40, 30, 3, 255);
  ON_CALL(fake_, GetVideo()).WillByDefault(Return(red));
  scene_->HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return scene_->sceneRect() == QRectF(0, 0, 40, 30); }));
  // The engine has let go of the frame: the scene's reference keeps its pixels.
  testing::Mock::VerifyAndClear(&fake_);
  EXPECT_EQ(red->GetRefCount(), 2);
  EXPECT_EQ(rendered().pixel(39, 29), qRgb(255, 0, 0));
  EXPECT_EQ(view_.viewport()->grab().toImage().pixel(20, 10), qRgb(255, 0, 0));

  Zentor::Proc::DataVideoPtr blue = Filled(AV_PIX_FMT_RGB565LE, 20, 10, 2, 0x1F);
  ON_CALL(fake_, GetVideo()).WillByDefault(Return(blue));
  scene_->HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return scene_->sceneRect() == QRectF(0, 0, 20, 10); }));
  EXPECT_EQ(red->GetRefCount(), 1) << "the old picture is let go";
  EXPECT_EQ(rendered().pixel(19, 9), qRgb(0, 0, 255));
}

// A widget that notes when it was painted.
class PaintedMark : public QWidget {
 public:
  bool painted = false;

 protected:
  void paintEvent(QPaintEvent*) override { painted = true; }
};

TEST_F(WorkspaceSceneTest, WidgetsRepaintedForADrawerEventShowBeforeThePictureIsRebuilt) {
  PaintedMark button;
  button.show();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return button.painted; }));
  button.painted = false;
  bool rebuilt = false;
  bool paintedFirst = false;
  EXPECT_CALL(fake_, GetVideo()).WillOnce([&] {
    rebuilt = true;
    paintedFirst = button.painted;
    return Frame(200, 100);
  });
  // The scene is the engine's first drawer handler; a panel's handler, queued after it, repaints.
  scene_->HandleEvent();
  QMetaObject::invokeMethod(&button, [&] { button.update(); }, Qt::QueuedConnection);
  ASSERT_TRUE(TestSupport::WaitFor([&] { return rebuilt; }));
  EXPECT_TRUE(paintedFirst);
}

}  // namespace
