// The lasso and polygon tools through the view over the fake engine: the stroke calls, the
// closing distance in view pixels, the double-click and Esc.
#include "ToolsTestSupport.h"

namespace {

using namespace ToolsTest;

using OutlineToolsTest = ToolsFixture;

TEST_F(OutlineToolsTest, ALassoClickIsAClosedOnePointStroke) {
  paintTools.LassoModeOn();
  const QPoint p(40, 30);
  // The second click of a double-click and its release, with no point recorded, do nothing.
  Click(Viewport(), p);
  Send(Viewport(), QEvent::MouseButtonDblClick, p);
  Send(Viewport(), QEvent::MouseButtonRelease, p);
  EXPECT_EQ(calls, (std::vector<std::string>{Call("start", p), Call("paint", p), Call("stop", p)}));
}

TEST_F(OutlineToolsTest, PolygonClosesWithinTheClosingDistanceInViewPixelsFromThreeVertices) {
  paintTools.PolygonModeOn();
  const QPoint a(50, 50), b(150, 50), c(150, 150);
  // Two vertices: a click 20 view pixels from the first adds a vertex.
  view.setTransform(QTransform::fromScale(0.5, 0.5));
  Click(Viewport(), a);
  Click(Viewport(), b);
  Click(Viewport(), a + QPoint(0, 20));
  // Three: it closes, at 50 % too, where 20 view pixels are 40 scene pixels.
  Click(Viewport(), a + QPoint(20, 0));
  EXPECT_EQ(calls, (std::vector<std::string>{Call("start", a), Call("paint", b), Call("paint", a + QPoint(0, 20)),
                                              Call("stop", a)}));

  // At 200 % a click 30 view pixels away, 15 scene pixels, adds a vertex.
  calls.clear();
  view.setTransform(QTransform::fromScale(2, 2));
  Click(Viewport(), a);
  Click(Viewport(), b);
  Click(Viewport(), c);
  Click(Viewport(), a + QPoint(30, 0));
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[3], Call("paint", a + QPoint(30, 0)));
}

TEST_F(OutlineToolsTest, PolygonDoubleClickClosesAndEscEndsNextToTheStart) {
  paintTools.PolygonModeOn();
  const QPoint a(50, 50), b(150, 50), c(150, 150);
  Click(Viewport(), a);
  Click(Viewport(), b);
  Send(Viewport(), QEvent::MouseButtonPress, c);
  Send(Viewport(), QEvent::MouseButtonRelease, c);
  Send(Viewport(), QEvent::MouseButtonDblClick, c);
  Send(Viewport(), QEvent::MouseButtonRelease, c);
  EXPECT_EQ(calls, (std::vector<std::string>{Call("start", a), Call("paint", b), Call("paint", c),
                                              Call("paint", c), Call("stop", a)}));
  EXPECT_FALSE(Viewport()->hasMouseTracking());

  calls.clear();
  for (QPoint p : {a, b, c, QPoint(50, 150)}) Click(Viewport(), p);
  EXPECT_TRUE(Viewport()->hasMouseTracking());
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  QTest::keyClick(&view, Qt::Key_Escape);
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[4], Call("stop", view.mapToScene(a) + QPointF(1, 0)));
  EXPECT_FALSE(Viewport()->hasMouseTracking());
  // Nothing is under way any more: a second Esc sends nothing.
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_EQ(calls.size(), 5u);
}

}  // namespace
