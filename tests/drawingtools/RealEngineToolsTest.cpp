// The tools through the view over the real engine: the polygon's selection, a clone stroke and
// its undo, and a crop.
#include "ToolsTestSupport.h"

#include "Proc/Interfaces/IDataVideo.h"

#include <QImage>

#include <boost/exception/diagnostic_information.hpp>

#include <cmath>
#include <cstring>

namespace {

using namespace ToolsTest;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;

constexpr int W = 200;
constexpr int H = 120;

// A copy of a frame's pixels, one byte vector per row.
struct Pixels {
  explicit Pixels(const DataVideoPtr& frame) {
    width = int(frame->GetWidth());
    height = int(frame->GetHeight());
    bytesPerPixel = Zentor::Proc::GetPlaneRowBytes(frame->GetPixelFormat(), 0, 1);
    const Zentor::Proc::Picture& picture = frame->GetPicture();
    for (int y = 0; y < height; ++y) {
      const uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
      rows.emplace_back(row, row + size_t(width) * bytesPerPixel);
    }
  }
  bool Same(const Pixels& other, int x, int y, int otherX, int otherY) const {
    return std::memcmp(&rows[y][size_t(x) * bytesPerPixel], &other.rows[otherY][size_t(otherX) * bytesPerPixel],
                       size_t(bytesPerPixel)) == 0;
  }
  int width, height, bytesPerPixel;
  std::vector<std::vector<uint8_t>> rows;
};

class RealEngineToolsTest : public testing::Test {
 protected:
  RealEngineToolsTest() : folder("drawingtools") {
    RegisterProgramResources();
    TestSupport::Alerts().clear();
    // Every pixel differs from its neighbours, so a copy from elsewhere always shows.
    DataVideoPtr picture = DataVideoFF::Create(AV_PIX_FMT_BGR24, W, H);
    const Zentor::Proc::Picture& p = picture->GetPicture();
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        uint8_t* bgr = p.data[0] + ptrdiff_t(y) * p.linesize[0] + x * 3;
        const bool object = std::hypot(x - 100, y - 60) <= 15;
        bgr[0] = object ? 30 : uint8_t(x);
        bgr[1] = object ? 30 : uint8_t(2 * y);
        bgr[2] = object ? 200 : uint8_t(x + y);
      }
    }
    const std::string path = folder.File("photo.png");
    TestSupport::WriteEncoded(path, picture, TestSupport::CodecPreset(Zentor::Conf::IFormatCodecVideo::CODEC_ID_PNG));
    engine = IGlimraCore::Create(TestSupport::MakeInitializer(folder.Folder(), path, &statistics));
    engine->RegisterCoreEventHandler(&errors);

    scene = std::make_unique<WorkspaceScene>(*engine);
    paintTools = std::make_unique<PaintTools>(*engine);
    scene->setSceneRect(0, 0, W, H);
    view.setFrameShape(QFrame::NoFrame);
    view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view.setScene(scene.get());
    view.resize(300, 200);
    view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SetUniversalDrawingTool(boost::shared_ptr<IDrawingTool>(
        new UniversalDrawingTool(view, *paintTools, view.GetToolTipEngine())));
  }
  ~RealEngineToolsTest() override {
    view.SetUniversalDrawingTool(nullptr);
    for (const auto& error : errors.errors) ADD_FAILURE() << boost::diagnostic_information(error);
  }

  QWidget* Viewport() { return view.viewport(); }

  TestSupport::TempFolder folder;
  TestSupport::StatisticsHandler statistics;
  TestSupport::CoreHandler errors;
  GlimraCorePtr engine;
  std::unique_ptr<WorkspaceScene> scene;
  std::unique_ptr<PaintTools> paintTools;
  WorkspaceView view;
};

TEST_F(RealEngineToolsTest, APolygonAroundTheObjectSelectsWhatItEncloses) {
  paintTools->PolygonModeOn();
  // Esc on an unclosed outline commits nothing.
  for (QPoint p : {QPoint(70, 30), QPoint(130, 30), QPoint(130, 90), QPoint(70, 90)}) Click(Viewport(), p);
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  QTest::keyClick(&view, Qt::Key_Escape);
  EXPECT_FALSE(engine->HasPaintedArea());

  for (QPoint p : {QPoint(70, 30), QPoint(130, 30), QPoint(130, 90), QPoint(70, 90), QPoint(72, 31)}) {
    Click(Viewport(), p);
  }
  ASSERT_TRUE(engine->HasPaintedArea());
  const std::string maskPath = folder.File("mask.pgm");
  engine->SaveMask(maskPath);
  const QImage mask(QString::fromStdString(maskPath));
  ASSERT_EQ(mask.size(), QSize(W, H));
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const bool inside = x >= 70 && x <= 130 && y >= 30 && y <= 90;
      ASSERT_EQ(qGray(mask.pixel(x, y)) != 0, inside) << x << "," << y;
    }
  }
}

TEST_F(RealEngineToolsTest, ACloneStrokeChangesOnlyPixelsUnderItAndUndoesExactly) {
  paintTools->CloneModeOn(10, 0);
  const Pixels before(engine->GetVideo());
  QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::AltModifier, QPoint(40, 60));
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(140, 60), 500);
  QTest::mouseMove(Viewport(), QPoint(160, 60));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(160, 60));
  EXPECT_TRUE(TestSupport::Alerts().empty());

  const Pixels after(engine->GetVideo());
  int changed = 0;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      if (after.Same(before, x, y, x, y)) continue;
      ++changed;
      // Within the brush's reach of the stroke from (140, 60) to (160, 60), copied from 100 pixels left.
      const double reach = std::hypot(x - std::clamp(x, 140, 160), y - 60);
      ASSERT_LE(reach, 7.0) << x << "," << y;
      if (reach <= 3.0) EXPECT_TRUE(after.Same(before, x, y, x - 100, y)) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 150);

  engine->Undo();
  const Pixels undone(engine->GetVideo());
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) ASSERT_TRUE(undone.Same(before, x, y, x, y)) << x << "," << y;
  }
}

TEST_F(RealEngineToolsTest, ACropThroughTheViewGivesTheCroppedPicture) {
  const Pixels before(engine->GetVideo());
  paintTools->CropModeOn();
  Drag(Viewport(), QPoint(20, 10), QPoint(80, 60));
  QTest::keyClick(&view, Qt::Key_Return);
  ASSERT_TRUE(TestSupport::WaitFor([&] {
    const DataVideoPtr frame = engine->GetVideo();
    return frame && frame->GetWidth() == 60u;
  }));
  const Pixels cropped(engine->GetVideo());
  ASSERT_EQ(cropped.height, 50);
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 60; ++x) ASSERT_TRUE(cropped.Same(before, x, y, x + 20, y + 10)) << x << "," << y;
  }
}

}  // namespace
