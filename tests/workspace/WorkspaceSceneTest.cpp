// The scene against a fake engine: strokes through a plain view, the patch cap, drawer events.
#include "support/ProgramTestSupport.h"

#include "Engine/ErrorPath.h"
#include "Workspace/WorkspaceScene.h"

#include "Core/Interfaces/Exception.h"

#include <QGraphicsItem>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QScrollBar>
#include <QTest>

#include <boost/exception/diagnostic_information.hpp>

namespace {

using namespace Zentor::Glimra;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;
using testing::_;
using testing::InSequence;
using testing::Return;
using TestSupport::NiceFakeEngine;

DataVideoPtr Frame(uint32_t width, uint32_t height) { return DataVideoFF::Create(AV_PIX_FMT_BGR0, width, height); }

PaintPatch Patch(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
  PaintPatch patch;
  patch.frame = Frame(1, 1);
  patch.left = left;
  patch.top = top;
  patch.right = right;
  patch.bottom = bottom;
  return patch;
}

class WorkspaceSceneTest : public testing::Test {
 protected:
  WorkspaceSceneTest() : engine_(new NiceFakeEngine), fake_(static_cast<NiceFakeEngine&>(*engine_)) {
    ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(200, 100)));
  }
  ~WorkspaceSceneTest() override { ErrorPath::SetHandler(nullptr); }

  // A plain view at 100 % whose viewport shows the picture from scene point (0, 0).
  void Show(WorkspaceScene& scene) {
    view_.setScene(&scene);
    view_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view_.setFrameShape(QFrame::NoFrame);
    view_.resize(300, 200);
    view_.show();
  }

  GlimraCorePtr engine_;
  NiceFakeEngine& fake_;
  QGraphicsView view_;
};

TEST_F(WorkspaceSceneTest, StrokeThroughTheViewReachesTheDrawerInOrder) {
  WorkspaceScene scene(fake_);
  Show(scene);
  {
    InSequence order;
    EXPECT_CALL(fake_, PaintStart(10u, 20u)).WillOnce(Return(Patch(5, 15, 15, 25)));
    EXPECT_CALL(fake_, Paint(30u, 40u)).WillOnce(Return(Patch(25, 35, 35, 45)));
    EXPECT_CALL(fake_, PaintStop(31u, 41u));
  }
  QWidget* viewport = view_.viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(10, 20));
  QTest::mouseMove(viewport, QPoint(30, 40));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(31, 41));
  // The picture and the two patches, each at its place.
  ASSERT_EQ(scene.items().size(), 3);
  EXPECT_EQ(scene.items(Qt::AscendingOrder).last()->pos(), QPointF(25, 35));
}

TEST_F(WorkspaceSceneTest, PaintsNothingForMadeUpMovesHandDragAndTheSecondClickOfADoubleClick) {
  WorkspaceScene scene(fake_);
  Show(scene);
  EXPECT_CALL(fake_, Paint(_, _)).Times(0);
  QGraphicsSceneMouseEvent madeUp(QEvent::GraphicsSceneMouseMove);
  madeUp.setScenePos(QPointF(3, 3));
  madeUp.setButtons(Qt::LeftButton);
  QCoreApplication::sendEvent(&scene, &madeUp);

  // A fast double-click: press, release, double-click, release.
  EXPECT_CALL(fake_, PaintStart(_, _)).Times(1);
  QWidget* viewport = view_.viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(10, 10));
  testing::Mock::VerifyAndClearExpectations(&fake_);

  view_.setDragMode(QGraphicsView::ScrollHandDrag);
  EXPECT_CALL(fake_, PaintStart(_, _)).Times(0);
  EXPECT_CALL(fake_, Paint(_, _)).Times(0);
  EXPECT_CALL(fake_, PaintStop(_, _)).Times(0);
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(viewport, QPoint(20, 20));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(20, 20));
}

TEST_F(WorkspaceSceneTest, NegativePositionsWrapAndAThrowingDrawerGoesToTheErrorPath) {
  EXPECT_EQ(WorkspaceScene::ToDrawerCoordinate(3.9), 3u);
  EXPECT_EQ(WorkspaceScene::ToDrawerCoordinate(-0.5), 0u);
  EXPECT_EQ(WorkspaceScene::ToDrawerCoordinate(-1.5), 0xFFFFFFFFu);

  std::vector<std::string> reported;
  ErrorPath::SetHandler([&](boost::exception_ptr error) { reported.push_back(boost::diagnostic_information(error)); });
  WorkspaceScene scene(fake_);
  Show(scene);
  EXPECT_CALL(fake_, PaintStart(_, _)).WillOnce([](VSize, VSize) -> PaintPatch {
    ZENTOR_THROW_DESC(Zentor::Exception, "Painter was not initialized yet");
  });
  QTest::mousePress(view_.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_NE(reported[0].find("Painter was not initialized yet"), std::string::npos);
}

TEST_F(WorkspaceSceneTest, PatchCapRebuildsThePicture) {
  WorkspaceScene scene(fake_);
  TestSupport::LogCapture log;
  scene.ApplyPatch(PaintPatch());
  EXPECT_EQ(scene.items().size(), 1);

  // Exactly the cap laid so far still takes one more patch; past it, the picture is rebuilt.
  scene.ApplyPatch(Patch(0, 0, 10000, 5000));
  scene.ApplyPatch(Patch(0, 0, 1, 1));
  EXPECT_EQ(scene.items().size(), 3);
  scene.ApplyPatch(Patch(0, 0, 1, 1));
  EXPECT_EQ(scene.items().size(), 1);
  const auto lines = log.Texts(google::GLOG_INFO);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Patch size too big! Reset picture."), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Returned NULL frame when drawing patch."), 1);

  // Counters start again from 0 after the rebuild.
  scene.ApplyPatch(Patch(0, 0, 10000, 5000));
  scene.ApplyPatch(Patch(0, 0, 1, 1));
  EXPECT_EQ(scene.items().size(), 3);
}

TEST_F(WorkspaceSceneTest, DrawerEventsRebuildAndRecentreOnlyWhenTheSizeChanges) {
  WorkspaceScene alone(fake_);
  ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(50, 40)));
  // No view to centre.
  alone.HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return alone.sceneRect() == QRectF(0, 0, 50, 40); }));

  ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(2000, 1000)));
  WorkspaceScene scene(fake_);
  Show(scene);
  scene.ApplyPatch(Patch(0, 0, 4, 4));
  QScrollBar* bar = view_.horizontalScrollBar();
  bar->setValue(100);
  scene.HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return scene.items().size() == 1; }));
  EXPECT_EQ(bar->value(), 100);

  ON_CALL(fake_, GetVideo()).WillByDefault(Return(Frame(1000, 800)));
  scene.HandleEvent();
  ASSERT_TRUE(TestSupport::WaitFor([&] { return scene.sceneRect() == QRectF(0, 0, 1000, 800); }));
  // Centred: the view's middle shows the picture's middle.
  EXPECT_NEAR(view_.mapToScene(view_.viewport()->rect().center()).x(), 500, 2);
}

}  // namespace
