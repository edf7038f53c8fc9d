// The whole editing road through the engine's interfaces only: open, select, erase the object,
// undo, redo, rotate, flip, crop.
#include "OperationsSupport.h"

#include <cmath>

using namespace OperationsTest;
namespace G = Zentor::Glimra;

namespace {

constexpr int W = 320;
constexpr int H = 240;
constexpr int CX = 160;
constexpr int CY = 120;
constexpr int RADIUS = 15;

// Background of the generated photo (BGR).
cv::Vec3b Background(int x, int y) {
  const double wave = std::sin(x * 0.02) * std::cos(y * 0.03);
  return cv::Vec3b(uchar(110 + 40 * wave), uchar(140 + y / 6), uchar(90 + x / 8));
}

std::string WritePhoto(const TempFolder& folder) {
  cv::Mat picture(H, W, CV_8UC3);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const bool object = (x - CX) * (x - CX) + (y - CY) * (y - CY) <= RADIUS * RADIUS;
      picture.at<cv::Vec3b>(y, x) = object ? cv::Vec3b(200, 30, 30) : Background(x, y);
    }
  }
  const std::string path = folder.File("photo.jpg");
  WriteImage(path, picture, 2);
  return path;
}

// ARGB pixel as one number.
uint32_t Pixel(const Zentor::Proc::IDataVideo& frame, int x, int y) {
  const uint8_t* p = frame.GetPicture().data[0] + ptrdiff_t(y) * frame.GetPicture().linesize[0] + ptrdiff_t(x) * 4;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Mean distance of the object's pixels from the background the generator drew.
double ObjectDistance(const Zentor::Proc::IDataVideo& frame) {
  double sum = 0;
  int count = 0;
  for (int y = CY - 12; y <= CY + 12; ++y) {
    for (int x = CX - 12; x <= CX + 12; ++x) {
      if ((x - CX) * (x - CX) + (y - CY) * (y - CY) > 144) continue;
      const uint32_t p = Pixel(frame, x, y);
      const cv::Vec3b b = Background(x, y);
      sum += std::abs(int((p >> 16) & 0xFF) - b[2]) + std::abs(int((p >> 8) & 0xFF) - b[1]) +
             std::abs(int(p & 0xFF) - b[0]);
      ++count;
    }
  }
  return sum / count / 3;
}

}  // namespace

TEST(EditingRoad, SelectEraseUndoRedoRotateFlipCrop) {
  TempFolder folder;
  Statistics statistics;
  Errors errors;
  const std::string photo = WritePhoto(folder);
  G::IGlimraCore::Initializer init = MakeInit(folder, photo, nullptr);
  init.statisticsHandler = &statistics;
  G::GlimraCorePtr engine = G::IGlimraCore::Create(init);
  boost::intrusive_ptr<Controller> controller(new Controller);
  engine->SetProgressController(controller);
  engine->RegisterCoreEventHandler(&errors);

  const DataVideoPtr original = engine->GetVideo();
  ASSERT_TRUE(original);
  ASSERT_EQ(uint32_t(W), original->GetWidth());
  EXPECT_GT(ObjectDistance(*original), 80.0);

  // Select the object with strokes of a round brush of 16 pixels.
  engine->SetBrush(BrushSettings(16));
  engine->PaintInit(PaintSettings(G::IGlimraDrawer::SEL_BRUSH));
  for (int y = CY - 20; y <= CY + 20; y += 5) {
    engine->PaintStart(CX - 22, y);
    for (int x = CX - 18; x < CX + 22; x += 4) engine->Paint(x, y);
    engine->PaintStop(CX + 22, y);
  }
  ASSERT_TRUE(engine->HasPaintedArea());
  const DataVideoPtr selected = engine->GetVideo();
  // The selection covers the object and lies inside the stroked band.
  const int left = CX - 31, right = CX + 31, top = CY - 29, bottom = CY + 29;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const bool object = (x - CX) * (x - CX) + (y - CY) * (y - CY) <= RADIUS * RADIUS;
      const bool band = x >= left && x < right && y >= top && y < bottom;
      if (object) {
        ASSERT_NE(Pixel(*original, x, y), Pixel(*selected, x, y)) << x << "," << y;
      }
      if (!band) {
        ASSERT_EQ(Pixel(*original, x, y), Pixel(*selected, x, y)) << x << "," << y;
      }
    }
  }

  // Erase it with the G'MIC inpainting; the caller waits.
  engine->ApplyEffect(Preset(Zentor::Proc::IEffectInpaint::CLASS_ID), true);
  ASSERT_EQ(2, controller->WaitForOutcome());
  ASSERT_TRUE(errors.Get().empty());
  EXPECT_FALSE(engine->HasPaintedArea());
  const DataVideoPtr erased = engine->GetVideo();
  EXPECT_LT(ObjectDistance(*erased), 20.0);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const bool band = x >= left && x < right && y >= top && y < bottom;
      if (!band) {
        ASSERT_EQ(Pixel(*original, x, y), Pixel(*erased, x, y)) << x << "," << y;
      }
    }
  }

  engine->Undo();
  EXPECT_TRUE(SamePixels(*selected, *engine->GetVideo()));
  EXPECT_TRUE(engine->HasPaintedArea());
  engine->Redo();
  EXPECT_TRUE(SamePixels(*erased, *engine->GetVideo()));

  // Rotate a quarter clockwise.
  engine->ApplyEffect(RotatePreset(90), false);
  const DataVideoPtr rotated = engine->GetVideo();
  ASSERT_EQ(uint32_t(H), rotated->GetWidth());
  ASSERT_EQ(uint32_t(W), rotated->GetHeight());
  for (int y = 0; y < W; ++y) {
    for (int x = 0; x < H; ++x) ASSERT_EQ(Pixel(*erased, y, H - 1 - x), Pixel(*rotated, x, y)) << x << "," << y;
  }

  // Mirror left to right.
  engine->ApplyEffect(FlipPreset(), false);
  const DataVideoPtr flipped = engine->GetVideo();
  for (int y = 0; y < W; ++y) {
    for (int x = 0; x < H; ++x) ASSERT_EQ(Pixel(*rotated, H - 1 - x, y), Pixel(*flipped, x, y));
  }

  // Crop a part.
  engine->ApplyEffect(CropPreset(10, 20, 100, 50), false);
  const DataVideoPtr cropped = engine->GetVideo();
  ASSERT_EQ(100u, cropped->GetWidth());
  ASSERT_EQ(50u, cropped->GetHeight());
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 100; ++x) ASSERT_EQ(Pixel(*flipped, x + 10, y + 20), Pixel(*cropped, x, y));
  }

  // Back along the road.
  engine->Undo();
  EXPECT_TRUE(SamePixels(*flipped, *engine->GetVideo()));
  engine->Undo();
  engine->Undo();
  EXPECT_TRUE(SamePixels(*erased, *engine->GetVideo()));
  EXPECT_TRUE(engine->HasChange());
  EXPECT_TRUE(errors.Get().empty());
  EXPECT_EQ(1, statistics.Count("EffectInpaint_SUCCESS"));
  EXPECT_EQ(1, statistics.Count("EffectCrop_SUCCESS"));
}
