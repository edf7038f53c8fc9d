// An undo store holding one picture, the engine's three blending effects, brushes and settings
// for the painter tests.
#pragma once

#include "support/FrameSupport.h"

#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraBrush.h"
#include "GlimraCore/GlimraPainter.h"
#include "GlimraCore/IGlimraCore.h"
#include "GlimraCore/IGlimraUndo.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IAlphaInserter.h"
#include "Proc/Interfaces/IBlend.h"
#include "Proc/Interfaces/IExtraAlphaExtractor.h"

#include <boost/filesystem.hpp>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace PainterTest {

using Zentor::Core::Property;
using Zentor::Proc::CropInfo;
using Zentor::Proc::DataVideoPtr;
namespace Glimra = Zentor::Glimra;
using TestSupport::CountNonZero;
using TestSupport::SamePixels;

inline uint8_t At(const DataVideoPtr& frame, uint32_t x, uint32_t y, int component = 0, int bytesPerPixel = 1) {
  const auto& p = frame->GetPicture();
  return p.data[0][size_t(y) * p.linesize[0] + size_t(x) * bytesPerPixel + component];
}

inline void Set(const DataVideoPtr& frame, uint32_t x, uint32_t y, uint8_t value) {
  auto& p = frame->GetPicture();
  p.data[0][size_t(y) * p.linesize[0] + x] = value;
}

// RGB24 picture whose bytes tell their position: (x * 3 + c + y * 7) mod 256, scaled by seed.
inline DataVideoPtr MakePicture(uint32_t width, uint32_t height, uint8_t seed = 1) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, width, height);
  auto& p = frame->GetPicture();
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width * 3; ++x) p.data[0][size_t(y) * p.linesize[0] + x] = uint8_t(seed * (x + y * 7));
  return frame;
}

inline DataVideoPtr MakeMask(uint32_t width, uint32_t height, const CropInfo& rect, uint8_t value = 90) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width, height);
  for (uint32_t y = rect.top; y < rect.bottom; ++y)
    for (uint32_t x = rect.left; x < rect.right; ++x) Set(frame, x, y, value);
  return frame;
}

// A mask that is null or all zero counts as no selection.
inline bool SameMask(const DataVideoPtr& a, const DataVideoPtr& b) {
  if (!a || !b) return CountNonZero(a) == 0 && CountNonZero(b) == 0;
  return SamePixels(a, b);
}

inline Property BrushSettings(const std::string& type, long long width, long long height = -1, long long smooth = -1) {
  Property settings(Glimra::IGlimraBrush::CLASS_ID);
  settings.SetChildT(Glimra::IGlimraBrush::TAG_BRUSH_TYPE, type);
  settings.SetChildT(Zentor::Conf::IFormatCodecVideo::TAG_WIDTH, width);
  if (height >= 0) settings.SetChildT(Zentor::Conf::IFormatCodecVideo::TAG_HEIGHT, height);
  if (smooth >= 0) settings.SetChildT(Glimra::IGlimraBrush::SMOOTH, smooth);
  return settings;
}

inline Glimra::GlimraBrushPtr Square(long long size) {
  return Glimra::GlimraBrush::Create(BrushSettings(Glimra::IGlimraBrush::SQUARE, size));
}

inline Property PaintSettings(const std::string& type) {
  Property settings(Glimra::IGlimraDrawer::CLASS_ID);
  settings.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, type);
  return settings;
}

inline Property CloneSettings(long long dx, long long dy) {
  Property settings = PaintSettings(Glimra::IGlimraDrawer::PAINT_CLONE);
  settings.SetChildT(Glimra::IGlimraDrawer::OFFSET_X, dx);
  settings.SetChildT(Glimra::IGlimraDrawer::OFFSET_Y, dy);
  return settings;
}

class DrawerCounter : public Glimra::IDrawerEventHandler {
 public:
  void HandleEvent() override { ++events; }
  void HandleEventChangeToSave(bool) override { ++saveEvents; }
  int events = 0;
  int saveEvents = 0;
};

// One opened picture in an undo store of its own, and the engine's blending effects.
class PainterFixture {
 public:
  explicit PainterFixture(uint32_t width = 40, uint32_t height = 30, DataVideoPtr picture = DataVideoPtr())
      : folder_(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("painters-%%%%-%%%%")) {
    boost::filesystem::create_directories(folder_);
    int counter = 0;
    undo = Glimra::IGlimraUndo::Create(folder_.string() + "/", "session",
                                       [counter]() mutable { return "swap" + std::to_string(++counter); });
    original = picture ? picture : MakePicture(width, height);
    undo->Add(Property(Glimra::IGlimraUndo::TAG_FRAME_INFO), original, DataVideoPtr());
    auto factory = Zentor::Core::CoreManager::Instance().GetEffectFactory();
    blend = factory->CreateTwoInputVideo(Zentor::Proc::IBlend::CLASS_ID, Zentor::Proc::ImplNames::DEFAULT);
    extractor =
        factory->CreateOneInputVideo(Zentor::Proc::IExtraAlphaExtractor::CLASS_ID, Zentor::Proc::ImplNames::DEFAULT);
    inserter = factory->CreateTwoInputVideo(Zentor::Proc::IAlphaInserter::CLASS_ID, Zentor::Proc::ImplNames::DEFAULT);
  }
  ~PainterFixture() {
    undo.reset();
    boost::system::error_code ignored;
    boost::filesystem::remove_all(folder_, ignored);
  }

  std::unique_ptr<Glimra::IGlimraPainter> Make(const Property& settings, const Glimra::GlimraBrushPtr& brush) {
    return Glimra::GlimraPainterImpl::Create(settings, brush, undo, blend, extractor, inserter);
  }
  std::unique_ptr<Glimra::IGlimraPainter> Make(const std::string& type, const Glimra::GlimraBrushPtr& brush) {
    return Make(PaintSettings(type), brush);
  }

  // A whole stroke: PaintStart at the first point, Paint at the others, then the commit.
  void Stroke(const std::string& type, const Glimra::GlimraBrushPtr& brush,
              const std::vector<std::pair<uint32_t, uint32_t>>& points) {
    auto painter = Make(type, brush);
    for (const auto& p : points) painter->Paint(p.first, p.second);
    painter->Save();
  }

  boost::filesystem::path folder_;
  Glimra::GlimraUndoPtr undo;
  DataVideoPtr original;
  Zentor::Proc::TwoInputEffectPtr blend;
  Zentor::Proc::OneInputEffectPtr extractor;
  Zentor::Proc::TwoInputEffectPtr inserter;
};

}  // namespace PainterTest
