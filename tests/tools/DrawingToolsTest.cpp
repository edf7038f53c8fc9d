#include "support/ProgramTestSupport.h"

#include "DrawingTools/DrawingToolWand.h"
#include "DrawingTools/IToolTip.h"
#include "DrawingTools/IToolTipProvider.h"
#include "DrawingTools/UniversalDrawingTool.h"
#include "Engine/PaintTools.h"

#include <QGraphicsView>
#include <QImage>

#include <boost/weak_ptr.hpp>

#include <string>
#include <vector>

using Zentor::Glimra::IDrawingTool;
using Zentor::Glimra::PaintTools;
using Zentor::Glimra::UniversalDrawingTool;

static void RegisterProgramResources() { Q_INIT_RESOURCE(glimra); }

namespace {

// Records the settings name of every hint shown ("" for a tool without one).
struct HintRecorder : Zentor::Glimra::IToolTip {
  void hideToolTip() override {}
  void changePosition() override {}
  void showToolTip(const Zentor::Glimra::IToolTipProvider* provider) override {
    shown.push_back(provider ? provider->GetSettingsName() : std::string());
  }
  bool isToolTipVisible() const override { return false; }
  std::vector<std::string> shown;
};

class DrawingToolsTest : public testing::Test {
 protected:
  DrawingToolsTest() : engine(new TestSupport::NiceFakeEngine), paintTools(*engine), tool(view, paintTools, hints) {}

  Zentor::Glimra::GlimraCorePtr engine;
  QGraphicsView view;
  PaintTools paintTools;
  HintRecorder hints;
  UniversalDrawingTool tool;
};

TEST_F(DrawingToolsTest, ModeChangesMakeFreshToolsAndASameModeKeepsTheTool) {
  EXPECT_EQ(hints.shown, std::vector<std::string>{""});  // the brush at once, without a hint

  paintTools.CloneModeOn(20, 0);
  boost::weak_ptr<IDrawingTool> firstClone = tool.GetCurrentDrawingTool();
  paintTools.BrushModeOn(20);
  paintTools.CloneModeOn(20, 0);
  EXPECT_TRUE(firstClone.expired());
  EXPECT_TRUE(tool.GetCurrentDrawingTool());

  paintTools.WandModeOn(10);
  boost::weak_ptr<IDrawingTool> wand = tool.GetCurrentDrawingTool();
  auto* wandTool = dynamic_cast<Zentor::Glimra::DrawingToolWand*>(wand.lock().get());
  ASSERT_TRUE(wandTool);
  EXPECT_EQ(hints.shown.back(), "DrawingToolWandToolTip");
  EXPECT_FALSE(wandTool->GetDescription().isEmpty());

  const size_t hintsBefore = hints.shown.size();
  paintTools.WandModeOn(30);
  EXPECT_EQ(wand.lock(), tool.GetCurrentDrawingTool());
  EXPECT_EQ(hints.shown.size(), hintsBefore);
}

TEST_F(DrawingToolsTest, OneCanceledEffectReachesThePaintToolsOnce) {
  int received = 0;
  QObject::connect(&paintTools, &PaintTools::effectCanceled, &view, [&](std::string effect) {
    EXPECT_EQ(effect, "inpaint");
    ++received;
  });
  boost::shared_ptr<IDrawingTool> current = tool.GetCurrentDrawingTool();
  tool.GetCurrentDrawingTool();
  emit current->effectCanceled("inpaint");
  EXPECT_EQ(received, 1);
}

bool BlackAt(const QCursor& cursor, int x, int y) { return cursor.pixmap().toImage().pixelColor(x, y) == Qt::black; }

TEST_F(DrawingToolsTest, BrushAndEraserDrawTheirCursorOnlyOutsideADragMode) {
  RegisterProgramResources();
  paintTools.BrushModeOn(40);
  QCursor cursor = view.viewport()->cursor();
  EXPECT_EQ(cursor.pixmap().size(), QSize(40, 40));
  EXPECT_EQ(cursor.hotSpot(), QPoint(20, 20));
  EXPECT_TRUE(BlackAt(cursor, 19 - 3, 19) && BlackAt(cursor, 19, 19 - 3));  // a plus

  tool.updateCursor(0, 0);  // the stored size
  EXPECT_EQ(view.viewport()->cursor().pixmap().size(), QSize(40, 40));

  paintTools.EraseModeOn(30);
  cursor = view.viewport()->cursor();
  EXPECT_EQ(cursor.pixmap().size(), QSize(30, 30));
  EXPECT_TRUE(BlackAt(cursor, 14 - 3, 14));
  EXPECT_FALSE(BlackAt(cursor, 14, 14 - 3));  // a minus only

  view.setDragMode(QGraphicsView::ScrollHandDrag);
  const Qt::CursorShape hand = view.viewport()->cursor().shape();
  paintTools.BrushModeOn(50);
  paintTools.WandModeOn(10);
  EXPECT_EQ(view.viewport()->cursor().shape(), hand);

  view.setDragMode(QGraphicsView::NoDrag);
  tool.updateCursor(0, 0);
  cursor = view.viewport()->cursor();
  EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
  EXPECT_EQ(cursor.hotSpot(), QPoint(1, 1));
}

}  // namespace
