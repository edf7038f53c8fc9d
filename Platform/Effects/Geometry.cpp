#include "Platform/Effects/Geometry.h"

#include "Platform/Effects/PlaneMats.h"

#include <opencv2/core.hpp>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

// Applies op(source plane, target plane) to every plane of a new frame of the given size.
template <class Op>
DataVideoPtr TransformPlanes(IDataVideo& source, uint32_t width, uint32_t height, const char* operation, Op op) {
  DataVideoPtr result = AllocateLike(source, source.GetPixelFormat(), width, height);
  if (width == 0 || height == 0) return result;
  std::vector<PlaneMat> from = GetPlaneMats(source, operation);
  std::vector<PlaneMat> to = GetPlaneMats(*result, operation);
  for (size_t i = 0; i < from.size(); ++i) {
    if (from[i].palette) {
      CopyPalette(source, *result, from[i].plane);
      continue;
    }
    op(from[i].mat, to[i].mat);
  }
  return result;
}

}  // namespace

void Rotate::ReadSettings(const Core::Property& settings) {
  if (!settings.ChildExists(ANGLE)) return;
  const long long angle = Core::GetValue<long long>(settings[ANGLE]);
  const long long normal = ((angle % 360) + 360) % 360;
  if (normal % 90 != 0) ThrowEffect("Rotation by " + std::to_string(angle) + " degrees is not supported");
  angle_ = static_cast<int>(normal);
}

void Rotate::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(ANGLE, static_cast<long long>(angle_));
}

void Rotate::ProcessInternal(DataVideoPtr& frame) {
  IDataVideo& source = CheckedFrame(frame, "source");
  if (angle_ == 0) return;
  const bool quarter = angle_ != 180;
  if (quarter) {
    for (const PlaneMat& pm : GetPlaneMats(source, "Rotation")) {
      if (pm.shiftW != pm.shiftH) {
        ThrowEffect("Rotation by " + std::to_string(angle_) + " degrees is not supported for " +
                    Conf::PixelFormatToTextID(source.GetPixelFormat()));
      }
    }
  }
  const int code = angle_ == 90 ? cv::ROTATE_90_CLOCKWISE
                                : angle_ == 180 ? cv::ROTATE_180 : cv::ROTATE_90_COUNTERCLOCKWISE;
  const uint32_t w = quarter ? source.GetHeight() : source.GetWidth();
  const uint32_t h = quarter ? source.GetWidth() : source.GetHeight();
  frame = TransformPlanes(source, w, h, "Rotation", [code](const cv::Mat& from, cv::Mat& to) {
    cv::Mat target = to;
    cv::rotate(from, target, code);
    CV_Assert(target.data == to.data);
  });
}

void Flip::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(MODE_HORIZ)) horizontal_ = Core::GetValue<bool>(settings[MODE_HORIZ]);
  if (settings.ChildExists(MODE_VERT)) vertical_ = Core::GetValue<bool>(settings[MODE_VERT]);
}

void Flip::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(MODE_HORIZ, horizontal_);
  settings.SetChildT(MODE_VERT, vertical_);
}

void Flip::ProcessInternal(DataVideoPtr& frame) {
  IDataVideo& source = CheckedFrame(frame, "source");
  if (!horizontal_ && !vertical_) return;
  // OpenCV: 1 mirrors around the vertical axis, 0 around the horizontal one, -1 both.
  const int code = horizontal_ && vertical_ ? -1 : horizontal_ ? 1 : 0;
  frame = TransformPlanes(source, source.GetWidth(), source.GetHeight(), "Flipping",
                          [code](const cv::Mat& from, cv::Mat& to) { cv::flip(from, to, code); });
}

void Crop::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(OFFSET_X)) x_ = Core::GetValue<long long>(settings[OFFSET_X]);
  if (settings.ChildExists(OFFSET_Y)) y_ = Core::GetValue<long long>(settings[OFFSET_Y]);
  if (settings.ChildExists(WIDTH)) width_ = Core::GetValue<long long>(settings[WIDTH]);
  if (settings.ChildExists(HEIGHT)) height_ = Core::GetValue<long long>(settings[HEIGHT]);
}

void Crop::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(OFFSET_X, static_cast<long long>(x_));
  settings.SetChildT(OFFSET_Y, static_cast<long long>(y_));
  settings.SetChildT(WIDTH, static_cast<long long>(width_));
  settings.SetChildT(HEIGHT, static_cast<long long>(height_));
}

void Crop::ProcessInternal(DataVideoPtr& frame) {
  IDataVideo& source = CheckedFrame(frame, "source");
  if (width_ < 0 || height_ < 0) ThrowEffect("Crop settings incomplete.");
  // Compared without adding: offsets from a settings tree may be near the largest value.
  if (x_ < 0 || y_ < 0 || width_ == 0 || height_ == 0 || x_ > int64_t(source.GetWidth()) ||
      y_ > int64_t(source.GetHeight()) || width_ > int64_t(source.GetWidth()) - x_ ||
      height_ > int64_t(source.GetHeight()) - y_) {
    ThrowEffect("Crop rectangle (" + std::to_string(x_) + ", " + std::to_string(y_) + ", " + std::to_string(width_) +
                " x " + std::to_string(height_) + ") does not lie inside the " + std::to_string(source.GetWidth()) +
                " x " + std::to_string(source.GetHeight()) + " picture");
  }
  if (x_ == 0 && y_ == 0 && width_ == int64_t(source.GetWidth()) && height_ == int64_t(source.GetHeight())) return;
  DataVideoPtr view = source.CreateView();
  view->Limit(uint32_t(x_), uint32_t(y_), uint32_t(width_), uint32_t(height_));
  frame = view->CreateCopy();
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
