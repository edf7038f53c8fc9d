// The panel over the real engine with a 24-megapixel photo: each one-click effect and an image
// size change is one undo step, with the expected size and orientation.
#include "EffectsPanelSupport.h"
#include "support/ProgramTestSupport.h"

#include "Engine/PaintTools.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IDataVideo.h"
#include "UI/SimpleEffectsWidget.h"

#include <QAbstractButton>

#include <boost/exception/diagnostic_information.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using Zentor::Glimra::IGlimraCore;
using Zentor::Glimra::PaintTools;
using Zentor::Glimra::SimpleEffectsWidget;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;
using namespace EffectsPanelTest;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;
constexpr int MARK = 200;  // a bright square in the top-left corner shows the orientation

enum Corner { TOP_LEFT, TOP_RIGHT, BOTTOM_LEFT, BOTTOM_RIGHT, NONE };

class EffectsPanelEngineTest : public testing::Test {
 protected:
  EffectsPanelEngineTest() {
    DataVideoPtr picture = DataVideoFF::Create(AV_PIX_FMT_BGR24, W, H);
    const Zentor::Proc::Picture& p = picture->GetPicture();
    for (int y = 0; y < H; ++y) {
      uint8_t* row = p.data[0] + ptrdiff_t(y) * p.linesize[0];
      for (int x = 0; x < W; ++x) {
        const bool mark = x < MARK && y < MARK;
        row[3 * x] = mark ? 250 : uint8_t(20 + x % 40);
        row[3 * x + 1] = mark ? 250 : uint8_t(30 + y % 30);
        row[3 * x + 2] = mark ? 250 : 40;
      }
    }
    const std::string path = folder.File("photo.bmp");
    TestSupport::WriteEncoded(path, picture, TestSupport::CodecPreset(Zentor::Conf::IFormatCodecVideo::CODEC_ID_BMP));
    engine = IGlimraCore::Create(TestSupport::MakeInitializer(folder.Folder(), path, &statistics));
    engine->RegisterCoreEventHandler(&errors);
    tools = new PaintTools(*engine);
    panel.SetPaintTools(tools);
  }
  ~EffectsPanelEngineTest() override {
    delete tools.data();
    for (const auto& error : errors.errors) ADD_FAILURE() << boost::diagnostic_information(error);
  }

  QSize Size() {
    const DataVideoPtr frame = engine->GetVideo();
    return frame ? QSize(int(frame->GetWidth()), int(frame->GetHeight())) : QSize();
  }
  // The corner that holds the bright square.
  Corner Mark() {
    const DataVideoPtr frame = engine->GetVideo();
    if (!frame) return NONE;
    const int bytes = Zentor::Proc::GetPlaneRowBytes(frame->GetPixelFormat(), 0, 1);
    const Zentor::Proc::Picture& p = frame->GetPicture();
    const int w = int(frame->GetWidth()), h = int(frame->GetHeight());
    // Every byte bright: the colour channels and any alpha.
    auto bright = [&](int x, int y) {
      const uint8_t* pixel = p.data[0] + ptrdiff_t(y) * p.linesize[0] + ptrdiff_t(x) * bytes;
      return std::all_of(pixel, pixel + bytes, [](uint8_t value) { return value > 200; });
    };
    // Well inside the square, also once the picture is scaled down.
    const int in = MARK * std::min(w, h) / (4 * std::min(W, H));
    if (bright(in, in)) return TOP_LEFT;
    if (bright(w - 1 - in, in)) return TOP_RIGHT;
    if (bright(in, h - 1 - in)) return BOTTOM_LEFT;
    if (bright(w - 1 - in, h - 1 - in)) return BOTTOM_RIGHT;
    return NONE;
  }
  // Runs the action; expects the size and the mark's corner, and that one undo returns the photo.
  void ExpectOneUndoStep(const std::function<void()>& action, QSize size, Corner corner) {
    ASSERT_FALSE(engine->IsUndoEnabled());
    action();
    EXPECT_EQ(size, Size());
    EXPECT_EQ(corner, Mark());
    ASSERT_TRUE(engine->IsUndoEnabled());
    engine->Undo();
    EXPECT_FALSE(engine->IsUndoEnabled()) << "more than one undo step";
    EXPECT_EQ(QSize(W, H), Size());
    EXPECT_EQ(TOP_LEFT, Mark());
  }

  TestSupport::TempFolder folder{"effectspanel"};
  TestSupport::NoStatistics statistics;
  TestSupport::CoreHandler errors;
  Zentor::Glimra::GlimraCorePtr engine;
  QPointer<PaintTools> tools;
  SimpleEffectsWidget panel;
};

}  // namespace

TEST_F(EffectsPanelEngineTest, EachEffectIsOneUndoStep) {
  ASSERT_EQ(QSize(W, H), Size());
  ASSERT_EQ(TOP_LEFT, Mark());
  auto resize = [this](int width, int height) {
    AnswerResizeDialog(PixelSize(width, height), QDialogButtonBox::Ok);
    panel.GetResizeImageControl()->click();
  };
  ExpectOneUndoStep([&] { resize(1000, 750); }, QSize(1000, 750), TOP_LEFT);
  // Two runs (96 x 64, then 60 x 40), still one undo step.
  ExpectOneUndoStep([&] { resize(60, 40); }, QSize(60, 40), TOP_LEFT);
  ExpectOneUndoStep([this] { panel.GetRotateControl()->click(); }, QSize(H, W), TOP_RIGHT);
  ExpectOneUndoStep([this] { panel.GetVerticalFlipControl()->click(); }, QSize(W, H), TOP_RIGHT);
  ExpectOneUndoStep([this] { panel.GetHorizontalFlipControl()->click(); }, QSize(W, H), BOTTOM_LEFT);
  ExpectOneUndoStep([this] { panel.GetMagicEnhanceControl()->click(); }, QSize(W, H), TOP_LEFT);
}
