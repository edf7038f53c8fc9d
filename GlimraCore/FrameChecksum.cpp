#include "GlimraCore/FrameChecksum.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zentor {
namespace Glimra {

namespace {

constexpr uint64_t KEYS[8] = {0x9E3779B185EBCA87ULL, 0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL,
                              0x85EBCA77C2B2AE63ULL, 0x27D4EB2F165667C5ULL, 0xD6E8FEB86659FD93ULL,
                              0xFF51AFD7ED558CCDULL, 0xC4CEB9FE1A85EC53ULL};

// Lane i takes the word of lane i ^ 1 plus the product of the two 32-bit halves of its own word
// mixed with its key.
void Stripes(uint64_t* lanes, const uint8_t* data, size_t count) {
#if defined(__SSE2__)
  __m128i acc[4];
  __m128i keys[4];
  for (int j = 0; j < 4; ++j) {
    acc[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes + 2 * j));
    keys[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(KEYS + 2 * j));
  }
  for (size_t s = 0; s < count; ++s, data += 64) {
    for (int j = 0; j < 4; ++j) {
      const __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * j));
      const __m128i mixed = _mm_xor_si128(word, keys[j]);
      const __m128i product = _mm_mul_epu32(mixed, _mm_srli_epi64(mixed, 32));
      const __m128i swapped = _mm_shuffle_epi32(word, _MM_SHUFFLE(1, 0, 3, 2));
      acc[j] = _mm_add_epi64(acc[j], _mm_add_epi64(swapped, product));
    }
  }
  for (int j = 0; j < 4; ++j) _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes + 2 * j), acc[j]);
#else
  for (size_t s = 0; s < count; ++s, data += 64) {
    uint64_t words[8];
    std::memcpy(words, data, sizeof words);  // the byte order of the machine, as the SSE2 path reads
    for (int i = 0; i < 8; ++i) {
      const uint64_t mixed = words[i] ^ KEYS[i];
      lanes[i] += words[i ^ 1] + (mixed & 0xFFFFFFFFULL) * (mixed >> 32);
    }
  }
#endif
}

#if defined(__x86_64__)
#include <immintrin.h>
// The same arithmetic on four lanes per instruction; the shuffle swaps 64-bit halves within each
// 128-bit half, exactly as the two-lane form does.
__attribute__((target("avx2"))) void StripesAvx2(uint64_t* lanes, const uint8_t* data, size_t count) {
  __m256i acc0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lanes));
  __m256i acc1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lanes + 4));
  const __m256i key0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(KEYS));
  const __m256i key1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(KEYS + 4));
  for (size_t s = 0; s < count; ++s, data += 64) {
    const __m256i word0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data));
    const __m256i word1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 32));
    const __m256i mixed0 = _mm256_xor_si256(word0, key0);
    const __m256i mixed1 = _mm256_xor_si256(word1, key1);
    const __m256i product0 = _mm256_mul_epu32(mixed0, _mm256_srli_epi64(mixed0, 32));
    const __m256i product1 = _mm256_mul_epu32(mixed1, _mm256_srli_epi64(mixed1, 32));
    acc0 = _mm256_add_epi64(acc0, _mm256_add_epi64(_mm256_shuffle_epi32(word0, _MM_SHUFFLE(1, 0, 3, 2)), product0));
    acc1 = _mm256_add_epi64(acc1, _mm256_add_epi64(_mm256_shuffle_epi32(word1, _MM_SHUFFLE(1, 0, 3, 2)), product1));
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), acc0);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes + 4), acc1);
}

const bool HAS_AVX2 = __builtin_cpu_supports("avx2");
#endif

// Long runs take the widest form the processor has.
void StripesFast(uint64_t* lanes, const uint8_t* data, size_t count) {
#if defined(__x86_64__)
  if (HAS_AVX2 && count >= 4) return StripesAvx2(lanes, data, count);
#endif
  Stripes(lanes, data, count);
}

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDULL;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ULL;
  h ^= h >> 33;
  return h;
}

}  // namespace

FrameChecksum::FrameChecksum() { std::memcpy(lanes_, KEYS, sizeof lanes_); }

void FrameChecksum::Update(const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  total_ += size;
  if (pendingSize_ > 0) {
    const size_t take = size < STRIPE - pendingSize_ ? size : STRIPE - pendingSize_;
    std::memcpy(pending_ + pendingSize_, bytes, take);
    pendingSize_ += take;
    bytes += take;
    size -= take;
    if (pendingSize_ < STRIPE) return;
    Stripes(lanes_, pending_, 1);
    pendingSize_ = 0;
  }
  const size_t whole = size / STRIPE;
  StripesFast(lanes_, bytes, whole);
  bytes += whole * STRIPE;
  size -= whole * STRIPE;
  std::memcpy(pending_, bytes, size);
  pendingSize_ = size;
}

uint64_t FrameChecksum::Final() const {
  uint64_t lanes[8];
  std::memcpy(lanes, lanes_, sizeof lanes);
  // The tail, padded with zeros; the length below tells padding from real zeros.
  uint8_t last[STRIPE] = {};
  std::memcpy(last, pending_, pendingSize_);
  Stripes(lanes, last, 1);
  uint64_t h = Mix(total_);
  for (uint64_t lane : lanes) h = Mix(h ^ lane) + 0x9E3779B97F4A7C15ULL;
  return h;
}

}  // namespace Glimra
}  // namespace Zentor
