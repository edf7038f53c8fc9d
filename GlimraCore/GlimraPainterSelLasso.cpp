#include "GlimraCore/GlimraPainterSelLasso.h"

#include "Core/Interfaces/Property.h"
#include "Platform/Bedrock/Statistics.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffectFloodFill.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Zentor {
namespace Glimra {

using Proc::CropInfo;
using Proc::DataVideoPtr;

namespace {

int32_t Bounded(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, -GlimraPainterSelLasso::MAX_COORDINATE,
                                                  GlimraPainterSelLasso::MAX_COORDINATE));
}

}  // namespace

GlimraPainterSelLasso::GlimraPainterSelLasso(const GlimraUndoPtr& undo) : GlimraPainterImpl(undo) {}

PaintPatch GlimraPainterSelLasso::Paint(uint32_t x, uint32_t y) {
  // Positions left or above the picture arrive as large unsigned values.
  points_.emplace_back(Bounded(int64_t(static_cast<int32_t>(x)) + 1), Bounded(int64_t(static_cast<int32_t>(y)) + 1));
  return EmptyPatch();
}

void GlimraPainterSelLasso::GetPointsCompact(Points& out) const {
  out.clear();
  if (points_.size() < 2) return;
  Point prev = points_.front();
  for (size_t n = 1; n < points_.size(); ++n) {
    const Point& q = points_[n];
    const int64_t dx = int64_t(q.first) - prev.first;
    const int64_t dy = int64_t(q.second) - prev.second;
    const int64_t d = static_cast<int64_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    out.push_back(prev);
    Point last = prev;
    for (int64_t k = 1; k <= d; ++k) {
      const Point p(static_cast<int32_t>(prev.first + dx * k / d), static_cast<int32_t>(prev.second + dy * k / d));
      if (p == last) continue;
      out.push_back(p);
      last = p;
    }
    prev = q;
  }
}

void GlimraPainterSelLasso::PaintImpl(Point& point, Proc::IDataVideo& outline, int32_t width, int32_t height,
                                      CropInfo& bounds) {
  if (point.first < 0) point.first = 0;
  if (point.second < 0) point.second = 0;
  if (point.first >= width) point.first = width - 1;
  if (point.second >= height) point.second = height - 1;
  Proc::Picture& p = outline.GetPicture();
  p.data[0][int64_t(point.second) * p.linesize[0] + point.first] = 128;
  Grow(bounds, static_cast<uint32_t>(point.first), static_cast<uint32_t>(point.second));
}

CropInfo GlimraPainterSelLasso::PaintImpl(const Points& chain, Proc::IDataVideo& outline) {
  const int32_t width = static_cast<int32_t>(outline.GetWidth());
  const int32_t height = static_cast<int32_t>(outline.GetHeight());
  CropInfo bounds = EmptyRect(outline.GetWidth(), outline.GetHeight());
  if (chain.empty() || width <= 0 || height <= 0) return bounds;
  for (size_t n = 1; n < chain.size(); ++n) {
    Point start = chain[n - 1];
    const Point& q = chain[n];
    const int64_t steps = std::llabs(int64_t(start.first) - q.first) + std::llabs(int64_t(start.second) - q.second);
    PaintImpl(start, outline, width, height, bounds);
    Point last = start;
    for (int64_t k = 1; k <= steps; ++k) {
      Point p(static_cast<int32_t>(start.first + (int64_t(q.first) - start.first) * k / steps),
              static_cast<int32_t>(start.second + (int64_t(q.second) - start.second) * k / steps));
      if (p == last) continue;
      PaintImpl(p, outline, width, height, bounds);
      last = p;
    }
  }
  return bounds;
}

bool GlimraPainterSelLasso::FindSeed(const Proc::IDataVideo& outline, uint32_t& x, uint32_t& y) {
  const uint32_t w = outline.GetWidth();
  const uint32_t h = outline.GetHeight();
  if (w == 0 || h == 0) return false;
  const Proc::Picture& p = outline.GetPicture();
  auto at = [&](uint32_t cx, uint32_t cy) { return p.data[0][size_t(cy) * p.linesize[0] + cx]; };
  for (uint32_t row : {0u, h - 1}) {
    for (uint32_t cx = 0; cx < w; ++cx) {
      if (at(cx, row) == 255) {
        x = cx;
        y = row;
        return true;
      }
    }
  }
  for (uint32_t column : {0u, w - 1}) {
    for (uint32_t cy = 0; cy < h; ++cy) {
      if (at(column, cy) == 255) {
        x = column;
        y = cy;
        return true;
      }
    }
  }
  return false;
}

void GlimraPainterSelLasso::Save() {
  // The outline must arrive closed: its last point equal to its first.
  if (points_.size() < 4 || points_.front() != points_.back()) return;
  Core::PerformanceTimer timer;
  ++paintedCount_;
  DataVideoPtr alpha = CreateAlpha(false);
  const uint32_t width = alpha->GetWidth();
  const uint32_t height = alpha->GetHeight();
  Points chain;
  GetPointsCompact(chain);
  const bool inside = std::any_of(chain.begin(), chain.end(), [&](const Point& p) {
    return p.first > 0 && int64_t(p.first) <= width && p.second > 0 && int64_t(p.second) <= height;
  });
  if (!inside) return;

  DataVideoPtr outline = Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width + 2, height + 2, alpha->GetAspectX(),
                                                   alpha->GetAspectY());
  std::memset(outline->GetPicture().data[0], 255, size_t(outline->GetPicture().linesize[0]) * (height + 2));
  CropInfo r = PaintImpl(chain, *outline);
  chain = Points();

  // Flood the outside from every part of the frame that the outline cut off from the rest.
  Proc::OneInputEffectPtr fill = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
      Proc::IEffectFloodFill::CLASS_ID, Proc::ImplNames::DEFAULT);
  Core::Property settings{std::string(Proc::IEffectFloodFill::CLASS_ID)};
  settings.SetChildT(Proc::IEffectFloodFill::COLOR, 0LL);
  uint32_t sx = 0, sy = 0;
  while (FindSeed(*outline, sx, sy)) {
    settings.SetChildT(Proc::IEffectFloodFill::SEED_X, static_cast<long long>(sx));
    settings.SetChildT(Proc::IEffectFloodFill::SEED_Y, static_cast<long long>(sy));
    fill->SetSettings(settings);
    fill->Process(outline);
    if (!outline || outline->GetWidth() != width + 2 || outline->GetHeight() != height + 2 ||
        outline->GetPixelFormat() != AV_PIX_FMT_GRAY8) {
      ZENTOR_THROW_DESC(Proc::EffectException, "The flood fill returned a frame of another shape");
    }
    const Proc::Picture& p = outline->GetPicture();
    if (p.data[0][size_t(sy) * p.linesize[0] + sx] == 255) {
      // A fill that does not clear its seed would never end.
      ZENTOR_THROW_DESC(Proc::EffectException, "The flood fill did not reach its seed");
    }
  }
  outline->Limit(1, 1, width, height);

  if (r.left != 0) r.left -= 1;
  if (r.top != 0) r.top -= 1;
  if (r.right > width) r.right = width;
  if (r.bottom > height) r.bottom = height;

  const Proc::Picture& o = outline->GetPicture();
  Proc::Picture& a = alpha->GetPicture();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* from = o.data[0] + size_t(y) * o.linesize[0];
    uint8_t* to = a.data[0] + size_t(y) * a.linesize[0];
    for (uint32_t x = 0; x < width; ++x) {
      if (from[x] != 0) to[x] = IGlimraBrush::DEFAULT_COEFFICIENT;
    }
  }
  const int64_t elapsed = timer.Elapsed();
  paintingTime_ += elapsed;
  totalTime_ += elapsed;
  undo_->AddMask(alpha, r);
}

}  // namespace Glimra
}  // namespace Zentor
