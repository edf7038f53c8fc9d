// Hole filling by patch matching, coarse to fine, on all cores with the same result on any number.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

struct PatchFillArea {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // row by row, bytes R, G, B and a fourth byte that must be 0
  std::vector<uint8_t> holes;    // one byte a pixel, non-zero where the pixel is to be filled
};

// Fills the hole pixels of area.pixels from patches (patchSize square, made odd, at least 3) that
// lie wholly outside the holes and near them: the holes are filled first on a shrunken copy, whose
// matches seed the next larger one. Pixels outside the holes are left as they are. With no room
// for a patch beside the holes, the fill is a smooth one. Straight lines and edges that cross the
// holes are drawn across them first (ContinueLines). A small region is filled several times, with
// other random choices and patch sizes near the one asked for: the result has the first fill's
// grain and the low frequencies of all fills' mean. progress(fraction) and stopAsked() are called
// on the calling thread only; a stop returns false with the hole pixels partly written. The same
// area gives the same bytes with any number of threads.
bool PatchFill(PatchFillArea& area, int patchSize, unsigned threads, const std::function<void(double)>& progress,
               const std::function<bool()>& stopAsked);

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
