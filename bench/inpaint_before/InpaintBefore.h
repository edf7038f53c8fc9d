// The G'MIC inpainting as it was before the patch fill of our own, kept for the benchmark to compare.
#pragma once

#include "Platform/Effects/EffectBase.h"
#include "Platform/Effects/InpaintPatchFill.h"
#include "Proc/Interfaces/IEffectInpaint.h"

#include <vector>

namespace Zentor {
namespace Proc {
namespace EffectsBefore {

using namespace ::Zentor::Proc::Effects;

// Picture: RGB24, BGRA or BGR0 (alpha and padding carried through). Second input: a GRAY8 mask of
// the picture's size; non-zero bytes mark the pixels to fill. Only those pixels change. Each region
// gets a first smooth fill (OpenCV's Telea inpainting), which G'MIC's "inpaint_matchpatch" then
// refines as its starting picture (multi-scale patch matching), on one thread with a fixed seed, so
// that the same input always gives the same output. Progress goes to the controller (maximum
// 1000); CheckForStop aborts the run and leaves the frame unchanged.
class InpaintGmic final : public TwoInputEffect<IEffectInpaint> {
 public:
  InpaintGmic() : TwoInputEffect<IEffectInpaint>(ImplNames::GMIC) {}

 protected:
  void ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& mask) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  unsigned patchSize_ = 9;
  double lookupSize_ = 15.0;
};

}  // namespace EffectsBefore
}  // namespace Proc
}  // namespace Zentor
