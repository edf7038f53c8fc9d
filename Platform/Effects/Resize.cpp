#include "Platform/Effects/Resize.h"

#include "Platform/Effects/PlaneMats.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

uint32_t ClampSide(double value) {
  if (!(value >= 1.0)) return 1;  // also NaN
  return value >= double(DataVideoFF::MAX_DIMENSION) ? DataVideoFF::MAX_DIMENSION : static_cast<uint32_t>(std::lround(value));
}

int Interpolation(const std::string& method, uint32_t sw, uint32_t sh, uint32_t tw, uint32_t th) {
  if (method == IResize::METHOD_POINT) return cv::INTER_NEAREST;
  if (method == IResize::METHOD_LINEAR) return cv::INTER_LINEAR;
  if (method == IResize::METHOD_CUBIC) return cv::INTER_CUBIC;
  if (method == IResize::METHOD_AREA) return cv::INTER_AREA;
  return tw <= sw && th <= sh ? cv::INTER_AREA : cv::INTER_CUBIC;
}

bool KnownMethod(const std::string& method) {
  for (const char* known : {IResize::METHOD_AUTO, IResize::METHOD_POINT, IResize::METHOD_LINEAR, IResize::METHOD_CUBIC,
                            IResize::METHOD_AREA}) {
    if (method == known) return true;
  }
  return false;
}

}  // namespace

void Resize::TargetSize(const SettingsResizer& s, uint32_t srcWidth, uint32_t srcHeight, uint32_t& width,
                        uint32_t& height) {
  double w = s.width;
  double h = s.height;
  if (s.frameSizeMode == FRAME_SIZE_SCALE) {
    w = srcWidth * s.scaleFactor;
    h = srcHeight * s.scaleFactor;
  } else if (s.mode == MODE_FIT && srcWidth > 0 && srcHeight > 0) {
    const double scale = std::min(std::max(w, 1.0) / srcWidth, std::max(h, 1.0) / srcHeight);
    w = srcWidth * scale;
    h = srcHeight * scale;
  }
  width = ClampSide(w);
  height = ClampSide(h);
}

void Resize::ReadSettings(const Core::Property& settings) {
  SettingsResizer s = settings_;
  std::string text;
  if (Core::GetValue(text, settings, METHOD)) {
    if (!KnownMethod(text)) ThrowEffect("Unknown resize method \"" + text + "\"");
    s.method = text;
  }
  if (Core::GetValue(text, settings, FRAME_SIZE_MODE)) {
    if (text != FRAME_SIZE_ABSOLUTE && text != FRAME_SIZE_SCALE) ThrowEffect("Unknown frame size mode \"" + text + "\"");
    s.frameSizeMode = text;
  }
  if (Core::GetValue(text, settings, MODE)) {
    if (text != MODE_STRETCH && text != MODE_FIT) ThrowEffect("Unknown resize mode \"" + text + "\"");
    s.mode = text;
  }
  auto readSide = [&settings](const char* key, uint32_t& side) {
    if (!settings.ChildExists(key)) return;
    const long long value = Core::GetValue<long long>(settings[key]);
    side = static_cast<uint32_t>(std::clamp<long long>(value, 0, DataVideoFF::MAX_DIMENSION));
  };
  readSide(WIDTH, s.width);
  readSide(HEIGHT, s.height);
  readSide(ASPECT_X, s.aspectX);
  readSide(ASPECT_Y, s.aspectY);
  if (settings.ChildExists(SCALE_FACTOR)) {
    s.scaleFactor = Core::GetValue<double>(settings[SCALE_FACTOR]);
    if (!(s.scaleFactor > 0.0)) ThrowEffect("The scale factor must be positive");
  }
  settings_ = s;
}

void Resize::WriteSettings(Core::Property& settings) const {
  Core::Property preset = Settings2Property(settings_);
  for (const Core::Property& child : preset) {
    if (child.GetName() != Conf::IPreset::KEY_CLASS_ID) settings.SetChild(child.GetName(), child);
  }
}

void Resize::ProcessInternal(DataVideoPtr& frame) {
  IDataVideo& source = CheckedFrame(frame, "source");
  uint32_t width = 0, height = 0;
  TargetSize(settings_, source.GetWidth(), source.GetHeight(), width, height);
  const bool keepAspect = !settings_.aspectX || !settings_.aspectY;
  const uint32_t aspectX = keepAspect ? source.GetAspectX() : settings_.aspectX;
  const uint32_t aspectY = keepAspect ? source.GetAspectY() : settings_.aspectY;
  if (width == source.GetWidth() && height == source.GetHeight() && aspectX == source.GetAspectX() &&
      aspectY == source.GetAspectY()) {
    return;
  }
  // A scale factor may ask for far more memory than a frame may take.
  const uint64_t rowBytes = static_cast<uint64_t>(std::max(GetPlaneRowBytes(source.GetPixelFormat(), 0, width), 1));
  if (rowBytes * height > DataVideoFF::MAX_FRAME_BYTES) {
    ThrowEffect("A resized picture of " + std::to_string(width) + " x " + std::to_string(height) + " is too large");
  }
  DataVideoPtr result = DataVideoFF::Create(source.GetPixelFormat(), width, height, aspectX, aspectY);
  result->SetDuration(source.GetDuration());
  result->SetTimestamp(source.GetTimestamp());
  if (source.GetWidth() > 0 && source.GetHeight() > 0) {
    std::vector<PlaneMat> from = GetPlaneMats(source, "Resizing");
    const bool palette = std::any_of(from.begin(), from.end(), [](const PlaneMat& pm) { return pm.palette; });
    const int interpolation = palette ? cv::INTER_NEAREST  // indices must not be mixed
                                      : Interpolation(settings_.method, source.GetWidth(), source.GetHeight(), width, height);
    std::vector<PlaneMat> to = GetPlaneMats(*result, "Resizing");
    for (size_t i = 0; i < from.size(); ++i) {
      if (from[i].palette) {
        CopyPalette(source, *result, from[i].plane);
        continue;
      }
      cv::Mat target = to[i].mat;
      cv::resize(from[i].mat, target, target.size(), 0, 0, interpolation);
      CV_Assert(target.data == to[i].mat.data);
    }
  }
  frame = result;
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
