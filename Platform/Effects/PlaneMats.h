// OpenCV matrix headers over a frame's planes (no pixel is copied).
#pragma once

#include "Proc/Interfaces/IDataVideo.h"

#include <opencv2/core.hpp>

#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

struct PlaneMat {
  int plane = 0;
  cv::Mat mat;        // one element per pixel of the plane
  bool palette = false;  // a palette plane: copied, never transformed
  int shiftW = 0;     // the plane's size is the frame's shifted right (rounded up)
  int shiftH = 0;
};

// The planes of a frame as matrices of CV_8UC(bytes per pixel), or CV_16UC(...) when every
// component is 16 bits wide. Raises EffectException for bit-packed formats and for
// operation names when the format cannot be handled.
std::vector<PlaneMat> GetPlaneMats(IDataVideo& frame, const char* operation);

// Copies the palette plane of from into to (when both have one).
void CopyPalette(const IDataVideo& from, IDataVideo& to, int plane);

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
