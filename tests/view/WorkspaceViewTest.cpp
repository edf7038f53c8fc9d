// The view with the scene and the drawing tools over a fake engine, driven through its viewport.
#include "support/ProgramTestSupport.h"

#include "DrawingTools/UniversalDrawingTool.h"
#include "Engine/ErrorPath.h"
#include "Engine/PaintTools.h"
#include "Workspace/WorkspaceScene.h"
#include "Workspace/WorkspaceView.h"

#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <stdexcept>

namespace {

using namespace Zentor::Glimra;
using testing::_;
using testing::InSequence;
using testing::Return;

// Counts what reaches it; consumes mouse presses when told to and throws when told to.
struct RecordingTool : IDrawingTool {
  void cancelDrawing() override { ++cancels; }
  bool keyPressEvent(QKeyEvent*) override { return false; }
  bool mousePressEvent(QMouseEvent* event) override {
    if (fail) throw std::runtime_error("tool failed");
    presses.push_back(event->button());
    return consume;
  }
  bool mouseMoveEvent(QMouseEvent*) override { return consume; }
  bool mouseReleaseEvent(QMouseEvent*) override { return consume; }
  bool mouseDoubleClickEvent(QMouseEvent*) override { return consume; }
  void paintEvent(QPaintEvent*, QPaintDevice*) override {}
  void updateCursor(int, int) override {}

  int cancels = 0;
  std::vector<Qt::MouseButton> presses;
  bool consume = true;
  bool fail = false;
};

class WorkspaceViewTest : public testing::Test {
 protected:
  WorkspaceViewTest() : tool(new RecordingTool) {
    view.setFrameShape(QFrame::NoFrame);
    view.SetUniversalDrawingTool(tool);
  }
  ~WorkspaceViewTest() override { ErrorPath::SetHandler(nullptr); }

  void Show(QGraphicsScene& scene, QSize size) {
    view.setScene(&scene);
    view.resize(size);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  }
  // What the workspace page does with the view's request for the hand tool.
  void AnswerDragRequests() {
    QObject::connect(&view, &WorkspaceView::activateDragMode, &view, [this](bool on) {
      view.SetDragMode(on ? QGraphicsView::ScrollHandDrag : QGraphicsView::NoDrag);
    });
  }
  void Wheel(int delta, Qt::ScrollPhase phase = Qt::NoScrollPhase) { Wheel(QPoint(0, delta), phase); }
  void Wheel(QPoint angle, Qt::ScrollPhase phase = Qt::NoScrollPhase) {
    const QPointF at(50, 50);
    QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::NoModifier, phase,
                      false);
    QCoreApplication::sendEvent(view.viewport(), &wheel);
  }

  WorkspaceView view;
  boost::shared_ptr<RecordingTool> tool;
};

TEST_F(WorkspaceViewTest, StrokesReachTheDrawerThroughTheBrushOnlyAsRealMovesOutsideTheHandDrag) {
  GlimraCorePtr engine(new TestSupport::NiceFakeEngine);
  auto& fake = static_cast<TestSupport::NiceFakeEngine&>(*engine);
  ON_CALL(fake, GetVideo()).WillByDefault(Return(Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_BGR0, 200, 100)));
  WorkspaceScene scene(fake);
  Show(scene, QSize(300, 200));
  PaintTools paintTools(fake);
  view.SetUniversalDrawingTool(
      boost::shared_ptr<IDrawingTool>(new UniversalDrawingTool(view, paintTools, view.GetToolTipEngine())));
  QWidget* viewport = view.viewport();
  const QPoint start = view.mapFromScene(10, 20);
  const QPoint next = view.mapFromScene(30, 40);
  {
    InSequence order;
    EXPECT_CALL(fake, PaintStart(10u, 20u));
    EXPECT_CALL(fake, Paint(30u, 40u));
    EXPECT_CALL(fake, PaintStop(30u, 40u));
    EXPECT_CALL(fake, PaintStart(10u, 20u));
    EXPECT_CALL(fake, PaintStop(10u, 20u));
  }
  QTest::mousePress(viewport, Qt::LeftButton, {}, start);
  QTest::mouseMove(viewport, next);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, next);

  QTest::mousePress(viewport, Qt::LeftButton, {}, start, 500);
  QMouseEvent madeUp(QEvent::MouseMove, next, viewport->mapToGlobal(next), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &madeUp);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, start);

  view.SetDragMode(QGraphicsView::ScrollHandDrag);
  QTest::mousePress(viewport, Qt::LeftButton, {}, start, 500);
  QTest::mouseMove(viewport, next);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, next);
}

TEST_F(WorkspaceViewTest, ATakingToolKeepsEventsFromTheSceneAndAFailingOneGoesToTheErrorPath) {
  GlimraCorePtr engine(new TestSupport::NiceFakeEngine);
  auto& fake = static_cast<TestSupport::NiceFakeEngine&>(*engine);
  WorkspaceScene scene(fake);
  Show(scene, QSize(300, 200));
  EXPECT_CALL(fake, PaintStart(_, _)).Times(0);
  EXPECT_CALL(fake, PaintStop(_, _)).Times(0);
  QTest::mouseClick(view.viewport(), Qt::LeftButton);
  EXPECT_EQ(tool->presses.size(), 1u);

  int reported = 0;
  ErrorPath::SetHandler([&](boost::exception_ptr) { ++reported; });
  tool->fail = true;
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(), 500);
  EXPECT_EQ(reported, 1);
}

TEST_F(WorkspaceViewTest, ZoomStaysExactlyWithinItsLimits) {
  QGraphicsScene scene(0, 0, 2000, 1000);
  Show(scene, QSize(298, 198));
  // Until the limits are set nothing zooms.
  EXPECT_FALSE(view.CanScale());
  view.ScaleToPercent(150);
  EXPECT_EQ(view.GetCurrentScalePercent(), 100.0);

  EXPECT_FALSE(view.SetRestrictionForScale(IScalableView::SCALE_UP, 50));
  EXPECT_FALSE(view.SetRestrictionForScale(IScalableView::ScalePolicy(0), 50));
  EXPECT_EQ(view.GetRestrictionForScale(IScalableView::ScalePolicy(0)), -1.0);
  ASSERT_TRUE(view.SetRestrictionForScale(IScalableView::SCALE_UP, 300));
  ASSERT_TRUE(view.SetRestrictionForScale(IScalableView::SCALE_DOWN, 5));
  view.SetScaleStep(10);

  view.ScaleToFit();
  EXPECT_NEAR(view.GetCurrentScalePercent(), 14.9, 1e-9);

  QSignalSpy scaled(&view, &WorkspaceView::scaleChanged);
  QSignalSpy enabled(&view, &WorkspaceView::scaleEnabled);
  QSignalSpy dragPossible(&view, &WorkspaceView::enableDragMode);
  view.ScaleToPercent(1000);
  EXPECT_EQ(view.GetCurrentScalePercent(), 300.0);
  ASSERT_EQ(scaled.size(), 1);
  EXPECT_EQ(scaled.last().at(0).toDouble(), 300.0);
  EXPECT_EQ(enabled.last().at(0).value<IScalableView::ScalePolicyFlags>(), IScalableView::SCALE_DOWN);
  // Known at once, before the scroll bars are shown by the event loop.
  ASSERT_EQ(dragPossible.size(), 1);
  EXPECT_TRUE(dragPossible.last().at(0).toBool());

  view.ScaleToPercent(1000);
  Wheel(120);
  EXPECT_EQ(scaled.size(), 1);
  Wheel(-120);
  EXPECT_EQ(view.GetCurrentScalePercent(), 290.0);
  Wheel(0);
  EXPECT_EQ(view.GetCurrentScalePercent(), 280.0);
  Wheel(0, Qt::ScrollBegin);
  EXPECT_EQ(view.GetCurrentScalePercent(), 280.0);
  view.ScaleToPercent(1);
  EXPECT_EQ(view.GetCurrentScalePercent(), 5.0);
  EXPECT_EQ(enabled.last().at(0).value<IScalableView::ScalePolicyFlags>(), IScalableView::SCALE_UP);
}

TEST_F(WorkspaceViewTest, ASidewaysWheelScrollsAndDoesNotZoom) {
  QGraphicsScene scene(0, 0, 2000, 1000);
  Show(scene, QSize(300, 200));
  view.SetRestrictionForScale(IScalableView::SCALE_UP, 300);
  view.SetRestrictionForScale(IScalableView::SCALE_DOWN, 5);
  view.SetScaleStep(10);
  view.ScaleToPercent(100);
  QCoreApplication::processEvents();
  const int scrolled = view.horizontalScrollBar()->value();
  Wheel(QPoint(-120, 0));
  EXPECT_EQ(view.GetCurrentScalePercent(), 100.0);
  EXPECT_NE(view.horizontalScrollBar()->value(), scrolled);
  Wheel(QPoint(120, 0));
  EXPECT_EQ(view.horizontalScrollBar()->value(), scrolled);
  // A swipe that is mostly downward still zooms.
  Wheel(QPoint(-20, 120));
  EXPECT_DOUBLE_EQ(view.GetCurrentScalePercent(), 110.0);
}

TEST_F(WorkspaceViewTest, AFittedPictureStaysFittedWhenTheViewChangesSizeUntilAnotherZoom) {
  QGraphicsScene scene(0, 0, 2000, 1000);
  Show(scene, QSize(298, 198));
  view.SetRestrictionForScale(IScalableView::SCALE_UP, 300);
  view.SetRestrictionForScale(IScalableView::SCALE_DOWN, 5);
  view.ScaleToFit();
  view.resize(598, 398);
  QCoreApplication::processEvents();
  EXPECT_NEAR(view.GetCurrentScalePercent(), 29.9, 1e-9);
  view.ScaleToPercent(50);
  view.resize(298, 198);
  QCoreApplication::processEvents();
  EXPECT_EQ(view.GetCurrentScalePercent(), 50.0);

  // Fitted at most at 100 %, as a new picture is shown: smaller only while the view is too small.
  QGraphicsScene small(0, 0, 200, 100);
  view.setScene(&small);
  view.ScaleToFit(100);
  EXPECT_EQ(view.GetCurrentScalePercent(), 100.0);
  view.resize(148, 98);
  QCoreApplication::processEvents();
  EXPECT_NEAR(view.GetCurrentScalePercent(), 74.0, 1e-9);
  view.resize(598, 398);
  QCoreApplication::processEvents();
  EXPECT_EQ(view.GetCurrentScalePercent(), 100.0);
}

TEST_F(WorkspaceViewTest, ZoomingFromTheFittedPictureKeepsItsCentreInTheMiddle) {
  // Shown first at 100 % from the top left, as the program does before it fits the picture.
  QGraphicsScene scene(0, 0, 6000, 4000);
  Show(scene, QSize(500, 440));
  view.horizontalScrollBar()->setValue(0);
  view.verticalScrollBar()->setValue(0);
  QCoreApplication::processEvents();
  view.SetRestrictionForScale(IScalableView::SCALE_UP, 300);
  view.SetRestrictionForScale(IScalableView::SCALE_DOWN, 5);
  view.SetScaleStep(10);
  view.ScaleToFit();
  for (int notch = 0; notch < 4; ++notch) {
    Wheel(120);
    QCoreApplication::processEvents();
  }
  const QPointF middle = view.mapToScene(view.viewport()->rect().center());
  EXPECT_NEAR(middle.x(), 3000, 8);
  EXPECT_NEAR(middle.y(), 2000, 8);
}

TEST_F(WorkspaceViewTest, SpaceAndTheRightButtonPanOnlyWhileThePictureOverflows) {
  QGraphicsScene scene(0, 0, 2000, 1000);
  Show(scene, QSize(300, 200));
  view.SetRestrictionForScale(IScalableView::SCALE_DOWN, 5);
  view.ScaleToFit();
  AnswerDragRequests();
  QSignalSpy requests(&view, &WorkspaceView::activateDragMode);

  // Everything shown: the right button is a press like any other and Space does nothing.
  QTest::mouseClick(view.viewport(), Qt::RightButton);
  QTest::keyClick(&view, Qt::Key_Space);
  EXPECT_EQ(tool->presses, std::vector<Qt::MouseButton>{Qt::RightButton});
  EXPECT_EQ(requests.size(), 0);

  view.ScaleToPercent(100);
  QTest::keyPress(&view, Qt::Key_Space);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
  QCoreApplication::sendEvent(&view, &repeat);
  EXPECT_EQ(view.dragMode(), QGraphicsView::ScrollHandDrag);
  QTest::keyRelease(&view, Qt::Key_Space);
  ASSERT_EQ(requests.size(), 2);
  EXPECT_TRUE(requests.at(0).at(0).toBool());
  EXPECT_FALSE(requests.at(1).at(0).toBool());

  const int scrolled = view.horizontalScrollBar()->value();
  QTest::mousePress(view.viewport(), Qt::RightButton, {}, QPoint(200, 100), 500);
  EXPECT_EQ(view.dragMode(), QGraphicsView::ScrollHandDrag);
  QTest::mouseMove(view.viewport(), QPoint(150, 100));
  QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, QPoint(150, 100));
  EXPECT_EQ(view.horizontalScrollBar()->value(), scrolled + 50);
  EXPECT_EQ(view.dragMode(), QGraphicsView::NoDrag);
  EXPECT_EQ(requests.size(), 4);
  EXPECT_EQ(tool->presses.size(), 1u);
}

TEST_F(WorkspaceViewTest, EscCancelsTheToolsDrawing) {
  QGraphicsScene scene(0, 0, 200, 100);
  Show(scene, QSize(300, 200));
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_EQ(tool->cancels, 1);
}

}  // namespace
