// Spreads row work over a few threads of our own (their synchronisation is visible to the
// thread sanitizer, unlike that of OpenCV's or OpenMP's pools).
#pragma once

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

// Calls body(y) for y in [0, rows); rows are split into contiguous blocks, one per thread, when the
// frame is large enough (bytes: the work of the whole frame) to pay for the threads.
template <class Body>
void ParallelRows(uint32_t rows, uint64_t bytes, const Body& body) {
  constexpr uint64_t MIN_BYTES_PER_THREAD = 1 << 20;
  const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
  const unsigned threads =
      static_cast<unsigned>(std::min<uint64_t>({hardware, 16, std::max<uint64_t>(1, bytes / MIN_BYTES_PER_THREAD), rows}));
  if (threads <= 1) {
    for (uint32_t y = 0; y < rows; ++y) body(y);
    return;
  }
  auto block = [&](unsigned i) {
    const uint32_t begin = static_cast<uint32_t>(uint64_t(rows) * i / threads);
    const uint32_t end = static_cast<uint32_t>(uint64_t(rows) * (i + 1) / threads);
    for (uint32_t y = begin; y < end; ++y) body(y);
  };
  std::vector<std::thread> pool;
  pool.reserve(threads - 1);
  unsigned started = 1;
  try {
    for (; started < threads; ++started) pool.emplace_back(block, started);
  } catch (const std::system_error&) {
    // No more threads to be had: the blocks left run on this one.
  }
  block(0);
  for (unsigned i = started; i < threads; ++i) block(i);
  for (std::thread& t : pool) t.join();
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
