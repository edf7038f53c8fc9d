// A fast 64-bit checksum of swap file content, fed piece by piece while the file is written or read.
#pragma once

#include "GlimraCore/Export.h"

#include <cstddef>
#include <cstdint>

namespace Zentor {
namespace Glimra {

// Eight 64-bit lanes over 64-byte stripes: every input word is added into a lane as it is, so no
// change of the content is lost on the way; a multiply of the two halves of each word stirs the
// lanes, and a final mix folds them with the length. The value depends only on the bytes, not on
// how they were split into pieces.
class GLIMRA_CORE_API FrameChecksum {
 public:
  FrameChecksum();
  void Update(const void* data, size_t size);
  uint64_t Final() const;

 private:
  static constexpr size_t STRIPE = 64;
  uint64_t lanes_[8];
  uint8_t pending_[STRIPE];
  size_t pendingSize_ = 0;
  uint64_t total_ = 0;
};

}  // namespace Glimra
}  // namespace Zentor
