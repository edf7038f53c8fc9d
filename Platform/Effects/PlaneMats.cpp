#include "Platform/Effects/PlaneMats.h"

#include "Platform/Effects/EffectBase.h"

#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace Zentor {
namespace Proc {
namespace Effects {

std::vector<PlaneMat> GetPlaneMats(IDataVideo& frame, const char* operation) {
  const AVPixelFormat format = frame.GetPixelFormat();
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  if (!desc || (desc->flags & (AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL))) {
    ThrowEffect(std::string(operation) + " is not supported for " + Conf::PixelFormatToTextID(format));
  }
  int steps[4] = {};
  av_image_fill_max_pixsteps(steps, nullptr, desc);
  const bool palette = (desc->flags & AV_PIX_FMT_FLAG_PAL) != 0;
  const int planes = av_pix_fmt_count_planes(format);
  Picture& picture = frame.GetPicture();
  std::vector<PlaneMat> result;
  for (int p = 0; p < planes; ++p) {
    PlaneMat pm;
    pm.plane = p;
    if (palette && p == 1) {
      pm.palette = true;
      result.push_back(pm);
      continue;
    }
    const bool chroma = (p == 1 || p == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    pm.shiftW = chroma ? desc->log2_chroma_w : 0;
    pm.shiftH = chroma ? desc->log2_chroma_h : 0;
    const int w = -((-static_cast<int>(frame.GetWidth())) >> pm.shiftW);
    const int h = -((-static_cast<int>(frame.GetHeight())) >> pm.shiftH);
    // Little-endian components of 9 to 16 bits interpolate as 16-bit values; everything else as bytes.
    bool wide = !(desc->flags & AV_PIX_FMT_FLAG_BE);
    for (int c = 0; c < desc->nb_components; ++c) {
      if (desc->comp[c].plane == p && (desc->comp[c].depth <= 8 || desc->comp[c].depth > 16)) wide = false;
    }
    if (steps[p] <= 0) ThrowEffect(std::string(operation) + " is not supported for " + Conf::PixelFormatToTextID(format));
    const int type = wide && steps[p] % 2 == 0 ? CV_16UC(steps[p] / 2) : CV_8UC(steps[p]);
    pm.mat = cv::Mat(h, w, type, picture.data[p], static_cast<size_t>(picture.linesize[p]));
    result.push_back(pm);
  }
  return result;
}

void CopyPalette(const IDataVideo& from, IDataVideo& to, int plane) {
  constexpr size_t PALETTE_BYTES = 256 * 4;
  const Picture& fp = from.GetPicture();
  Picture& tp = to.GetPicture();
  if (fp.data[plane] && tp.data[plane]) std::memcpy(tp.data[plane], fp.data[plane], PALETTE_BYTES);
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
