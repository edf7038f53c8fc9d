// The crop tool through the view over the fake engine: the rectangle sent, handles, the cancel
// statistic and the mouse tracking it leaves behind.
#include "ToolsTestSupport.h"

#include "Proc/Interfaces/IEffectCrop.h"

#include <QImage>

#include <array>

namespace {

using namespace ToolsTest;
using Zentor::Core::Property;
using Zentor::Proc::IEffectCrop;
using Rect = std::array<long long, 4>;

class CropToolTest : public ToolsFixture {
 protected:
  CropToolTest() {
    ON_CALL(fake, ApplyEffect(_, _)).WillByDefault([this](const Property& settings, bool wait) {
      EXPECT_FALSE(wait);
      EXPECT_EQ(settings.GetName(), IEffectCrop::CLASS_ID);
      crops.push_back({settings[IEffectCrop::OFFSET_X].GetInt64(), settings[IEffectCrop::OFFSET_Y].GetInt64(),
                       settings[IEffectCrop::WIDTH].GetInt64(), settings[IEffectCrop::HEIGHT].GetInt64()});
    });
    paintTools.CropModeOn();
  }
  void Apply() { QTest::keyClick(&view, Qt::Key_Enter); }
  // A fresh crop tool.
  void Restart() {
    paintTools.BrushModeOn(10);
    paintTools.CropModeOn();
  }

  std::vector<Rect> crops;
};

TEST_F(CropToolTest, ClicksDragsAndFlippedHandlesGiveNormalisedRectangles) {
  Click(Viewport(), QPoint(50, 40));
  Apply();
  Restart();
  Drag(Viewport(), QPoint(20, 10), QPoint(80, 60));
  Apply();
  Restart();
  Drag(Viewport(), QPoint(80, 60), QPoint(20, 10));
  Apply();

  // The bottom-right handle dragged past the top-left corner; after the release the handles
  // sit on the normalised rectangle, so its new bottom-right corner is grabbed next.
  Restart();
  Drag(Viewport(), QPoint(20, 10), QPoint(80, 60));
  Drag(Viewport(), QPoint(80, 60), QPoint(10, 5));
  Drag(Viewport(), QPoint(20, 10), QPoint(30, 20));
  Apply();
  EXPECT_EQ(crops, (std::vector<Rect>{{50, 40, 1, 1}, {20, 10, 60, 50}, {20, 10, 60, 50}, {10, 5, 20, 15}}));
  EXPECT_TRUE(calls.empty());
}

// Whether a white pixel lies on the row just inside the frame's top edge, around the edge's middle.
bool EdgeHandleShown(const QImage& shot, int middle, int top) {
  for (int x = middle - 3; x <= middle + 3; ++x) {
    if (shot.pixelColor(x, top + 3) == Qt::white) return true;
  }
  return false;
}

TEST_F(CropToolTest, EdgeHandlesShowFromAFrame24PixelsWide) {
  Drag(Viewport(), QPoint(20, 10), QPoint(42, 60));  // 23 view pixels wide
  EXPECT_FALSE(EdgeHandleShown(Viewport()->grab().toImage(), 31, 10));
  Restart();
  Drag(Viewport(), QPoint(20, 10), QPoint(43, 60));
  EXPECT_TRUE(EdgeHandleShown(Viewport()->grab().toImage(), 31, 10));
}

TEST_F(CropToolTest, LeavingUnappliedCountsOneCancelAndLeavesNoTracking) {
  std::vector<std::string> canceled;
  QObject::connect(&paintTools, &PaintTools::effectCanceled, &view,
                   [&canceled](std::string effect) { canceled.push_back(effect); });
  EXPECT_TRUE(Viewport()->hasMouseTracking());
  Drag(Viewport(), QPoint(20, 10), QPoint(80, 60));
  paintTools.BrushModeOn(10);
  EXPECT_EQ(canceled, std::vector<std::string>{IEffectCrop::CLASS_ID});
  EXPECT_FALSE(Viewport()->hasMouseTracking());

  paintTools.CropModeOn();
  Drag(Viewport(), QPoint(20, 10), QPoint(80, 60));
  Apply();
  paintTools.BrushModeOn(10);
  EXPECT_EQ(canceled.size(), 1u);
  EXPECT_EQ(crops.size(), 1u);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
