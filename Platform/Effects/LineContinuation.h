// Straight lines and edges that cross a hole, drawn across it before the patch fill.
#pragma once

#include <cstdint>
#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

// Looks for straight structures (thin lines, edges between two surfaces) that enter the holes on
// one side and leave them on the other with the same profile, and draws each across the holes as
// a strip of 2 * halfWidth + 1 pixels: the profile seen outside on either side, blended along the
// way, with the grain the structure shows beyond the ends. The strip's pixels are written and taken
// out of `holes`, so that the fill that follows grows around them. An entry without a partner
// across the hole is left to that fill. pixels: row by row, bytes R, G, B and 0; holes: non-zero
// where a pixel is to be filled. Returns the number of strips drawn. The same input gives the same
// result on any number of threads.
int ContinueLines(int width, int height, std::vector<uint32_t>& pixels, std::vector<uint8_t>& holes, int halfWidth,
                  unsigned threads);

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
