// Inpainting by multi-scale patch matching, run on regions around the holes.
#pragma once

#include "Platform/Effects/EffectBase.h"
#include "Proc/Interfaces/IEffectInpaint.h"

#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

// A pixel rectangle, right and bottom exclusive.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
};

// A region filled on its own: the holes it fills and the picture around them.
struct InpaintRegion {
  Box holes;  // bounding box of the hole pixels
  Box roi;    // holes grown by the context margin, inside the picture
};

// Groups the hole pixels (non-zero mask bytes) into regions whose context rectangles do not
// overlap. lookupSize scales the margin (see InpaintPatchFill). Empty when the mask has no hole.
std::vector<InpaintRegion> FindInpaintRegions(const IDataVideo& mask, double lookupSize);

// The context margin around a hole box: at least 64 pixels, else the hole's size (the geometric
// mean of its sides) times 1 at LOOKUP_SIZE 15 or below, rising linearly to 4 at 100.
int ContextMargin(const Box& holes, double lookupSize);

// Picture: RGB24, BGRA or BGR0 (alpha and padding carried through). Second input: a GRAY8 mask of
// the picture's size; non-zero bytes mark the pixels to fill. Only those pixels change. Each region
// is filled by PatchFill on all cores; the same input gives the same bytes on any number of cores.
// Progress goes to the controller (maximum 1000); CheckForStop aborts the run and leaves the frame
// unchanged.
class InpaintPatchFill final : public TwoInputEffect<IEffectInpaint> {
 public:
  InpaintPatchFill() : TwoInputEffect<IEffectInpaint>(ImplNames::GMIC) {}

 protected:
  void ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& mask) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  unsigned patchSize_ = 9;
  double lookupSize_ = 15.0;
};

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
