#include "Platform/Bedrock/HugePageMemory.h"

#include "Platform/Bedrock/Sanitizers.h"

#include <sys/mman.h>

namespace Zentor {
namespace Core {

namespace {
[[maybe_unused]] constexpr size_t HUGE_PAGE = size_t(2) << 20;  // unused under AddressSanitizer
}  // namespace

HugePageMemory::HugePageMemory(size_t size) {
#ifndef ZENTOR_ADDRESS_SANITIZER
  if (size == 0) return;
  const size_t length = size + HUGE_PAGE;
  void* mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return;
  // Only a hint: without huge pages the mapping still serves.
  ::madvise(mapped, length, MADV_HUGEPAGE);
  mapped_ = mapped;
  length_ = length;
  const uintptr_t address = reinterpret_cast<uintptr_t>(mapped);
  begin_ = static_cast<uint8_t*>(mapped) + (HUGE_PAGE - address % HUGE_PAGE) % HUGE_PAGE;
#else
  (void)size;
#endif
}

HugePageMemory::~HugePageMemory() {
  if (mapped_) ::munmap(mapped_, length_);
}

}  // namespace Core
}  // namespace Zentor
