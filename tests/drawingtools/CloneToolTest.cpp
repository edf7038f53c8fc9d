// The clone tool through the view over the fake engine: the source choice, the offset sent,
// the alert without a source and the guides.
#include "ToolsTestSupport.h"

#include "DrawingTools/IToolTipProvider.h"
#include "GlimraCore/IGlimraBrush.h"
#include "Platform/Formats/IFormatCodec.h"

#include <QCursor>
#include <QImage>

#include <cmath>

namespace {

using namespace ToolsTest;
using Zentor::Core::Property;

class CloneToolTest : public ToolsFixture {
 protected:
  CloneToolTest() {
    paintTools.CloneModeOn(20, 0);
    ON_CALL(fake, PaintInit(_)).WillByDefault([this](const Property& settings) { inits.push_back(settings); });
  }
  std::vector<Property> inits;
};

TEST_F(CloneToolTest, TheSourceIsChosenWithoutTheDrawerAndTheNextClickSendsTheTruncatedOffset) {
  Click(Viewport(), QPoint(100, 100), Qt::AltModifier);
  Send(Viewport(), QEvent::MouseButtonDblClick, QPoint(100, 100), Qt::AltModifier);
  Send(Viewport(), QEvent::MouseButtonRelease, QPoint(100, 100), Qt::AltModifier);
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(inits.empty());

  Click(Viewport(), QPoint(100, 100));
  ASSERT_EQ(inits.size(), 1u);
  EXPECT_EQ(inits[0].GetName(), IGlimraDrawer::CLASS_ID);
  EXPECT_EQ(inits[0][IGlimraDrawer::TAG_PAINT_TYPE].GetString(), IGlimraDrawer::PAINT_CLONE);
  EXPECT_EQ(inits[0][IGlimraDrawer::OFFSET_X].GetInt64(), 0);
  EXPECT_EQ(inits[0][IGlimraDrawer::OFFSET_Y].GetInt64(), 0);
  EXPECT_FALSE(inits[0].ChildExists(IGlimraDrawer::OPACITY));
  // Configured: the press starts the scene's stroke.
  EXPECT_EQ(calls, (std::vector<std::string>{Call("start", QPoint(100, 100)), Call("stop", QPoint(100, 100))}));

  // At 1000 % a view pixel is a tenth of a scene pixel: source (10, 10), click (6.3, 12.9).
  view.setTransform(QTransform::fromScale(10, 10));
  const QPoint source = view.mapFromScene(QPointF(10, 10));
  Click(Viewport(), source, Qt::AltModifier);
  const QPoint target = source + QPoint(-37, 29);
  ASSERT_EQ(view.mapToScene(target), QPointF(6.3, 12.9));
  Click(Viewport(), target);
  ASSERT_EQ(inits.size(), 2u);
  EXPECT_EQ(inits[1][IGlimraDrawer::OFFSET_X].GetInt64(), -3);
  EXPECT_EQ(inits[1][IGlimraDrawer::OFFSET_Y].GetInt64(), 2);
}

#ifdef Q_OS_LINUX
// Window managers commonly take Alt and a click for themselves; Ctrl always reaches the program.
const char* const SOURCE_KEY = "Ctrl";
#else
const char* const SOURCE_KEY = "Alt";
#endif

TEST_F(CloneToolTest, AClickWithoutASourceAlertsOnceAndStartsNoStroke) {
  Click(Viewport(), QPoint(50, 50));
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(TestSupport::Alerts().size(), 1u);
  const QString text = TestSupport::Alerts()[0].text;
  EXPECT_TRUE(text.contains(QString(SOURCE_KEY) + " ")) << text.toStdString();
  EXPECT_FALSE(text.contains(QString(SOURCE_KEY) + "+")) << text.toStdString();
  const auto* clone = dynamic_cast<const Zentor::Glimra::IToolTipProvider*>(tool->GetCurrentDrawingTool().get());
  ASSERT_TRUE(clone);
  const QString hint = clone->GetDescription();
  EXPECT_TRUE(hint.startsWith(QString("Hold down the ") + SOURCE_KEY + " key")) << hint.toStdString();

  // Esc drops a chosen source: the next click alerts again.
  Click(Viewport(), QPoint(60, 60), Qt::AltModifier);
  tool->cancelDrawing();
  Click(Viewport(), QPoint(50, 50));
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(TestSupport::Alerts().size(), 2u);
}

#ifdef Q_OS_LINUX
TEST_F(CloneToolTest, CtrlAndAClickAlsoChooseTheSource) {
  Click(Viewport(), QPoint(100, 100), Qt::ControlModifier);
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(TestSupport::Alerts().empty());
  Click(Viewport(), QPoint(110, 95));
  ASSERT_EQ(inits.size(), 1u);
  EXPECT_EQ(inits[0][IGlimraDrawer::OFFSET_X].GetInt64(), 10);
  EXPECT_EQ(inits[0][IGlimraDrawer::OFFSET_Y].GetInt64(), -5);
}
#endif

// Pixels of the image near the circle of radius r around the centre whose colour passes the test.
int RingPixels(const QImage& image, QPoint centre, int r, bool (*colour)(QColor)) {
  int count = 0;
  for (int y = centre.y() - r - 2; y <= centre.y() + r + 2; ++y) {
    for (int x = centre.x() - r - 2; x <= centre.x() + r + 2; ++x) {
      const double d = std::hypot(x - centre.x(), y - centre.y());
      if (std::abs(d - r) <= 1.5 && image.valid(x, y) && colour(image.pixelColor(x, y))) ++count;
    }
  }
  return count;
}

bool Red(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
bool Green(QColor c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; }

TEST_F(CloneToolTest, GuidesAreRedOnTheSourceAndGreenOnTheCursor) {
  Property brush(IGlimraBrush::CLASS_ID);
  brush.SetChildT(Zentor::Conf::IFormatCodecVideo::TAG_WIDTH, 40LL);
  ON_CALL(fake, GetBrushSettings()).WillByDefault(testing::ReturnRef(brush));
  const QPoint source(60, 60), cursor(200, 120);
  Click(Viewport(), source, Qt::AltModifier);
  QCursor::setPos(Viewport()->mapToGlobal(cursor));
  ASSERT_EQ(Viewport()->mapFromGlobal(QCursor::pos()), cursor);

  const QImage shot = Viewport()->grab().toImage();
  EXPECT_GT(RingPixels(shot, source, 20, Red), 40);
  EXPECT_EQ(RingPixels(shot, source, 20, Green), 0);
  EXPECT_GT(RingPixels(shot, cursor, 20, Green), 40);
  EXPECT_EQ(RingPixels(shot, cursor, 20, Red), 0);
}

// Pixels in the square of the given half-side around the centre that are not black.
int LitPixels(const QImage& image, QPoint centre, int half) {
  int count = 0;
  for (int y = centre.y() - half; y <= centre.y() + half; ++y) {
    for (int x = centre.x() - half; x <= centre.x() + half; ++x) count += image.pixelColor(x, y) != Qt::black;
  }
  return count;
}

TEST_F(CloneToolTest, TheSourceMarkerShowsDuringAStrokeOnlyWhileTheSourceIsVisible) {
  const QPoint source(40, 60), stroke(140, 60);
  Click(Viewport(), source, Qt::AltModifier);
  Send(Viewport(), QEvent::MouseButtonPress, stroke);
  EXPECT_GT(LitPixels(Viewport()->grab().toImage(), source, 8), 10);
  EXPECT_EQ(LitPixels(Viewport()->grab().toImage(), stroke, 8), 0);

  // The source 100 pixels left of a stroke at x 60 lies outside the viewport: the marker goes.
  Send(Viewport(), QEvent::MouseMove, QPoint(60, 60));
  EXPECT_EQ(LitPixels(Viewport()->grab().toImage(), source, 8), 0);
  Send(Viewport(), QEvent::MouseMove, stroke);
  EXPECT_GT(LitPixels(Viewport()->grab().toImage(), source, 8), 10);
  Send(Viewport(), QEvent::MouseButtonRelease, stroke);
  EXPECT_EQ(LitPixels(Viewport()->grab().toImage(), source, 8), 0);
}

}  // namespace
