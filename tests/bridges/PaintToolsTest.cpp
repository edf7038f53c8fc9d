#include "support/ProgramTestSupport.h"

#include "Engine/PaintTools.h"
#include "GlimraCore/IGlimraBrush.h"

#include <QSignalSpy>
#include <QToolButton>

#include <gtest/gtest.h>

#include <stdexcept>

using testing::_;
using testing::Matcher;
using testing::SaveArg;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Core::Property;
using Zentor::Glimra::IGlimraBrush;
using Zentor::Glimra::IGlimraDrawer;
using Zentor::Glimra::PaintTools;

namespace {

struct PaintToolsTest : testing::Test {
  PaintToolsTest() {
    ON_CALL(*engine, SetBrush(Matcher<const Property&>(_))).WillByDefault(SaveArg<0>(&brush));
    ON_CALL(*engine, PaintInit(_)).WillByDefault(SaveArg<0>(&paint));
  }
  long long Width() const { return brush[IFormatCodecVideo::TAG_WIDTH].GetInt64(); }
  long long Smooth() const { return brush[IGlimraBrush::SMOOTH].GetInt64(); }

  boost::intrusive_ptr<TestSupport::NiceFakeEngine> engine{new TestSupport::NiceFakeEngine};
  PaintTools tools{*engine};
  Property brush;
  Property paint;
};

}  // namespace

TEST_F(PaintToolsTest, BrushKeepsItsScreenSizeWhileTheWandToleranceStays) {
  tools.OnScaleChanged(200.0);
  tools.BrushModeOn(25);
  EXPECT_EQ(IGlimraDrawer::SEL_BRUSH, paint[IGlimraDrawer::TAG_PAINT_TYPE].GetString());
  EXPECT_EQ(12, Width());
  EXPECT_EQ(12, brush[IFormatCodecVideo::TAG_HEIGHT].GetInt64());
  tools.OnScaleChanged(50.0);
  EXPECT_EQ(50, Width());
  tools.WandModeOn(35);
  tools.OnScaleChanged(200.0);
  EXPECT_EQ(35, Width());

  // A brush narrower than a pixel is still one pixel; a huge one does not overflow.
  tools.EraseModeOn(1);
  tools.OnScaleChanged(400.0);
  EXPECT_EQ(1, Width());
  tools.OnScaleChanged(1e-300);
  EXPECT_GT(Width(), 1000000000LL);
  EXPECT_THROW(tools.OnScaleChanged(0.0), std::invalid_argument);
}

TEST_F(PaintToolsTest, OnlyTheCloneBrushHasABlur) {
  QSignalSpy changed(&tools, &PaintTools::BrushSettingsChanged);
  tools.UpdateBrushSize(40, 30);
  EXPECT_EQ((QList<QVariant>{40, 0}), changed.takeLast());
  EXPECT_FALSE(brush.ChildExists(IGlimraBrush::SMOOTH));

  tools.CloneModeOn(40, 30);
  EXPECT_EQ(IGlimraDrawer::PAINT_CLONE, paint[IGlimraDrawer::TAG_PAINT_TYPE].GetString());
  EXPECT_EQ(100, paint[IGlimraDrawer::OPACITY].GetInt64());
  EXPECT_EQ(30, Smooth());
  tools.CloneModeOn(40, -1);
  EXPECT_EQ(30, Smooth());
  EXPECT_EQ((QList<QVariant>{40, 30}), changed.takeLast());
  tools.BrushModeOn(40);
  EXPECT_EQ((QList<QVariant>{40, 0}), changed.takeLast());
  tools.CloneModeOn(20, -1);
  EXPECT_EQ(30, Smooth());
}

TEST_F(PaintToolsTest, CropHasNoPainterAndLeavesForTheToolBeforeIt) {
  QToolButton lasso;
  QToolButton brushButton;
  lasso.setCheckable(true);
  brushButton.setCheckable(true);
  tools.AddControlToGroup(&lasso, PaintTools::LASSO);
  tools.AddControlToGroup(&brushButton, PaintTools::BRUSH);
  QSignalSpy lassoClicks(&lasso, &QToolButton::clicked);

  tools.ActivateLastPaintTool();  // not in crop mode
  EXPECT_EQ(0, lassoClicks.count());

  tools.PolygonModeOn();
  tools.CropModeOn();
  EXPECT_EQ(PaintTools::CROP, tools.GetActiveMode());
  EXPECT_EQ(IGlimraDrawer::CLASS_ID, paint.GetName());
  EXPECT_EQ("", paint[IGlimraDrawer::TAG_PAINT_TYPE].GetString());
  tools.ActivateLastPaintTool();
  EXPECT_EQ(1, lassoClicks.count());
  EXPECT_EQ(&lasso, tools.GetActiveControl());

  // The previous tool has no button: nothing to click.
  tools.WandModeOn(10);
  tools.CropModeOn();
  tools.ActivateLastPaintTool();
  EXPECT_EQ(1, lassoClicks.count());
}

TEST_F(PaintToolsTest, AnUnknownModeThrowsAndKeepsTheMode) {
  tools.EraseModeOn(10);
  QSignalSpy modeChanged(&tools, &PaintTools::CurrentModeChanged);
  EXPECT_CALL(*engine, PaintInit(_)).Times(0);
  TestSupport::LogCapture log;
  try {
    tools.ConfigurePainter(static_cast<PaintTools::Mode>(7));
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(0, std::string(e.what()).rfind("Unsupported paint mode.\n", 0));
  }
  EXPECT_EQ(std::vector<std::string>{"Undefined paint tool."}, log.Texts(google::GLOG_ERROR));
  EXPECT_EQ(PaintTools::ERASER, tools.GetActiveMode());
  EXPECT_EQ(0, modeChanged.count());
}
