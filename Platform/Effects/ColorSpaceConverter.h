// Pixel-format converter: byte shuffles between the packed 8-bit formats, libswscale otherwise.
#pragma once

#include "Platform/Effects/EffectBase.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"

#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

// The format a frame of format input is converted to (the rule of IColorSpaceConverter).
// AV_PIX_FMT_NONE for an empty list.
AVPixelFormat ChooseTargetFormat(AVPixelFormat input, const std::vector<AVPixelFormat>& accepted, bool hazAlpha);

// A new frame holding source in the target format.
DataVideoPtr ConvertFrame(const IDataVideo& source, AVPixelFormat target);

class ColorSpaceConverter final : public OneInputEffect<IColorSpaceConverter> {
 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  std::vector<AVPixelFormat> formats_;
  bool hazAlpha_ = false;
};

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
