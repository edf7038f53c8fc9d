#include "GlimraCore/GlimraPainter.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/GlimraPainterClone.h"
#include "GlimraCore/GlimraPainterSelBrush.h"
#include "GlimraCore/GlimraPainterSelLasso.h"
#include "GlimraCore/GlimraPainterSelWand.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Bedrock/Statistics.h"
#include "Platform/Effects/AlphaPlanes.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IBlend.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace Zentor {
namespace Glimra {

using Proc::CropInfo;
using Proc::DataVideoPtr;

IGlimraPainter::~IGlimraPainter() = default;

namespace {

[[noreturn]] void ThrowMissing(const std::string& type, const std::string& what) {
  ZENTOR_THROW(PainterException() << TagTypeID(type)
                                  << TagDescription("Painter " + type + " cannot be made without " + what));
}

// Point of the walk at a step: start + (delta * step) / steps, the division truncating toward zero.
inline int64_t WalkPoint(int64_t start, int64_t delta, int64_t step, int64_t steps) {
  return start + static_cast<int64_t>(static_cast<__int128>(delta) * step / steps);
}

// First step in [0, steps] that satisfies a predicate that is false and then true along the
// walk; steps + 1 when none does.
template <class Predicate>
int64_t FirstStep(int64_t steps, Predicate predicate) {
  int64_t lo = 0;
  int64_t hi = steps + 1;
  while (lo < hi) {
    const int64_t mid = lo + (hi - lo) / 2;
    if (predicate(mid)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

// The steps whose coordinate lies in [lo, hi]: the walk's coordinate is monotonic, so they form
// one run [first, last] (empty when first > last).
void StepRange(int64_t start, int64_t delta, int64_t steps, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
  auto at = [&](int64_t step) { return WalkPoint(start, delta, step, steps); };
  if (delta >= 0) {
    first = FirstStep(steps, [&](int64_t s) { return at(s) >= lo; });
    last = FirstStep(steps, [&](int64_t s) { return at(s) > hi; }) - 1;
  } else {
    first = FirstStep(steps, [&](int64_t s) { return at(s) <= hi; });
    last = FirstStep(steps, [&](int64_t s) { return at(s) < lo; }) - 1;
  }
}

struct ProfileEntry {
  int64_t dx;
  int64_t dy;
  uint8_t value;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// GlimraPainterImpl

GlimraPainterImpl::GlimraPainterImpl(const GlimraUndoPtr& undo) : undo_(undo) {}

std::unique_ptr<IGlimraPainter> GlimraPainterImpl::Create(const Core::Property& settings, const GlimraBrushPtr& brush,
                                                          const GlimraUndoPtr& undo,
                                                          const Proc::TwoInputEffectPtr& blend,
                                                          const Proc::OneInputEffectPtr& alphaExtractor,
                                                          const Proc::TwoInputEffectPtr& alphaInserter) {
  if (settings.GetName() != IGlimraDrawer::CLASS_ID) {
    ZENTOR_THROW(PainterException() << TagClassID(settings.GetName())
                                    << TagDescription("Painter was initialized with incorrect class (" +
                                                      settings.GetName() + ")!"));
  }
  const std::string type = Core::GetValue<std::string>(settings[IGlimraDrawer::TAG_PAINT_TYPE]);
  const bool stamp = type == IGlimraDrawer::SEL_BRUSH || type == IGlimraDrawer::SEL_ERASER ||
                     type == IGlimraDrawer::PAINT_CLONE;
  const bool known = stamp || type == IGlimraDrawer::SEL_LASSO || type == IGlimraDrawer::SEL_POLYGON ||
                     type == IGlimraDrawer::SEL_WAND;
  if (!known) {
    ZENTOR_THROW(PainterException() << TagTypeID(type) << TagDescription("Unknown painter type (" + type + ")!"));
  }
  if (!undo) ThrowMissing(type, "an undo store");
  if ((stamp || type == IGlimraDrawer::SEL_WAND) && !brush) ThrowMissing(type, "a brush");
  if (stamp && (!blend || !alphaExtractor || !alphaInserter)) ThrowMissing(type, "its blending effects");

  if (type == IGlimraDrawer::SEL_BRUSH) {
    return std::make_unique<GlimraPainterSelBrush>(brush, undo, blend, alphaExtractor, alphaInserter);
  }
  if (type == IGlimraDrawer::SEL_ERASER) {
    return std::make_unique<GlimraPainterSelEraser>(brush, undo, blend, alphaExtractor, alphaInserter);
  }
  if (type == IGlimraDrawer::SEL_WAND) return std::make_unique<GlimraPainterSelWand>(undo, brush);
  if (type == IGlimraDrawer::PAINT_CLONE) {
    return std::make_unique<GlimraPainterClone>(settings, brush, undo, blend, alphaExtractor, alphaInserter);
  }
  return std::make_unique<GlimraPainterSelLasso>(undo);
}

Core::Property GlimraPainterImpl::GetStatistic() const {
  Core::Property result = Core::MakeStatistics("GetStatistic", totalTime_, static_cast<uint64_t>(totalCount_));
  result.CreateChildT("Painting time", static_cast<double>(paintingTime_) / 1e6);
  result.CreateChildT("Painted count", static_cast<long long>(paintedCount_));
  result.CreateChildT("Patching time", static_cast<double>(patchingTime_) / 1e6);
  result.CreateChildT("Patched count", static_cast<long long>(patchedCount_));
  return result;
}

DataVideoPtr GlimraPainterImpl::CurrentVideo() const {
  DataVideoPtr frame = undo_->GetVideo();
  if (!frame) ZENTOR_THROW_DESC(PainterException, "There is no picture to paint on");
  return frame;
}

DataVideoPtr GlimraPainterImpl::CreateAlpha(bool fresh) const {
  const DataVideoPtr frame = CurrentVideo();
  if (!fresh) {
    const DataVideoPtr mask = undo_->GetMask();
    if (mask) {
      if (mask->GetPixelFormat() != AV_PIX_FMT_GRAY8 || mask->GetWidth() != frame->GetWidth() ||
          mask->GetHeight() != frame->GetHeight()) {
        ZENTOR_THROW_DESC(PainterException, "The selection mask does not match the picture");
      }
      return mask->CreateCopy();
    }
  }
  return Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, frame->GetWidth(), frame->GetHeight(), frame->GetAspectX(),
                                   frame->GetAspectY());
}

DataVideoPtr GlimraPainterImpl::BlendImpl(const DataVideoPtr& source, const DataVideoPtr& alpha, const CropInfo& r,
                                          const Proc::TwoInputEffectPtr& blend,
                                          const Proc::OneInputEffectPtr& alphaExtractor,
                                          const Proc::TwoInputEffectPtr& alphaInserter, const DataVideoPtr& picture,
                                          int32_t ox, int32_t oy) {
  DataVideoPtr result = source->CreateCopy();
  // Only the part that lies inside both the source and the alpha is blended.
  CropInfo area = r;
  area.right = std::min({area.right, source->GetWidth(), alpha->GetWidth()});
  area.bottom = std::min({area.bottom, source->GetHeight(), alpha->GetHeight()});
  if (area.IsEmpty()) return result;
  const uint32_t width = area.right - area.left;
  const uint32_t height = area.bottom - area.top;

  DataVideoPtr alphaView = alpha->CreateView();
  alphaView->Limit(area.left, area.top, width, height);
  const int64_t px = int64_t(area.left) - ox;
  const int64_t py = int64_t(area.top) - oy;
  if (px < 0 || py < 0 || px + width > picture->GetWidth() || py + height > picture->GetHeight()) {
    ZENTOR_THROW_DESC(PainterException, "The picture to lay in does not cover the blended area");
  }
  DataVideoPtr pictureView = picture->CreateView();
  pictureView->Limit(static_cast<uint32_t>(px), static_cast<uint32_t>(py), width, height);

  alphaInserter->Process(pictureView, alphaView);

  Core::Property extractorSettings = alphaExtractor->GetSettings();
  extractorSettings.SetChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT,
                              static_cast<long long>(pictureView->GetPixelFormat()));
  alphaExtractor->SetSettings(extractorSettings);
  DataVideoPtr extracted = alphaView;
  alphaExtractor->Process(extracted);

  Proc::Picture& planes = pictureView->GetPicture();
  planes.data[Proc::Effects::ALPHA_PLANE] = alphaView->GetPicture().data[0];
  planes.linesize[Proc::Effects::ALPHA_PLANE] = alphaView->GetPicture().linesize[0];
  planes.data[Proc::Effects::EXTRA_ALPHA_PLANE] = extracted->GetPicture().data[0];
  planes.linesize[Proc::Effects::EXTRA_ALPHA_PLANE] = extracted->GetPicture().linesize[0];

  Core::Property blendSettings{std::string(Proc::IBlend::CLASS_ID)};
  blendSettings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Proc::IBlend::CLASS_ID));
  blendSettings.SetChildT(Proc::IBlend::BLENDING_POSITION_X, static_cast<long long>(area.left));
  blendSettings.SetChildT(Proc::IBlend::BLENDING_POSITION_Y, static_cast<long long>(area.top));
  blendSettings.SetChildT(Proc::IBlend::BLENDING_ALPHA, 255LL);
  blend->SetSettings(blendSettings);
  blend->Process(result, pictureView);
  return result;
}

// ---------------------------------------------------------------------------------------------
// GlimraPainterBrush

GlimraPainterBrush::GlimraPainterBrush(bool fresh, const GlimraBrushPtr& brush, const GlimraUndoPtr& undo,
                                       const Proc::TwoInputEffectPtr& blend,
                                       const Proc::OneInputEffectPtr& alphaExtractor,
                                       const Proc::TwoInputEffectPtr& alphaInserter)
    : GlimraPainterImpl(undo),
      brush_(brush),
      blend_(blend),
      alphaInserter_(alphaInserter),
      alphaExtractor_(alphaExtractor) {
  alpha_ = CreateAlpha(fresh);
  maskBounds_ = CreateAlphaInfo(fresh);
  strokeRect_ = EmptyRect(alpha_->GetWidth(), alpha_->GetHeight());
  clip_ = ClipRect{0, alpha_->GetWidth(), 0, alpha_->GetHeight()};
}

CropInfo GlimraPainterBrush::CreateAlphaInfo(bool fresh) const {
  const uint32_t width = alpha_->GetWidth();
  const uint32_t height = alpha_->GetHeight();
  if (!fresh && undo_->GetMask()) {
    CropInfo info = undo_->GetMaskInfo();
    if (!info.IsEmpty()) {
      info.right = std::min(info.right, width);
      info.bottom = std::min(info.bottom, height);
    }
    return info;
  }
  return EmptyRect(width, height);
}

DataVideoPtr GlimraPainterBrush::GetVideo() {
  DataVideoPtr frame = CurrentVideo();
  if (alpha_ && !maskBounds_.IsEmpty()) {
    return BlendImpl(frame, alpha_, maskBounds_, blend_, alphaExtractor_, alphaInserter_, picture_, offsetX_,
                     offsetY_);
  }
  return frame;
}

PaintPatch GlimraPainterBrush::GetPatch(const CropInfo& area) {
  if (area.left >= area.right) return EmptyPatch();
  Core::PerformanceTimer timer;
  ++totalCount_;
  ++patchedCount_;
  const uint32_t width = area.right - area.left;
  const uint32_t height = area.bottom - area.top;
  DataVideoPtr frame = CurrentVideo()->CreateView();
  frame->Limit(area.left, area.top, width, height);
  DataVideoPtr alpha = alpha_->CreateView();
  alpha->Limit(area.left, area.top, width, height);
  const int64_t px = int64_t(area.left) - offsetX_;
  const int64_t py = int64_t(area.top) - offsetY_;
  if (px < 0 || py < 0) ZENTOR_THROW_DESC(PainterException, "The patch reaches outside the picture to lay in");
  DataVideoPtr picture = picture_->CreateView();
  picture->Limit(static_cast<uint32_t>(px), static_cast<uint32_t>(py), width, height);

  PaintPatch patch;
  patch.frame = BlendImpl(frame, alpha, CropInfo{0, width, 0, height}, blend_, alphaExtractor_, alphaInserter_,
                          picture, 0, 0);
  patch.left = area.left;
  patch.right = area.right;
  patch.top = area.top;
  patch.bottom = area.bottom;
  const int64_t elapsed = timer.Elapsed();
  patchingTime_ += elapsed;
  totalTime_ += elapsed;
  return patch;
}

PaintPatch GlimraPainterBrush::PaintStroke(uint32_t ux, uint32_t uy, int brightness, PixelRule rule,
                                           bool keepStroke) {
  Core::PerformanceTimer timer;
  const DataVideoPtr stamp = brush_->GetBrush(brightness);
  if (!stamp || stamp->GetPixelFormat() != AV_PIX_FMT_GRAY8) {
    ZENTOR_THROW_DESC(PainterException, "The brush has no 8-bit grey stamp");
  }
  // Positions left or above the picture arrive as large unsigned values.
  const int32_t x = static_cast<int32_t>(ux);
  const int32_t y = static_cast<int32_t>(uy);
  if (previousX_ == MAX_POS) previousX_ = x;
  if (previousY_ == MAX_POS) previousY_ = y;
  ++totalCount_;
  ++paintedCount_;
  if (alphaShared_) {
    alpha_ = alpha_->CreateCopy();
    alphaShared_ = false;
  }
  CropInfo area = EmptyRect(alpha_->GetWidth(), alpha_->GetHeight());
  const bool changed =
      rule == PixelRule::RAISE ? Stroke<PixelRule::RAISE>(x, y, *stamp, area) : Stroke<PixelRule::CLEAR>(x, y, *stamp, area);
  previousX_ = x;
  previousY_ = y;
  const int64_t elapsed = timer.Elapsed();
  paintingTime_ += elapsed;
  totalTime_ += elapsed;
  if (!changed) return EmptyPatch();
  painted_ = true;
  if (keepStroke) {
    if (area.top != area.bottom) {
      strokeRect_.top = std::min(strokeRect_.top, area.top);
      strokeRect_.bottom = std::max(strokeRect_.bottom, area.bottom);
    }
    if (area.left != area.right) {
      strokeRect_.left = std::min(strokeRect_.left, area.left);
      strokeRect_.right = std::max(strokeRect_.right, area.right);
    }
  }
  return GetPatch(area);
}

void GlimraPainterBrush::CommitMask() {
  if (!painted_) return;
  undo_->AddMask(alpha_, strokeRect_);
  alphaShared_ = true;
  painted_ = false;
  strokeRect_ = EmptyRect(alpha_->GetWidth(), alpha_->GetHeight());
}

template <GlimraPainterBrush::PixelRule Rule>
bool GlimraPainterBrush::Stroke(int32_t x, int32_t y, const Proc::IDataVideo& stamp, CropInfo& area) {
  const int64_t bw = stamp.GetWidth();
  const int64_t bh = stamp.GetHeight();
  const int64_t hw = bw / 2;
  const int64_t hh = bh / 2;
  const uint8_t* stampData = stamp.GetPicture().data[0];
  const int64_t stampLine = stamp.GetPicture().linesize[0];
  if (!stampData || bw == 0 || bh == 0) return false;
  uint8_t* alphaData = alpha_->GetPicture().data[0];
  const int64_t alphaLine = alpha_->GetPicture().linesize[0];
  const int64_t px = previousX_;
  const int64_t py = previousY_;
  bool changed = false;

  auto apply = [&](int64_t tx, int64_t ty, uint8_t s) {
    if (tx < clip_.left || tx > clip_.right - 1 || ty < clip_.top || ty > clip_.bottom - 1) return;
    uint8_t& a = alphaData[ty * alphaLine + tx];
    if (Rule == PixelRule::RAISE) {
      if (a >= s) return;
      a = s;
      Grow(maskBounds_, static_cast<uint32_t>(tx), static_cast<uint32_t>(ty));
    } else {
      if (a == 0) return;
      a = 0;
    }
    Grow(area, static_cast<uint32_t>(tx), static_cast<uint32_t>(ty));
    changed = true;
  };

  // The stamp: the half facing the movement at the new point, the other half at the previous one.
  const int64_t toNewX = int64_t(x) - px;
  const int64_t toNewY = py - int64_t(y);
  for (int64_t j = -hh; j < bh - hh; ++j) {
    const uint8_t* row = stampData + (j + hh) * stampLine;
    for (int64_t i = -hw; i < bw - hw; ++i) {
      const uint8_t s = row[i + hw];
      if (s == 0) continue;
      if (toNewY * j <= toNewX * i) {
        apply(x + i, y + j, s);
      } else {
        apply(px + i, py + j, s);
      }
    }
  }
  if (x == px && y == py) return changed;

  // The stamp's cross-section across the line of movement; the first value of an offset stays.
  const int64_t ddx = int64_t(x) - px;
  const int64_t ddy = int64_t(y) - py;
  std::map<std::pair<int64_t, int64_t>, uint8_t> profile;
  if (std::llabs(ddx) < std::llabs(ddy)) {
    for (double t = 0.0; t < bw; t += 0.42) {
      for (int k = -1; k <= 1; ++k) {
        const double u = k * 0.5 + (ddx * (t - bw * 0.5)) / static_cast<double>(py - y) + bh * 0.5;
        if (u < 0 || u >= bh) continue;
        const uint8_t s = stampData[int64_t(u) * stampLine + int64_t(t)];
        if (s != 0) profile.emplace(std::make_pair(int64_t(t) - hw, int64_t(u) - hh), s);
      }
    }
  } else {
    for (double t = 0.0; t < bh; t += 0.42) {
      for (int k = -1; k <= 1; ++k) {
        const double u = k * 0.5 + ((py - y) * (t - bh * 0.5)) / static_cast<double>(x - px) + bw * 0.5;
        if (u < 0 || u >= bw) continue;
        const uint8_t s = stampData[int64_t(t) * stampLine + int64_t(u)];
        if (s != 0) profile.emplace(std::make_pair(int64_t(u) - hw, int64_t(t) - hh), s);
      }
    }
  }
  if (profile.empty()) return changed;
  std::vector<ProfileEntry> entries;
  entries.reserve(profile.size());
  int64_t minDx = 0, maxDx = 0, minDy = 0, maxDy = 0;
  for (const auto& item : profile) {
    const ProfileEntry entry{item.first.first, item.first.second, item.second};
    if (entries.empty()) {
      minDx = maxDx = entry.dx;
      minDy = maxDy = entry.dy;
    } else {
      minDx = std::min(minDx, entry.dx);
      maxDx = std::max(maxDx, entry.dx);
      minDy = std::min(minDy, entry.dy);
      maxDy = std::max(maxDy, entry.dy);
    }
    entries.push_back(entry);
  }

  // The walk from the previous point to the new one, both ends included, repeated points skipped.
  // Only the run of steps whose profile can reach the clip rectangle is visited.
  const int64_t steps = std::llabs(ddx) + std::llabs(ddy);
  int64_t firstX, lastX, firstY, lastY;
  StepRange(px, ddx, steps, clip_.left - maxDx, clip_.right - 1 - minDx, firstX, lastX);
  StepRange(py, ddy, steps, clip_.top - maxDy, clip_.bottom - 1 - minDy, firstY, lastY);
  const int64_t first = std::max(firstX, firstY);
  const int64_t last = std::min(lastX, lastY);
  bool haveLast = false;
  int64_t lastCx = 0, lastCy = 0;
  for (int64_t step = first; step <= last; ++step) {
    const int64_t cx = WalkPoint(px, ddx, step, steps);
    const int64_t cy = WalkPoint(py, ddy, step, steps);
    if (haveLast && cx == lastCx && cy == lastCy) continue;
    for (const ProfileEntry& entry : entries) apply(cx + entry.dx, cy + entry.dy, entry.value);
    haveLast = true;
    lastCx = cx;
    lastCy = cy;
  }
  return changed;
}

}  // namespace Glimra
}  // namespace Zentor
