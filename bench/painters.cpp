// Paints a 500-point stroke with a 100-pixel soft round brush on a 24-megapixel picture and
// prints the time per Paint call (the program calls it on every mouse move) and of the stroke's
// end (the last Paint and the commit), for the selection brush and the clone stamp.
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

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace Zentor;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t WIDTH = 6000;
constexpr uint32_t HEIGHT = 4000;
constexpr int POINTS = 500;
constexpr long long BRUSH = 100;

double Ms(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

// A wavy stroke across the picture, about 10 px between mouse positions.
std::vector<std::pair<uint32_t, uint32_t>> StrokePoints() {
  std::vector<std::pair<uint32_t, uint32_t>> points;
  for (int i = 0; i < POINTS; ++i) {
    const double x = 500 + i * 10.0;
    const double y = HEIGHT / 2 + 800 * std::sin(i / 40.0);
    points.emplace_back(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
  }
  return points;
}

void Run(const char* name, const Core::Property& paintSettings, const Glimra::GlimraBrushPtr& brush,
         const Glimra::GlimraUndoPtr& undo, const Proc::TwoInputEffectPtr& blend,
         const Proc::OneInputEffectPtr& extractor, const Proc::TwoInputEffectPtr& inserter) {
  const auto points = StrokePoints();
  auto start = Clock::now();
  auto painter = Glimra::GlimraPainterImpl::Create(paintSettings, brush, undo, blend, extractor, inserter);
  painter->Paint(points[0].first, points[0].second);
  const double paintStart = Ms(start);
  std::vector<double> times;
  for (int i = 1; i + 1 < POINTS; ++i) {
    start = Clock::now();
    painter->Paint(points[i].first, points[i].second);
    times.push_back(Ms(start));
  }
  start = Clock::now();
  painter->Paint(points.back().first, points.back().second);
  painter->Save();
  const double paintStop = Ms(start);
  start = Clock::now();
  painter->GetVideo();
  const double getVideo = Ms(start);
  painter.reset();

  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  double total = 0;
  for (double t : times) total += t;
  std::printf("%-16s PaintStart %7.2f ms | Paint mean %6.3f ms, median %6.3f, p99 %6.3f, max %6.3f (%zu calls) | "
              "PaintStop %7.2f ms | GetVideo %7.2f ms\n",
              name, paintStart, total / times.size(), sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100],
              sorted.back(), times.size(), paintStop, getVideo);
}

}  // namespace

int main() {
  const boost::filesystem::path folder =
      boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("painters-bench-%%%%-%%%%");
  boost::filesystem::create_directories(folder);
  {
    int counter = 0;
    auto undo = Glimra::IGlimraUndo::Create(folder.string() + "/", "bench",
                                            [&counter] { return "swap" + std::to_string(++counter); });
    Proc::DataVideoPtr picture = Proc::DataVideoFF::Create(AV_PIX_FMT_BGRA, WIDTH, HEIGHT);
    auto& p = picture->GetPicture();
    for (uint32_t y = 0; y < HEIGHT; ++y)
      for (uint32_t x = 0; x < WIDTH * 4; ++x) p.data[0][size_t(y) * p.linesize[0] + x] = uint8_t(x * 7 + y * 3);
    undo->Add(Core::Property(Glimra::IGlimraUndo::TAG_FRAME_INFO), picture, Proc::DataVideoPtr());
    picture.reset();

    auto factory = Core::CoreManager::Instance().GetEffectFactory();
    auto blend = factory->CreateTwoInputVideo(Proc::IBlend::CLASS_ID, Proc::ImplNames::DEFAULT);
    auto extractor = factory->CreateOneInputVideo(Proc::IExtraAlphaExtractor::CLASS_ID, Proc::ImplNames::DEFAULT);
    auto inserter = factory->CreateTwoInputVideo(Proc::IAlphaInserter::CLASS_ID, Proc::ImplNames::DEFAULT);

    Core::Property brushSettings(Glimra::IGlimraBrush::CLASS_ID);
    brushSettings.SetChildT(Glimra::IGlimraBrush::TAG_BRUSH_TYPE, Glimra::IGlimraBrush::CIRCLE);
    brushSettings.SetChildT(Conf::IFormatCodecVideo::TAG_WIDTH, BRUSH);
    brushSettings.SetChildT(Conf::IFormatCodecVideo::TAG_HEIGHT, BRUSH);
    brushSettings.SetChildT(Glimra::IGlimraBrush::SMOOTH, 50LL);
    auto brush = Glimra::GlimraBrush::Create(brushSettings);

    std::printf("%u x %u BGRA picture, %d-point stroke, %lld-px soft round brush\n", WIDTH, HEIGHT, POINTS, BRUSH);
    Core::Property selection(Glimra::IGlimraDrawer::CLASS_ID);
    selection.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, Glimra::IGlimraDrawer::SEL_BRUSH);
    Run("selection brush", selection, brush, undo, blend, extractor, inserter);
    Run("(over selection)", selection, brush, undo, blend, extractor, inserter);
    Core::Property eraser(Glimra::IGlimraDrawer::CLASS_ID);
    eraser.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, Glimra::IGlimraDrawer::SEL_ERASER);
    Run("eraser", eraser, brush, undo, blend, extractor, inserter);
    Core::Property clone(Glimra::IGlimraDrawer::CLASS_ID);
    clone.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, Glimra::IGlimraDrawer::PAINT_CLONE);
    clone.SetChildT(Glimra::IGlimraDrawer::OFFSET_X, 300LL);
    clone.SetChildT(Glimra::IGlimraDrawer::OFFSET_Y, -200LL);
    Run("clone stamp", clone, brush, undo, blend, extractor, inserter);
  }
  boost::system::error_code ignored;
  boost::filesystem::remove_all(folder, ignored);
  return 0;
}
