// Extra alpha planes of a frame: the one place that defines how planes 6 and 7 are used.
//
// A picture laid over another frame by IBlend may carry its alpha outside its own pixel format:
//  - plane 7 (ALPHA_PLANE): the alpha at the picture's full resolution, one byte per pixel,
//    0 = transparent .. 255 = opaque, rows linesize[7] bytes apart. IAlphaInserter sets it.
//  - plane 6 (EXTRA_ALPHA_PLANE): the same alpha as IExtraAlphaExtractor prepares it for the
//    picture's pixel format: one byte per pixel at the picture's chroma resolution (for formats
//    without chroma subsampling it has the full resolution and may be plane 7 itself).
// The blend reads plane 7 for full-resolution planes and plane 6 for subsampled chroma planes;
// when only one of them is set it serves for both (a subsampled plane then samples it), and when
// neither is set, the picture's own alpha channel or full opacity is used.
// Both planes borrow memory: whoever sets them keeps the frames that own it alive while the
// picture is in use. Set them after limiting the picture (a limit does not move them); a view
// shares them, a copy drops them.
#pragma once

#include "Proc/Interfaces/IDataVideo.h"

namespace Zentor {
namespace Proc {
namespace Effects {

constexpr int EXTRA_ALPHA_PLANE = 6;
constexpr int ALPHA_PLANE = 7;

inline bool HasAlphaPlanes(const IDataVideo& frame) {
  const Picture& p = frame.GetPicture();
  return p.data[ALPHA_PLANE] != nullptr || p.data[EXTRA_ALPHA_PLANE] != nullptr;
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
