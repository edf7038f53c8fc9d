// Memory for a large picture, mapped on its own and advised into huge pages where the system
// gives them: its first touch then costs a fraction of the page faults.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <cstddef>
#include <cstdint>

namespace Zentor {
namespace Core {

class ZENTOR_API HugePageMemory {
 public:
  // size zero-filled bytes starting on a huge page's boundary; none (Begin() null) for size 0,
  // when the mapping fails, or under AddressSanitizer, where the heap keeps overruns caught.
  explicit HugePageMemory(size_t size);
  ~HugePageMemory();
  HugePageMemory(const HugePageMemory&) = delete;
  HugePageMemory& operator=(const HugePageMemory&) = delete;

  uint8_t* Begin() const { return begin_; }

 private:
  void* mapped_ = nullptr;
  size_t length_ = 0;
  uint8_t* begin_ = nullptr;
};

}  // namespace Core
}  // namespace Zentor
