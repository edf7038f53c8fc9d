#include "Platform/Effects/PatchFill.h"

#include "Platform/Effects/LineContinuation.h"
#include "Platform/Effects/WorkerPool.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include <emmintrin.h>
#include <xmmintrin.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

// Rows one task handles. Fixed, so that the split, and with it the result, does not depend on the
// number of threads.
constexpr int BAND = 16;
// The levels below full size are small and searched many more times: their searches run in
// narrower bands, so that enough of them run at once for every thread.
constexpr int COARSE_SEARCH_BAND = 8;
constexpr uint64_t SEED = 0x9E3779B97F4A7C15ull;
// Known pixels weigh this much more than filled ones when patches are compared: the fill so far is
// smoother than the truth and would otherwise draw smooth sources to itself.
constexpr int16_t KNOWN_WEIGHT = 4;
// Sources are sought within this many times (the holes' thickness plus a patch side) of a target:
// far-off look-alikes (a blurred stem for a sharp one, a petal for the sky) are what smudges and
// pulls foreign structure into a fill.
constexpr int REACH_FACTOR = 2;
// Where the holes' border shows two surfaces, this many: a far source is then the more likely
// of the other surface, or of a third one beyond it.
constexpr double TWO_SURFACE_REACH = 1.5;
// The full-size level, which starts from the coarser matches enlarged, seeks only this much as far.
constexpr double FULL_SIZE_REACH = 0.5;
// Vote weights: the scale of the typical error a close match may have (a fraction of the median)...
constexpr double VOTE_SCALE = 0.25;
// ...and the spread (pixels) of the weight by the distance of a patch's centre from the pixel.
constexpr float VOTE_SPREAD = 2.f;
// A candidate pays this much, a patch byte, for the square of the difference between its mean
// grain and the grain expected at its target: a fill so far smoother than the truth otherwise
// draws smooth sources, and fur, grass and gravel become smudges.
constexpr double GRAIN_PENALTY = 1.0;
// A region of at most HEDGE_AREA / n pixels, with at most HEDGE_HOLES / n hole pixels, is filled n
// times (at most HEDGE_FILLS), each time with other random choices and patches whose radius differs
// by HEDGE_RADII from the one asked for, and the first fill's low frequencies, below a blur of
// HEDGE_SIGMA pixels, are replaced by the mean of all fills': where the border leaves open what
// lies under the hole, the fills disagree on where its large shapes go, and their mean hedges
// between them, as a sharp wrong guess costs more than a blur. The fine grain stays the first
// fill's. The hedge makes misplaced grain cheaper, so the fills pay HEDGED_GRAIN_PENALTY for unlike
// grain instead. Time and memory thus stay near those of one fill of a larger region.
constexpr size_t HEDGE_AREA = 1000000;
constexpr size_t HEDGE_HOLES = 60000;
constexpr int HEDGE_FILLS = 4;
constexpr int HEDGE_RADII[HEDGE_FILLS] = {0, 1, -1, 2};
constexpr float HEDGE_SIGMA = 3.f;
constexpr double HEDGED_GRAIN_PENALTY = 2.0;
// The border's colours count as two surfaces when the squared distance of their two groups'
// means is this many times the groups' variances together...
constexpr double SURFACE_SEPARATION = 4.0;
// ...and a source of the other surface than its target's must be this much closer to be taken.
constexpr double SURFACE_FACTOR = 2.0;
// The smooth start of a hole pixel with a surface is this many percent the fill from that
// surface's own known pixels, the rest the fill from all.
constexpr int SURFACE_START = 30;
// Where the holes' rim changes surface, the surfaces' boundary is taken to continue: runs of one
// surface along the rim shorter than this many patch radii are taken for noise...
constexpr int JOIN_SMOOTH = 1;
// ...the boundary's direction is taken from the known pixels within this many patch radii...
constexpr int JOIN_REACH = 3;
// ...and counts only where it enters the hole at least this steeply (the cosine of its angle to the
// rim's inward normal); four crossings are paired by these directions where the two ways of pairing
// them differ by more than this (the sum of two cosines each), else by distance.
constexpr double JOIN_MIN_ENTRY = 0.2;
constexpr double JOIN_PAIR_MARGIN = 0.5;
// A pair is joined by a curve that leaves each crossing along the boundary's line there (fitted to
// where the known pixels within JOIN_REACH patch radii change surface) where that fit is straight
// (its lesser spread at most this share of the greater)...
constexpr double JOIN_STRAIGHTNESS = 0.15;
// ...and the two lines bow the join to one side of the chord, each turning off it by at most this
// many degrees; else, or where the curve would leave the holes, by the chord. The curve's tangents
// are this share of the chord long.
constexpr double JOIN_MAX_TURN = 60.0;
constexpr double JOIN_TANGENT = 0.5;
// The tone correction is relaxed on each of its grids, coarse to fine, in this many sweeps of
// successive over-relaxation, by this factor.
constexpr int SETTLE_SWEEPS = 16;
constexpr float SETTLE_RELAXATION = 1.9f;
// A known pixel next to the holes is taken for a remnant of what was removed (a fringe the
// selection missed) where its colour differs from what the matches say there by more than
// REMNANT_FLOOR (a byte) while the known pixels REMNANT_OUT and twice as many steps farther out are
// like the matches, and at least REMNANT_RUN such pixels lie within REMNANT_OUT of it: a fringe runs
// along the holes, a twig or an edge crosses them. The fill's tone does not follow a remnant.
constexpr float REMNANT_FLOOR = 48.f;
constexpr int REMNANT_OUT = 3;
constexpr int REMNANT_RUN = 5;
// A border pixel that differs from what the matches say there by more than this (a byte, in any
// channel) is an edge or an unselected part of what was removed rather than a tone the fill
// should take on: its difference only fades into the fill over FADE_REACH pixels, where the tone
// correction would spread it over the whole hole as a ghost of the removed object...
constexpr float LOCAL_DIFFERENCE = 24.f;
constexpr int FADE_REACH = 6;
// ...and where a known pixel beside the holes differs by more than this from what the source of
// its hole neighbour shows next to it, the solve that joins patches keeps the fill's own step there.
constexpr float KNIT_LOCAL_DIFFERENCE = 48.f;
// Sweeps of the solve that joins patches from different sources.
constexpr int KNIT_SWEEPS = 64;
// Grids of fewer cells are relaxed on one thread.
constexpr size_t SETTLE_PARALLEL_CELLS = 1 << 15;
// A level is shrunk further while the holes are thicker (pixels from a known one) than this many
// patch sides: coarser, the patches that fit between the holes no longer show what lies there...
constexpr double COARSEST_THICKNESS = 2.0;
// ...and the next level keeps at least this many patch sides on its shorter side.
constexpr int MIN_PATCHES_PER_SIDE = 4;

uint64_t Mix(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// A random sequence per pixel and pass: the numbers a pixel draws do not depend on who draws them.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(Mix(seed) | 1) {}
  int Below(int n) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<int>((uint64_t(uint32_t(state_ >> 32)) * uint32_t(n)) >> 32);
  }

 private:
  uint64_t state_;
};

// The weights of two pixels, each repeated for its four bytes.
inline __m128i PairWeights(const int16_t* weights) {
  int pair;
  std::memcpy(&pair, weights, 4);
  const __m128i w = _mm_cvtsi32_si128(pair);
  const __m128i twice = _mm_unpacklo_epi16(w, w);
  return _mm_unpacklo_epi32(twice, twice);
}

// Weighted sum of squared byte differences of two patches, given by their top-left pixels; the
// weights (one a pixel) belong to the first patch. Stops adding once the sum reaches limit.
inline int Distance(const uint32_t* a, const uint32_t* b, const int16_t* weights, int stride, int side, int limit) {
  const __m128i zero = _mm_setzero_si128();
  int total = 0;
  for (int row = 0; row < side; ++row, a += stride, b += stride, weights += stride) {
    __m128i acc = zero;
    int x = 0;
    for (; x + 4 <= side; x += 4) {
      const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
      const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
      const __m128i lo = _mm_sub_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
      const __m128i hi = _mm_sub_epi16(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
      acc = _mm_add_epi32(acc, _mm_add_epi32(_mm_madd_epi16(_mm_mullo_epi16(lo, PairWeights(weights + x)), lo),
                                             _mm_madd_epi16(_mm_mullo_epi16(hi, PairWeights(weights + x + 2)), hi)));
    }
    for (; x + 2 <= side; x += 2) {
      const __m128i va = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + x));
      const __m128i vb = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b + x));
      const __m128i d = _mm_sub_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
      acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_mullo_epi16(d, PairWeights(weights + x)), d));
    }
    if (x < side) {
      const __m128i d = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a[x])), zero),
                                      _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(b[x])), zero));
      const __m128i w = _mm_set1_epi16(weights[x]);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_mullo_epi16(d, w), d));
    }
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0x4E));
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, 0xB1));
    total += _mm_cvtsi128_si32(acc);
    if (total >= limit) return total;
  }
  return total;
}

// The threads of the fill under way, 1 outside one.
unsigned PoolThreads() {
  const WorkerPool* pool = WorkerPool::Current();
  return pool ? pool->Threads() : 1u;
}

// Runs body(y0, y1) over the rows [0, h) in bands of BAND rows, on the fill's threads. The bands do
// not depend on the number of threads.
template <class Body>
void ForRows(int h, const Body& body) {
  ParallelFor((h + BAND - 1) / BAND, PoolThreads(), [&](int band) { body(band * BAND, std::min(h, (band + 1) * BAND)); });
}

// Runs relax(band, phase) for every band and every phase in [0, phases) with the result of running
// the phases one after the other over all bands, for a relaxation whose phase reads, beyond its own
// band, only the other chessboard colour's cells of the bands next to it (the last phase's). Each
// thread takes a run of bands of about equal cost(band) through all the phases and waits only for
// the bands beside its own, not for all at every phase.
template <class Cost, class Relax>
void ForPhases(int bands, int phases, unsigned threads, const Cost& cost, const Relax& relax) {
  WorkerPool* pool = WorkerPool::Current();
  const int runs = pool && !pool->Running() ? std::min({int(threads), int(pool->Threads()), bands}) : 1;
  // Fewer phases than runs could leave a run unstarted while the others wait for it.
  if (runs < 2 || phases <= runs) {
    for (int phase = 0; phase < phases; ++phase) ParallelFor(bands, threads, [&](int band) { relax(band, phase); });
    return;
  }
  std::vector<double> before(size_t(bands) + 1, 0.0);
  for (int band = 0; band < bands; ++band) before[size_t(band) + 1] = before[size_t(band)] + double(cost(band));
  std::vector<int> first(size_t(runs) + 1, bands);
  first[0] = 0;
  for (int run = 1, band = 0; run < runs; ++run) {
    while (band < bands && before[size_t(band)] < before[size_t(bands)] * run / runs) ++band;
    first[size_t(run)] = band;
  }
  struct alignas(64) Progress {
    std::atomic<int> phases{0};
  };
  std::vector<Progress> done(static_cast<size_t>(bands));
  auto await = [&](int band, int phase) {
    if (band < 0 || band >= bands) return;
    for (int spins = 0; done[size_t(band)].phases.load(std::memory_order_acquire) < phase; ++spins) {
      if (spins < 256) {
        _mm_pause();
      } else {
        std::this_thread::yield();
      }
    }
  };
  pool->Run(runs, [&](int run) {
    const int from = first[size_t(run)], to = first[size_t(run) + 1];
    for (int phase = 0; phase < phases; ++phase) {
      for (int band = from; band < to; ++band) {
        if (band == from) await(band - 1, phase);
        if (band + 1 == to) await(band + 1, phase);
        relax(band, phase);
        done[size_t(band)].phases.store(phase + 1, std::memory_order_release);
      }
    }
  });
}

// Calls at(i, sum) for each centre i whose patch lies wholly in the w x h picture, with the sum of
// value over its patch: a band of rows keeps the sums down its columns over 2r + 1 rows and runs
// along them.
template <class Value, class At>
void ForPatchSums(int w, int h, int r, const Value& value, const At& at) {
  if (w <= 2 * r || h <= 2 * r) return;
  ForRows(h, [&](int y0, int y1) {
    const int first = std::max(y0, r), end = std::min(y1, h - r);
    if (first >= end) return;
    std::vector<int32_t> column(size_t(w), 0);
    for (int y = first - r; y < first + r; ++y) {
      for (int x = 0; x < w; ++x) column[size_t(x)] += value(size_t(y) * w + x);
    }
    for (int y = first; y < end; ++y) {
      const size_t below = size_t(y + r) * w, above = size_t(y - r) * w;
      for (int x = 0; x < w; ++x) column[size_t(x)] += value(below + x);
      int32_t sum = 0;
      for (int x = 0; x < 2 * r; ++x) sum += column[size_t(x)];
      for (int x = r; x < w - r; ++x) {
        sum += column[size_t(x + r)];
        at(size_t(y) * w + x, sum);
        sum -= column[size_t(x - r)];
      }
      for (int x = 0; x < w; ++x) column[size_t(x)] -= value(above + x);
    }
  });
}

// One scale of the picture. Patches are named by their centre pixel; only centres whose patch
// lies inside the level take part. A target is a centre whose patch holds a hole pixel (it gets a
// match), a source one whose patch holds none (it can be a match).
struct Level {
  int w = 0, h = 0, r = 0;
  std::vector<uint32_t> px;
  std::vector<uint8_t> hole;
  std::vector<int32_t> depth;  // distance to the nearest known pixel
  std::vector<int16_t> trust;  // distance weights (one a pixel), see Trust
  int deepest = 0;             // the largest depth
  int trustReach = -1;         // the reach `trust` was made for
  int limitReach = INT_MAX;    // sources farther than this from a target (on either axis) are not used
  std::vector<uint8_t> target;
  std::vector<uint8_t> source;
  size_t sources = 0;
  std::vector<int32_t> match;
  std::vector<int32_t> dist;
  std::vector<float> weight;
  size_t targets = 0;
  // On the coarsest level, where the holes' border shows two distinct surfaces: 1 or 2 a pixel
  // (for hole pixels, the surface the border around them has; 0 where either may be); see
  // FindSurfaces. Else empty.
  std::vector<uint8_t> surface;
  // On the full-size level once its last pass copied whole pixels: the offset each hole pixel
  // was copied from (INT32_MIN where none). Else empty.
  std::vector<int32_t> copied;
  // The grain of each pixel (on the full-size level the steps of its brightness to its neighbours,
  // on a coarser one the mean of its finer pixels'; for hole pixels the smooth fill of the grain
  // around the holes) and its sum over the patch of each centre; see GrainPenalty.
  std::vector<uint8_t> grain;
  std::vector<int32_t> grainSum;
  double grainPenalty = GRAIN_PENALTY;
  // On the full-size level once its fill is blended into the border: 1 for each cell of the holes'
  // bounds that is a remnant (see REMNANT_FLOOR). Else empty.
  std::vector<uint8_t> remnant;

  bool Agree(int target, int candidate) const {
    if (surface.empty()) return true;
    const uint8_t t = surface[size_t(target)], c = surface[size_t(candidate)];
    return t == 0 || c == 0 || t == c;
  }

  int Bands() const { return (h + BAND - 1) / BAND; }

  void Classify(int radius) {
    r = radius;
    const size_t n = size_t(w) * h;
    // Whole-level buffers: each is filled on a thread of its own.
    ParallelFor(5, PoolThreads(), [&](int buffer) {
      switch (buffer) {
        case 0: target.assign(n, 0); break;
        case 1: source.assign(n, 0); break;
        case 2: match.assign(n, -1); break;
        case 3: dist.assign(n, INT_MAX); break;
        default: weight.assign(n, 0.f); break;
      }
    });
    // Each band counts on its own cache line.
    struct alignas(64) Count {
      size_t targets = 0, sources = 0;
    };
    std::vector<Count> counts(static_cast<size_t>(Bands()));
    ForPatchSums(w, h, r, [&](size_t i) { return int32_t(hole[i] ? 1 : 0); }, [&](size_t i, int32_t holes) {
      Count& count = counts[i / size_t(w) / BAND];
      if (holes) {
        target[i] = 1;
        ++count.targets;
      } else {
        source[i] = 1;
        ++count.sources;
      }
    });
    sources = 0;
    targets = 0;
    for (const Count& count : counts) {
      targets += count.targets;
      sources += count.sources;
    }
  }

  int PatchDistance(int centre, int candidate, int limit) const {
    const size_t corner = size_t(r) * w + r;
    const int penalty = GrainPenalty(centre, candidate);
    if (penalty >= limit) return penalty;
    return penalty +
           Distance(&px[centre - corner], &px[candidate - corner], &trust[centre - corner], w, 2 * r + 1, limit - penalty);
  }

  // A fill's colours so far are smoother than the truth, the grain of the holes' surroundings is
  // not: the difference in mean grain tells a smooth source from a grainy one where the colours
  // alone would prefer the smooth one.
  int GrainPenalty(int centre, int candidate) const {
    if (grainSum.empty()) return 0;
    const double side = 2 * r + 1;
    const double d = double(grainSum[size_t(centre)] - grainSum[size_t(candidate)]) / (side * side);
    return static_cast<int>(std::min(double(INT_MAX / 2), grainPenalty * 3.0 * side * side * d * d));
  }

  // The grain of the known pixels (0 for hole pixels) of the full-size level.
  void MeasureGrain() {
    grain.assign(px.size(), 0);
    auto luma = [&](size_t i) { return int(px[i] & 0xFF) + 2 * int((px[i] >> 8) & 0xFF) + int((px[i] >> 16) & 0xFF); };
    ForRows(h, [&](int y0, int y1) {
      for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < w; ++x) {
          const size_t i = size_t(y) * w + x;
          if (hole[i]) continue;
          const int l = luma(i);
          int g = 0, n = 0;
          if (x + 1 < w && !hole[i + 1]) g += std::abs(luma(i + 1) - l), ++n;
          else if (x > 0 && !hole[i - 1]) g += std::abs(luma(i - 1) - l), ++n;
          if (y + 1 < h && !hole[i + w]) g += std::abs(luma(i + w) - l), ++n;
          else if (y > 0 && !hole[i - w]) g += std::abs(luma(i - w) - l), ++n;
          // The mean step in bytes (the luma is four times them).
          grain[i] = static_cast<uint8_t>(std::min(255, n ? (g * 2 / n + 4) / 8 : 0));
        }
      }
    });
  }

  // The patch sums of the grain, for every centre.
  void SumGrain() {
    grainSum.assign(px.size(), 0);
    ForPatchSums(w, h, r, [&](size_t i) { return int32_t(grain[i]); }, [&](size_t i, int32_t sum) { grainSum[i] = sum; });
  }

  // Distance weights: known pixels count KNOWN_WEIGHT times, hole pixels nearer than `reach` to a
  // known one once, the others not at all.
  void Trust(int reach) {
    if (reach == trustReach && !trust.empty()) return;
    trustReach = reach;
    trust.resize(px.size());
    ForRows(h, [&](int y0, int y1) {
      for (size_t i = size_t(y0) * w; i < size_t(y1) * w; ++i) {
        trust[i] = hole[i] ? (reach == INT_MAX || depth[i] < reach ? 1 : 0) : KNOWN_WEIGHT;
      }
    });
  }

  bool Far(int a, int b) const {
    return std::abs(a % w - b % w) > limitReach || std::abs(a / w - b / w) > limitReach;
  }
  // A source within reach of the centre if random probes find one, else one anywhere.
  int NearSource(int centre, Random& random) const {
    if (limitReach < INT_MAX) {
      for (int attempt = 0; attempt < 32; ++attempt) {
        const int x = std::clamp(centre % w + random.Below(2 * limitReach + 1) - limitReach, r, w - 1 - r);
        const int y = std::clamp(centre / w + random.Below(2 * limitReach + 1) - limitReach, r, h - 1 - r);
        if (source[size_t(y) * w + x] && Agree(centre, y * w + x)) return y * w + x;
      }
      for (int attempt = 0; attempt < 32; ++attempt) {
        const int x = std::clamp(centre % w + random.Below(2 * limitReach + 1) - limitReach, r, w - 1 - r);
        const int y = std::clamp(centre / w + random.Below(2 * limitReach + 1) - limitReach, r, h - 1 - r);
        if (source[size_t(y) * w + x]) return y * w + x;
      }
    }
    return RandomSource(random);
  }
  // A source anywhere: random probes, else the first one after a random place.
  int RandomSource(Random& random) const {
    for (int attempt = 0; attempt < 64; ++attempt) {
      const int i = random.Below(w * h);
      if (source[size_t(i)]) return i;
    }
    const size_t start = size_t(random.Below(w * h)), n = source.size();
    for (size_t k = 0; k < n; ++k) {
      if (source[(start + k) % n]) return static_cast<int>((start + k) % n);
    }
    return -1;  // not reached: a level without sources is never filled by matching
  }
};

// Half the size: a pixel is a hole when any of its four is; its colour is the mean of the known ones.
Level Shrink(const Level& fine) {
  Level coarse;
  coarse.w = (fine.w + 1) / 2;
  coarse.h = (fine.h + 1) / 2;
  coarse.px.assign(size_t(coarse.w) * coarse.h, 0);
  coarse.hole.assign(size_t(coarse.w) * coarse.h, 0);
  ForRows(coarse.h, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < coarse.w; ++x) {
        int sum[3] = {0, 0, 0}, known = 0;
        bool hole = false;
        for (int j = 0; j < 2; ++j) {
          for (int i = 0; i < 2; ++i) {
            const int fx = 2 * x + i, fy = 2 * y + j;
            if (fx >= fine.w || fy >= fine.h) continue;
            const size_t f = size_t(fy) * fine.w + fx;
            if (fine.hole[f]) {
              hole = true;
              continue;
            }
            const uint32_t p = fine.px[f];
            for (int c = 0; c < 3; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
            ++known;
          }
        }
        const size_t i = size_t(y) * coarse.w + x;
        coarse.hole[i] = hole ? 1 : 0;
        if (known) {
          uint32_t p = 0;
          for (int c = 0; c < 3; ++c) p |= uint32_t((sum[c] + known / 2) / known) << (8 * c);
          coarse.px[i] = p;
        }
      }
    }
  });
  return coarse;
}

// The holes' bounding box grown by one pixel inside the level, edges inclusive; right < 0 when the
// level has no hole.
struct HoleBounds {
  int left, top, right, bottom;
};

HoleBounds FindHoleBounds(const Level& level);

// The chessboard distance of each pixel to a known one (0 for known pixels) into `d`; returns the
// largest.
int Depths(const Level& level, std::vector<int32_t>& d) {
  const int w = level.w, h = level.h;
  d.assign(size_t(w) * h, 0);
  const int32_t far = INT_MAX / 2;
  // Known pixels keep 0: the passes cover the holes' bounds, where all the others lie.
  const HoleBounds bounds = FindHoleBounds(level);
  for (int y = bounds.top; y <= bounds.bottom; ++y) {
    for (int x = bounds.left; x <= bounds.right; ++x) {
      const size_t i = size_t(y) * w + x;
      int32_t v = level.hole[i] ? far : 0;
      if (v) {
        if (x > 0) v = std::min(v, d[i - 1] + 1);
        if (y > 0) {
          v = std::min(v, d[i - w] + 1);
          if (x > 0) v = std::min(v, d[i - w - 1] + 1);
          if (x + 1 < w) v = std::min(v, d[i - w + 1] + 1);
        }
      }
      d[i] = v;
    }
  }
  int32_t thickest = 0;
  for (int y = bounds.bottom; y >= bounds.top; --y) {
    for (int x = bounds.right; x >= bounds.left; --x) {
      const size_t i = size_t(y) * w + x;
      int32_t v = d[i];
      if (v) {
        if (x + 1 < w) v = std::min(v, d[i + 1] + 1);
        if (y + 1 < h) {
          v = std::min(v, d[i + w] + 1);
          if (x + 1 < w) v = std::min(v, d[i + w + 1] + 1);
          if (x > 0) v = std::min(v, d[i + w - 1] + 1);
        }
        d[i] = v;
        if (v < far) thickest = std::max(thickest, v);
      }
    }
  }
  return thickest;
}

// A smooth first fill of the holes (Telea's method), for the coarsest level or when no patch fits.
// OpenCV's Telea leaves the outermost rows and columns of its picture alone, so the level is given
// a copied border of two pixels.
void SmoothFill(Level& level) {
  constexpr int PAD = 2;
  cv::Mat paddedColour(level.h + 2 * PAD, level.w + 2 * PAD, CV_8UC3);
  cv::Mat paddedHoles(level.h + 2 * PAD, level.w + 2 * PAD, CV_8UC1);
  const cv::Rect inner(PAD, PAD, level.w, level.h);
  cv::Mat colour = paddedColour(inner);
  cv::Mat holes = paddedHoles(inner);
  for (int y = 0; y < level.h; ++y) {
    uint8_t* c = colour.ptr<uint8_t>(y);
    uint8_t* m = holes.ptr<uint8_t>(y);
    for (int x = 0; x < level.w; ++x) {
      const size_t i = size_t(y) * level.w + x;
      const uint32_t p = level.px[i];
      for (int k = 0; k < 3; ++k) c[3 * x + k] = static_cast<uint8_t>(p >> (8 * k));
      m[x] = level.hole[i] ? 255 : 0;
    }
  }
  cv::copyMakeBorder(colour, paddedColour, PAD, PAD, PAD, PAD, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
  cv::copyMakeBorder(holes, paddedHoles, PAD, PAD, PAD, PAD, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
  cv::Mat filled;
  cv::inpaint(paddedColour, paddedHoles, filled, 3, cv::INPAINT_TELEA);
  for (int y = 0; y < level.h; ++y) {
    const uint8_t* c = filled.ptr<uint8_t>(y + PAD) + 3 * PAD;
    for (int x = 0; x < level.w; ++x) {
      const size_t i = size_t(y) * level.w + x;
      if (level.hole[i]) level.px[i] = uint32_t(c[3 * x]) | uint32_t(c[3 * x + 1]) << 8 | uint32_t(c[3 * x + 2]) << 16;
    }
  }
}

// Where the holes have surfaces, the smooth first fill is moved towards one of each surface's hole
// pixels from that surface's known pixels only: the start then already parts the surfaces where
// their labels do, and still hedges where the labels are wrong. The two surfaces' smooth fills
// read no hole pixel and are independent: they run side by side.
void SmoothFillBySurface(Level& level, unsigned threads) {
  if (level.surface.empty()) return;
  Level alone[2];
  bool known[2] = {false, false};
  ParallelFor(2, threads, [&](int s) {
    const uint8_t side = uint8_t(s + 1);
    Level& own = alone[s];
    own.w = level.w;
    own.h = level.h;
    own.px = level.px;
    own.hole.resize(level.hole.size());
    for (size_t i = 0; i < level.hole.size(); ++i) {
      own.hole[i] = level.hole[i] || level.surface[i] != side ? 1 : 0;
      known[s] = known[s] || !own.hole[i];
    }
    if (known[s]) SmoothFill(own);
  });
  for (const uint8_t side : {uint8_t(1), uint8_t(2)}) {
    if (!known[side - 1]) continue;
    const Level& apart = alone[side - 1];
    for (size_t i = 0; i < level.hole.size(); ++i) {
      if (level.hole[i] && level.surface[i] == side) {
        uint32_t p = 0;
        for (int k = 0; k < 3; ++k) {
          const int both = (level.px[i] >> (8 * k)) & 0xFF, own = (apart.px[i] >> (8 * k)) & 0xFF;
          p |= uint32_t((both * (100 - SURFACE_START) + own * SURFACE_START + 50) / 100) << (8 * k);
        }
        level.px[i] = p;
      }
    }
  }
}

// Whether a hole pixel lies within reach (in both directions) of pixel (x, y).
bool NearHole(const Level& level, int x, int y, int reach) {
  for (int ny = std::max(0, y - reach); ny <= std::min(level.h - 1, y + reach); ++ny) {
    for (int nx = std::max(0, x - reach); nx <= std::min(level.w - 1, x + reach); ++nx) {
      if (level.hole[size_t(ny) * level.w + nx]) return true;
    }
  }
  return false;
}

// What the matches of the target patches over pixel (x, y) say it is, channel by channel.
void Said(const Level& level, int x, int y, float out[3]) {
  const int w = level.w, r = level.r;
  float sum[3] = {0.f, 0.f, 0.f}, total = 0.f;
  for (int cy = std::max(r, y - r); cy <= std::min(level.h - 1 - r, y + r); ++cy) {
    for (int cx = std::max(r, x - r); cx <= std::min(w - 1 - r, x + r); ++cx) {
      const size_t c = size_t(cy) * w + cx;
      if (!level.target[c] || level.match[c] < 0) continue;
      const float weight = level.weight[c];
      const uint32_t p = level.px[size_t(level.match[c] + (y - cy) * w + (x - cx))];
      for (int k = 0; k < 3; ++k) sum[k] += weight * float((p >> (8 * k)) & 0xFF);
      total += weight;
    }
  }
  for (int k = 0; k < 3; ++k) out[k] = total > 0.f ? sum[k] / total : -1.f;
}

// Scattered values (weight 1 where known, 0 elsewhere) spread smoothly over the whole grid:
// averaged into ever coarser grids, then filled back in from the coarse ones where unknown.
struct Spread {
  int w = 0, h = 0;
  std::vector<float> v;       // three values a cell
  std::vector<float> weight;  // at most 1

  // Relaxes the cells that hold no value towards the mean of their four neighbours (successive
  // over-relaxation, the cells of a chessboard's two colours in turn, so that the result does not
  // depend on the number of threads): towards the smoothest surface through the known values,
  // which is the correction a blend in the gradient domain makes.
  void Settle(unsigned threads) {
    const int bands = (h + BAND - 1) / BAND;
    if (size_t(w) * h < SETTLE_PARALLEL_CELLS) threads = 1;
    ForPhases(bands, 2 * SETTLE_SWEEPS, threads, [](int) { return 1; }, [&](int band, int phase) {
      for (int y = band * BAND; y < std::min(h, (band + 1) * BAND); ++y) SettleRow(y, phase % 2);
    });
  }

  void SettleRow(int y, int colour) {
    const bool inner = y > 0 && y + 1 < h;
    for (int x = (y + colour) % 2; x < w; x += 2) {
      const size_t i = size_t(y) * w + x;
      if (weight[i] > 0.f) continue;
      float* c = &v[3 * i];
      if (inner && x > 0 && x + 1 < w) {
        const float* l = c - 3;
        const float* r = c + 3;
        const float* u = c - 3 * size_t(w);
        const float* d = c + 3 * size_t(w);
        for (int k = 0; k < 3; ++k) c[k] += SETTLE_RELAXATION * (0.25f * (l[k] + r[k] + u[k] + d[k]) - c[k]);
        continue;
      }
      const int n = (x > 0) + (x + 1 < w) + (y > 0) + (y + 1 < h);
      if (n == 0) continue;
      for (int k = 0; k < 3; ++k) {
        float sum = 0.f;
        if (x > 0) sum += c[k - 3];
        if (x + 1 < w) sum += c[k + 3];
        if (y > 0) sum += c[k - 3 * w];
        if (y + 1 < h) sum += c[k + 3 * w];
        c[k] += SETTLE_RELAXATION * (sum / float(n) - c[k]);
      }
    }
  }

  void Fill(unsigned threads) {
    if (w <= 1 && h <= 1) return;
    Spread coarse;
    coarse.w = (w + 1) / 2;
    coarse.h = (h + 1) / 2;
    coarse.v.assign(size_t(coarse.w) * coarse.h * 3, 0.f);
    coarse.weight.assign(size_t(coarse.w) * coarse.h, 0.f);
    if (size_t(w) * h < SETTLE_PARALLEL_CELLS) threads = 1;
    // A coarse row from its two fine rows: each cell sums its four in the same order on any
    // number of threads.
    ParallelFor((coarse.h + BAND - 1) / BAND, threads, [&](int band) {
      for (int cy = band * BAND; cy < std::min(coarse.h, (band + 1) * BAND); ++cy) {
        for (int y = 2 * cy; y < std::min(h, 2 * cy + 2); ++y) {
          for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x, c = size_t(y / 2) * coarse.w + x / 2;
            coarse.weight[c] += weight[i];
            for (int k = 0; k < 3; ++k) coarse.v[3 * c + k] += weight[i] * v[3 * i + k];
          }
        }
        for (size_t c = size_t(cy) * coarse.w; c < size_t(cy + 1) * coarse.w; ++c) {
          if (coarse.weight[c] > 0.f) {
            for (int k = 0; k < 3; ++k) coarse.v[3 * c + k] /= coarse.weight[c];
          }
          coarse.weight[c] = std::min(1.f, coarse.weight[c]);
        }
      }
    });
    coarse.Fill(threads);
    ParallelFor((h + BAND - 1) / BAND, threads, [&](int band) {
      for (int y = band * BAND; y < std::min(h, (band + 1) * BAND); ++y) {
        const float sy = std::clamp((y + 0.5f) * 0.5f - 0.5f, 0.f, float(coarse.h - 1));
        const int y0 = static_cast<int>(sy), y1 = std::min(y0 + 1, coarse.h - 1);
        const float fy = sy - y0;
        for (int x = 0; x < w; ++x) {
          const size_t i = size_t(y) * w + x;
          if (weight[i] >= 1.f) continue;
          const float sx = std::clamp((x + 0.5f) * 0.5f - 0.5f, 0.f, float(coarse.w - 1));
          const int x0 = static_cast<int>(sx), x1 = std::min(x0 + 1, coarse.w - 1);
          const float fx = sx - x0;
          for (int k = 0; k < 3; ++k) {
            const float top = coarse.v[3 * (size_t(y0) * coarse.w + x0) + k] * (1 - fx) +
                              coarse.v[3 * (size_t(y0) * coarse.w + x1) + k] * fx;
            const float bottom = coarse.v[3 * (size_t(y1) * coarse.w + x0) + k] * (1 - fx) +
                                 coarse.v[3 * (size_t(y1) * coarse.w + x1) + k] * fx;
            v[3 * i + k] = weight[i] * v[3 * i + k] + (1 - weight[i]) * (top * (1 - fy) + bottom * fy);
          }
        }
      }
    });
    Settle(threads);
  }
};

HoleBounds FindHoleBounds(const Level& level) {
  const int w = level.w, h = level.h;
  std::vector<HoleBounds> bands(size_t(level.Bands()), HoleBounds{w, h, -1, -1});
  ForRows(h, [&](int y0, int y1) {
    HoleBounds& b = bands[size_t(y0 / BAND)];
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < w; ++x) {
        if (!level.hole[size_t(y) * w + x]) continue;
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
      }
    }
  });
  HoleBounds b{w, h, -1, -1};
  for (const HoleBounds& band : bands) {
    b.left = std::min(b.left, band.left);
    b.right = std::max(b.right, band.right);
    b.top = std::min(b.top, band.top);
    b.bottom = std::max(b.bottom, band.bottom);
  }
  if (b.right < 0) return b;
  return {std::max(0, b.left - 1), std::max(0, b.top - 1), std::min(w - 1, b.right + 1), std::min(h - 1, b.bottom + 1)};
}

// Whether the known pixel (x, y) next to the holes is unlike the known pixels a few steps farther
// from them, which are like what the matches say (said) at it: a thin fringe along the holes.
bool Unlike(const Level& level, int x, int y, const float said[3]) {
  int hx = 0, hy = 0;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int nx = x + dx, ny = y + dy;
      if (nx >= 0 && ny >= 0 && nx < level.w && ny < level.h && level.hole[size_t(ny) * level.w + nx]) hx += dx, hy += dy;
    }
  }
  const double length = std::hypot(double(hx), double(hy));
  if (length == 0) return false;
  auto off = [&](uint32_t p) {
    float d = 0.f;
    for (int k = 0; k < 3; ++k) d = std::max(d, std::abs(float((p >> (8 * k)) & 0xFF) - said[k]));
    return d;
  };
  const float near = off(level.px[size_t(y) * level.w + x]);
  for (const int out : {REMNANT_OUT, 2 * REMNANT_OUT}) {
    const int ox = x - static_cast<int>(std::lround(out * hx / length));
    const int oy = y - static_cast<int>(std::lround(out * hy / length));
    if (ox < 0 || oy < 0 || ox >= level.w || oy >= level.h || level.hole[size_t(oy) * level.w + ox]) return false;
    if (off(level.px[size_t(oy) * level.w + ox]) >= 0.5f * near) return false;
  }
  return true;
}

// The border's differences (three a cell of the bounds, where weight is above 0; 0.5 where Unlike
// holds) of the pixels that are remnants lose their weight and are marked in level.remnant; the
// other weights become 1. A fringe of the removed object left around the holes would else be spread
// into them as a ghost of its outline.
void SkipRemnants(Level& level, const HoleBounds& b, const std::vector<float>& v, std::vector<float>& weight) {
  const int bw = b.right - b.left + 1, bh = b.bottom - b.top + 1;
  level.remnant.assign(size_t(bw) * bh, 0);
  ForRows(bh, [&](int y0, int y1) {
    for (size_t c = size_t(y0) * bw; c < size_t(y1) * bw; ++c) {
      const float size = std::max({std::abs(v[3 * c]), std::abs(v[3 * c + 1]), std::abs(v[3 * c + 2])});
      if (weight[c] > 0.f && weight[c] < 1.f && size > REMNANT_FLOOR) level.remnant[c] = 1;
    }
  });
  std::vector<uint8_t> run(level.remnant.size(), 0);
  ForRows(bh, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < bw; ++x) {
        const size_t c = size_t(y) * bw + x;
        if (weight[c] <= 0.f) continue;
        int near = 0;
        if (level.remnant[c]) {
          for (int ny = std::max(0, y - REMNANT_OUT); ny <= std::min(bh - 1, y + REMNANT_OUT); ++ny) {
            for (int nx = std::max(0, x - REMNANT_OUT); nx <= std::min(bw - 1, x + REMNANT_OUT); ++nx) {
              near += level.remnant[size_t(ny) * bw + nx];
            }
          }
        }
        run[c] = near >= REMNANT_RUN ? 1 : 0;
        weight[c] = run[c] ? 0.f : 1.f;
      }
    }
  });
  level.remnant.swap(run);
}

// The border cells whose difference exceeds LOCAL_DIFFERENCE leave the spread (weight 0): their
// differences (three a cell, 0 elsewhere), or none if there are none.
std::vector<float> TakeLocalDifferences(Spread& spread) {
  std::vector<float> local;
  for (size_t c = 0; c < spread.weight.size(); ++c) {
    float* d = &spread.v[3 * c];
    if (spread.weight[c] < 1.f || std::max({std::abs(d[0]), std::abs(d[1]), std::abs(d[2])}) <= LOCAL_DIFFERENCE) {
      continue;
    }
    if (local.empty()) local.assign(spread.v.size(), 0.f);
    std::copy(d, d + 3, &local[3 * c]);
    spread.weight[c] = 0.f;
    std::fill(d, d + 3, 0.f);
  }
  return local;
}

// Adds to the correction of each hole cell within FADE_REACH of local differences their mean,
// weighed by nearness (1 at the cell, 0 at FADE_REACH), times the nearness of the nearest.
void FadeIn(const Level& level, const HoleBounds& b, const std::vector<float>& local, Spread& spread,
            unsigned threads) {
  const int sw = spread.w, sh = spread.h, reach = FADE_REACH;
  // Rows of cells with a local difference, as a running count: a window of rows without any is skipped.
  std::vector<int> rows(size_t(sh) + 1, 0);
  for (int y = 0; y < sh; ++y) {
    bool any = false;
    for (size_t c = size_t(y) * sw; c < size_t(y + 1) * sw && !any; ++c) any = local[3 * c] || local[3 * c + 1] || local[3 * c + 2];
    rows[size_t(y) + 1] = rows[size_t(y)] + (any ? 1 : 0);
  }
  ParallelFor((sh + BAND - 1) / BAND, threads, [&](int band) {
    for (int y = band * BAND; y < std::min(sh, (band + 1) * BAND); ++y) {
      const int y0 = std::max(0, y - reach + 1), y1 = std::min(sh - 1, y + reach - 1);
      if (rows[size_t(y1) + 1] == rows[size_t(y0)]) continue;
      for (int x = 0; x < sw; ++x) {
        if (!level.hole[size_t(y + b.top) * level.w + (x + b.left)]) continue;
        float sum[3] = {0.f, 0.f, 0.f}, total = 0.f, nearest = 0.f;
        for (int ny = y0; ny <= y1; ++ny) {
          for (int nx = std::max(0, x - reach + 1); nx <= std::min(sw - 1, x + reach - 1); ++nx) {
            const float* d = &local[3 * (size_t(ny) * sw + nx)];
            if (!d[0] && !d[1] && !d[2]) continue;
            const float near = 1.f - std::hypot(float(nx - x), float(ny - y)) / reach;
            if (near <= 0.f) continue;
            for (int k = 0; k < 3; ++k) sum[k] += near * d[k];
            total += near;
            nearest = std::max(nearest, near);
          }
        }
        if (total <= 0.f) continue;
        float* v = &spread.v[3 * (size_t(y) * sw + x)];
        for (int k = 0; k < 3; ++k) v[k] += nearest * sum[k] / total;
      }
    }
  });
}

// The fill is shifted by a smooth correction: on the known pixels next to the holes it is the
// difference between the picture and what the matches say there, and inside the holes the
// smoothest surface through those values (a blend in the gradient domain, with the fill's own
// gradients kept). Tone and brightness then follow the border with no seam.
void BlendIntoBorder(Level& level, unsigned threads) {
  const int w = level.w;
  const HoleBounds bounds = FindHoleBounds(level);
  if (bounds.right < 0) return;
  const int left = bounds.left, top = bounds.top, right = bounds.right, bottom = bounds.bottom;
  Spread spread;
  spread.w = right - left + 1;
  spread.h = bottom - top + 1;
  spread.v.assign(size_t(spread.w) * spread.h * 3, 0.f);
  spread.weight.assign(size_t(spread.w) * spread.h, 0.f);
  const int bands = (spread.h + BAND - 1) / BAND;
  const unsigned bandThreads = size_t(spread.w) * spread.h < SETTLE_PARALLEL_CELLS ? 1 : threads;
  ParallelFor(bands, bandThreads, [&](int band) {
    for (int y = top + band * BAND; y <= std::min(bottom, top + (band + 1) * BAND - 1); ++y) {
      for (int x = left; x <= right; ++x) {
        const size_t i = size_t(y) * w + x;
        if (level.hole[i]) continue;
        if (!NearHole(level, x, y, 1)) continue;
        float said[3];
        Said(level, x, y, said);
        if (said[0] < 0.f) continue;
        const size_t s = size_t(y - top) * spread.w + (x - left);
        spread.weight[s] = 1.f;
        for (int k = 0; k < 3; ++k) spread.v[3 * s + k] = float((level.px[i] >> (8 * k)) & 0xFF) - said[k];
        if (Unlike(level, x, y, said)) spread.weight[s] = 0.5f;  // see SkipRemnants
      }
    }
  });
  SkipRemnants(level, bounds, spread.v, spread.weight);
  std::vector<float> local = TakeLocalDifferences(spread);
  spread.Fill(threads);
  if (!local.empty()) FadeIn(level, bounds, local, spread, bandThreads);
  ParallelFor(bands, bandThreads, [&](int band) {
    for (int y = top + band * BAND; y <= std::min(bottom, top + (band + 1) * BAND - 1); ++y) {
      for (int x = left; x <= right; ++x) {
        const size_t i = size_t(y) * w + x;
        if (!level.hole[i]) continue;
        const size_t s = size_t(y - top) * spread.w + (x - left);
        uint32_t p = 0;
        for (int k = 0; k < 3; ++k) {
          const long value = std::lround(float((level.px[i] >> (8 * k)) & 0xFF) + spread.v[3 * s + k]);
          p |= uint32_t(std::clamp(value, 0L, 255L)) << (8 * k);
        }
        level.px[i] = p;
      }
    }
  });
}

// Whether a pixel and its right (d 0) or lower (d 1) neighbour lie in the level, both known.
bool Known(const Level& level, long i, int d) {
  if (i < 0 || i >= long(level.px.size()) || level.hole[size_t(i)]) return false;
  const long j = d == 0 ? i + 1 : i + level.w;
  if (d == 0 ? i % level.w + 1 >= level.w : j >= long(level.px.size())) return false;
  return !level.hole[size_t(j)];
}

// Where neighbouring hole pixels were copied from different places, the step between them is
// taken as the mean of what the two sources show there, elsewhere as the fill has it; the holes
// are then made to follow those steps from their border on (a Poisson solve, started from the
// fill). Patches from sources of a slightly different tone then meet with no seam.
void KnitSeams(Level& level, unsigned threads) {
  const int w = level.w;
  const HoleBounds bounds = FindHoleBounds(level);
  if (bounds.right < 0) return;
  const int left = bounds.left, top = bounds.top, right = bounds.right, bottom = bounds.bottom;
  const int bw = right - left + 1, bh = bottom - top + 1;
  auto channel = [&](size_t i, int k) { return float((level.px[i] >> (8 * k)) & 0xFF); };
  // Where a hole pixel was copied from: its match's offset, if it has one.
  auto source = [&](size_t i) -> long {
    if (!level.copied.empty()) return level.copied[i] == INT32_MIN ? LONG_MIN : long(level.copied[i]);
    return level.target[i] && level.match[i] >= 0 ? long(level.match[i]) - long(i) : LONG_MIN;
  };
  // steps[d][3 * cell + k]: the wanted value of the right (d 0) or lower (d 1) neighbour less the cell's.
  // One float more than the cells hold: the sweeps load a cell's three with a fourth beside them.
  std::vector<float> steps[2] = {std::vector<float>(size_t(bw) * bh * 3 + 1, 0.f),
                                 std::vector<float>(size_t(bw) * bh * 3 + 1, 0.f)};
  std::vector<float> f(size_t(bw) * bh * 3 + 1);
  const int bands = (bh + BAND - 1) / BAND;
  if (size_t(bw) * bh < SETTLE_PARALLEL_CELLS) threads = 1;
  ParallelFor(bands, threads, [&](int band) {
    for (int y = top + band * BAND; y <= std::min(bottom, top + (band + 1) * BAND - 1); ++y) {
      for (int x = left; x <= right; ++x) {
        const size_t i = size_t(y) * w + x, c = size_t(y - top) * bw + (x - left);
        for (int k = 0; k < 3; ++k) f[3 * c + k] = channel(i, k);
        for (int d = 0; d < 2; ++d) {
          const int nx = x + (d == 0), ny = y + (d == 1);
          if (nx > right || ny > bottom) continue;
          const size_t j = size_t(ny) * w + nx;
          if (!level.hole[i] && !level.hole[j]) continue;
          const long si = level.hole[i] ? source(i) : LONG_MIN, sj = level.hole[j] ? source(j) : LONG_MIN;
          float* step = &steps[d][3 * c];
          // A remnant beside the holes is no border to follow (see SkipRemnants).
          const size_t known = level.hole[i] ? c + (d == 0 ? 1 : size_t(bw)) : c;
          const bool remnant = !level.remnant.empty() && level.remnant[known];
          const bool seam = !remnant && (si != LONG_MIN || sj != LONG_MIN) && si != sj;
          if (!seam) {
            for (int k = 0; k < 3; ++k) step[k] = channel(j, k) - channel(i, k);
            continue;
          }
          int views = 0;
          for (const long o : {si, sj}) {
            // A pixel copied from the edge of its source patch: the step beyond it shows what lies
            // next to the patch, which may be a hole or off the level.
            if (o == LONG_MIN || !Known(level, long(i) + o, d)) continue;
            ++views;
            for (int k = 0; k < 3; ++k) step[k] += channel(size_t(long(j) + o), k) - channel(size_t(long(i) + o), k);
          }
          float off = 0.f;
          for (int k = 0; k < 3; ++k) {
            step[k] = views ? step[k] / float(views) : channel(j, k) - channel(i, k);
            off = std::max(off, std::abs(step[k] - (channel(j, k) - channel(i, k))));
          }
          // A known neighbour unlike what the sources show beside them: an edge or a remnant,
          // which the solve would else spread over the holes (see LOCAL_DIFFERENCE).
          if (level.hole[i] != level.hole[j] && off > KNIT_LOCAL_DIFFERENCE) {
            for (int k = 0; k < 3; ++k) step[k] = channel(j, k) - channel(i, k);
          }
        }
      }
    }
  });
  // The runs of hole pixels along each row, [from, to): the sweeps visit those alone.
  std::vector<std::vector<std::pair<int, int>>> runs(static_cast<size_t>(bh));
  ParallelFor(bands, threads, [&](int band) {
    for (int by = band * BAND; by < std::min(bh, (band + 1) * BAND); ++by) {
      const uint8_t* row = &level.hole[size_t(by + top) * w + left];
      for (int bx = 0; bx < bw;) {
        if (!row[bx]) {
          ++bx;
          continue;
        }
        const int from = bx;
        while (bx < bw && row[bx]) ++bx;
        runs[size_t(by)].emplace_back(from, bx);
      }
    }
  });
  auto holeCells = [&](int band) {
    size_t cells = 0;
    for (int by = band * BAND; by < std::min(bh, (band + 1) * BAND); ++by) {
      for (const auto& [from, to] : runs[size_t(by)]) cells += size_t(to - from);
    }
    return cells;
  };
  ForPhases(bands, 2 * KNIT_SWEEPS, threads, holeCells, [&](int band, int phase) {
    for (int by = band * BAND; by < std::min(bh, (band + 1) * BAND); ++by) {
      for (const auto& [from, to] : runs[size_t(by)]) {
        for (int bx = from + (from + by + phase) % 2; bx < to; bx += 2) {
          // The three channels at once, each with the same operations in the same order as alone.
          const size_t c = size_t(by) * bw + bx;
          __m128 sum = _mm_setzero_ps();
          int n = 0;
          auto add = [&](size_t other, const float* step, float sign) {
            ++n;
            const __m128 term = _mm_mul_ps(_mm_set1_ps(sign), _mm_loadu_ps(step));
            sum = _mm_add_ps(sum, _mm_sub_ps(_mm_loadu_ps(&f[3 * other]), term));
          };
          if (bx + 1 < bw) add(c + 1, &steps[0][3 * c], 1.f);
          if (bx > 0) add(c - 1, &steps[0][3 * (c - 1)], -1.f);
          if (by + 1 < bh) add(c + bw, &steps[1][3 * c], 1.f);
          if (by > 0) add(c - bw, &steps[1][3 * (c - bw)], -1.f);
          if (n == 0) continue;
          float* cell = &f[3 * c];
          const __m128 old = _mm_loadu_ps(cell);
          const __m128 now = _mm_add_ps(
              old, _mm_mul_ps(_mm_set1_ps(SETTLE_RELAXATION), _mm_sub_ps(_mm_div_ps(sum, _mm_set1_ps(float(n))), old)));
          // The fourth lane is the next cell's: only the three are stored.
          _mm_storel_pi(reinterpret_cast<__m64*>(cell), now);
          _mm_store_ss(cell + 2, _mm_movehl_ps(now, now));
        }
      }
    }
  });
  // The solve may overshoot where steps from different sources pile up; the pieces it joins were
  // all copied from known pixels, so the result keeps to the known pixels' range around the holes.
  std::vector<std::array<long, 6>> ranges(size_t(bands), {255, 255, 255, 0, 0, 0});
  ParallelFor(bands, threads, [&](int band) {
    std::array<long, 6>& range = ranges[size_t(band)];
    for (int y = top + band * BAND; y <= std::min(bottom, top + (band + 1) * BAND - 1); ++y) {
      for (int x = left; x <= right; ++x) {
        const size_t i = size_t(y) * w + x;
        if (level.hole[i]) continue;
        for (int k = 0; k < 3; ++k) {
          const long value = long((level.px[i] >> (8 * k)) & 0xFF);
          range[size_t(k)] = std::min(range[size_t(k)], value);
          range[size_t(k) + 3] = std::max(range[size_t(k) + 3], value);
        }
      }
    }
  });
  long low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
  for (const std::array<long, 6>& range : ranges) {
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], range[size_t(k)]);
      high[k] = std::max(high[k], range[size_t(k) + 3]);
    }
  }
  for (int k = 0; k < 3; ++k) {
    if (low[k] > high[k]) low[k] = 0, high[k] = 255;
  }
  ParallelFor(bands, threads, [&](int band) {
    for (int y = top + band * BAND; y <= std::min(bottom, top + (band + 1) * BAND - 1); ++y) {
      for (int x = left; x <= right; ++x) {
        const size_t i = size_t(y) * w + x, c = size_t(y - top) * bw + (x - left);
        if (!level.hole[i]) continue;
        uint32_t p = 0;
        for (int k = 0; k < 3; ++k) p |= uint32_t(std::clamp(std::lround(f[3 * c + k]), low[k], high[k])) << (8 * k);
        level.px[i] = p;
      }
    }
  });
  std::vector<uint8_t>().swap(level.remnant);
}

// The surface of each hole pixel from the boundary between the two surfaces, continued across the
// holes: where the rim's surface changes (a crossing), paired crossings are joined by a line (a
// curve where the boundary bows, else straight), and each part of the holes the lines cut off takes
// the surface of the rim it lies against. An edge that enters a hole thus continues along its
// line, a band across it stays whole, and a surface touching a short part of the rim keeps to the
// sliver beside it. Needs the known pixels' surfaces.
void JoinCrossings(Level& level) {
  const int w = level.w, h = level.h;
  cv::Mat mask(h, w, CV_8UC1);
  for (int y = 0; y < h; ++y) {
    uint8_t* m = mask.ptr<uint8_t>(y);
    for (int x = 0; x < w; ++x) m[x] = level.hole[size_t(y) * w + x] ? 255 : 0;
  }
  std::vector<std::vector<cv::Point>> contours;
  cv::findContours(mask, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
  // The surface a count has more of (1 or 2), 0 on a tie.
  auto more = [](const int* count) { return count[1] > count[2] ? 1 : count[2] > count[1] ? 2 : 0; };
  const int smooth = std::max(2, JOIN_SMOOTH * level.r);
  const int reach = std::max(4, JOIN_REACH * level.r);
  std::vector<uint8_t> cut(size_t(w) * h, 0);
  for (const std::vector<cv::Point>& contour : contours) {
    const int n = static_cast<int>(contour.size());
    if (n < 4 * smooth) continue;
    // The rim's surface at each contour point: the more frequent among the known pixels next to
    // it, then along the rim the more frequent within `smooth` points either side.
    std::vector<int> raw(size_t(n), 0), rim(size_t(n), 0);
    for (int k = 0; k < n; ++k) {
      int count[3] = {0, 0, 0};
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int x = contour[k].x + dx, y = contour[k].y + dy;
          if (x >= 0 && y >= 0 && x < w && y < h && !level.hole[size_t(y) * w + x]) ++count[level.surface[size_t(y) * w + x]];
        }
      }
      raw[k] = more(count);
    }
    int last = 0;
    for (int k = 0; k < n; ++k) {
      int count[3] = {0, 0, 0};
      for (int j = -smooth; j <= smooth; ++j) ++count[raw[size_t(((k + j) % n + n) % n)]];
      rim[k] = more(count);
      if (rim[k]) last = rim[k];
    }
    if (!last) continue;
    // Undecided points take the surface before them, the first ones the last.
    for (int k = 0; k < n; ++k) last = rim[k] = rim[k] ? rim[k] : last;
    // Where the rim's surface changes, the length of the run from the c-th change to the next, and
    // that run given the surface before it.
    std::vector<int> changes;
    auto listChanges = [&] {
      changes.clear();
      for (int k = 0; k < n; ++k) {
        if (rim[k] != rim[(k + n - 1) % n]) changes.push_back(k);
      }
    };
    auto runLength = [&](size_t c) { return ((changes[(c + 1) % changes.size()] - changes[c]) % n + n) % n; };
    auto mergeRun = [&](size_t c) {
      const int begin = changes[c], end = changes[(c + 1) % changes.size()];
      for (int k = begin; k != end; k = (k + 1) % n) rim[k] = rim[(begin + n - 1) % n];
    };
    // Runs shorter than `smooth` join the run before them, until all are longer.
    for (bool merged = true; merged;) {
      merged = false;
      listChanges();
      for (size_t c = 0; c < changes.size() && !merged; ++c) {
        if (runLength(c) >= smooth) continue;
        mergeRun(c);
        merged = true;
      }
    }
    if (changes.empty()) continue;
    // More than four crossings cannot be paired reliably: the shortest runs, likelier flecks of
    // the other surface than parts of it, join the runs beside them until four are left.
    while (changes.size() > 4) {
      size_t shortest = 0;
      for (size_t c = 1; c < changes.size(); ++c) {
        if (runLength(c) < runLength(shortest)) shortest = c;
      }
      mergeRun(shortest);
      listChanges();
    }
    // A crossing's place and the direction the boundary takes into the hole there: across from the
    // mean place of the one surface's known pixels around it to the other's; none where it runs
    // along the rim. The boundary's line there too, fitted to the places (midway between two known
    // neighbours) where the surface changes: the direction above leans towards the rim's normal
    // where the boundary enters at a slant, which a pairing bears but a curve does not.
    struct Crossing {
      cv::Point2d at, along, line;
    };
    std::vector<Crossing> crossings;
    for (int k : changes) {
      Crossing c{cv::Point2d(contour[size_t(k)]), cv::Point2d(0, 0), cv::Point2d(0, 0)};
      cv::Point2d mean[3], inward(0, 0), edge(0, 0);
      int count[3] = {0, 0, 0}, edges = 0;
      double exx = 0, exy = 0, eyy = 0;
      for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
          const int x = contour[size_t(k)].x + dx, y = contour[size_t(k)].y + dy;
          if (x < 0 || y < 0 || x >= w || y >= h || dx * dx + dy * dy > reach * reach) continue;
          const size_t i = size_t(y) * w + x;
          if (level.hole[i]) {
            inward += cv::Point2d(dx, dy);
            continue;
          }
          mean[level.surface[i]] += cv::Point2d(dx, dy);
          ++count[level.surface[i]];
          auto edgeTo = [&](size_t j, const cv::Point2d& e) {
            if (level.hole[j] || level.surface[j] == level.surface[i]) return;
            edge += e;
            exx += e.x * e.x;
            exy += e.x * e.y;
            eyy += e.y * e.y;
            ++edges;
          };
          if (x + 1 < w) edgeTo(i + 1, cv::Point2d(dx + 0.5, dy));
          if (y + 1 < h) edgeTo(i + size_t(w), cv::Point2d(dx, dy + 0.5));
        }
      }
      const double depth = std::hypot(inward.x, inward.y);
      if (count[1] && count[2] && depth > 0) {
        const cv::Point2d across = mean[2] / count[2] - mean[1] / count[1];
        const double length = std::hypot(across.x, across.y);
        if (length > 0) {
          const cv::Point2d along(-across.y / length, across.x / length);
          const double into = along.dot(inward) / depth;
          if (std::abs(into) >= JOIN_MIN_ENTRY) c.along = into > 0 ? along : -along;
        }
      }
      if (edges >= 3 && depth > 0) {
        const cv::Point2d centre = edge / edges;
        const double cxx = exx / edges - centre.x * centre.x, cxy = exy / edges - centre.x * centre.y,
                     cyy = eyy / edges - centre.y * centre.y;
        const double half = 0.5 * (cxx + cyy), spread = std::hypot(0.5 * (cxx - cyy), cxy);
        if (half + spread > 0 && half - spread <= JOIN_STRAIGHTNESS * (half + spread)) {
          const double angle = 0.5 * std::atan2(2 * cxy, cxx - cyy);
          const cv::Point2d line(std::cos(angle), std::sin(angle));
          const double into = line.dot(inward) / depth;
          if (std::abs(into) >= JOIN_MIN_ENTRY) c.line = into > 0 ? line : -line;
        }
      }
      crossings.push_back(c);
    }
    // Crossings next to each other along the rim are paired, the way whose joins better follow the
    // directions the boundary enters by (a band across the hole stays whole), else the way that
    // joins them closer.
    auto gap = [&](size_t a, size_t b) { return cv::norm(crossings[b].at - crossings[a].at); };
    auto follow = [&](size_t a, size_t b) {
      const cv::Point2d join = crossings[b].at - crossings[a].at;
      const double length = std::hypot(join.x, join.y);
      return length > 0 ? (crossings[a].along.dot(join) - crossings[b].along.dot(join)) / length : 0.0;
    };
    std::vector<std::pair<size_t, size_t>> pairs{{0, 1}};
    if (crossings.size() == 4) {
      const double first = follow(0, 1) + follow(2, 3), second = follow(1, 2) + follow(3, 0);
      const bool byFirst = std::abs(first - second) > JOIN_PAIR_MARGIN ? first > second
                                                                       : gap(0, 1) + gap(2, 3) <= gap(1, 2) + gap(3, 0);
      pairs = byFirst ? std::vector<std::pair<size_t, size_t>>{{0, 1}, {2, 3}}
                      : std::vector<std::pair<size_t, size_t>>{{1, 2}, {3, 0}};
    }
    for (const auto& [a, b] : pairs) {
      const cv::Point2d from = crossings[a].at, to = crossings[b].at;
      const double chord = cv::norm(to - from);
      const int steps = std::max(2, static_cast<int>(4 * chord));
      // A cubic curve from `from` to `to` through the control points `first` and `second`.
      const cv::Point2d first = from + crossings[a].line * (JOIN_TANGENT * chord);
      const cv::Point2d second = to + crossings[b].line * (JOIN_TANGENT * chord);
      auto point = [&](bool curved, int step) {
        const double t = double(step) / steps, u = 1 - t;
        if (!curved) return from + (to - from) * t;
        return from * (u * u * u) + first * (3 * u * u * t) + second * (3 * u * t * t) + to * (t * t * t);
      };
      bool curved = false;
      if (chord > 0 && crossings[a].line != cv::Point2d(0, 0) && crossings[b].line != cv::Point2d(0, 0)) {
        const cv::Point2d ahead = (to - from) / chord;
        auto turn = [](const cv::Point2d& base, const cv::Point2d& d) {
          return std::atan2(base.x * d.y - base.y * d.x, base.dot(d));
        };
        const double out = turn(ahead, crossings[a].line), in = turn(-ahead, crossings[b].line);
        const double most = JOIN_MAX_TURN * CV_PI / 180.0;
        curved = out * in <= 0 && std::abs(out) <= most && std::abs(in) <= most;
      }
      // Away from its ends (a tenth of the way each) the curve must keep to the holes.
      for (int step = steps / 10; curved && step <= steps - steps / 10; ++step) {
        const cv::Point2d p = point(true, step);
        const int x = static_cast<int>(std::lround(p.x)), y = static_cast<int>(std::lround(p.y));
        curved = x >= 0 && y >= 0 && x < w && y < h && level.hole[size_t(y) * w + x];
      }
      for (int step = 0; step <= steps; ++step) {
        const cv::Point2d p = point(curved, step);
        const int x = static_cast<int>(std::lround(p.x)), y = static_cast<int>(std::lround(p.y));
        if (x >= 0 && y >= 0 && x < w && y < h) cut[size_t(y) * w + x] = 1;
      }
    }
  }
  // The parts of the holes between the lines, four-connected, and the rim's surface beside each;
  // the lines themselves may be either.
  std::vector<int32_t> part(size_t(w) * h, -1);
  std::vector<uint8_t> partSurface;
  std::vector<int> queue;
  for (size_t start = 0; start < part.size(); ++start) {
    if (!level.hole[start] || cut[start] || part[start] >= 0) continue;
    const int32_t id = static_cast<int32_t>(partSurface.size());
    int count[3] = {0, 0, 0};
    queue.assign(1, static_cast<int>(start));
    part[start] = id;
    for (size_t q = 0; q < queue.size(); ++q) {
      const int x = queue[q] % w, y = queue[q] / w;
      const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
      for (int d = 0; d < 4; ++d) {
        if (nx[d] < 0 || ny[d] < 0 || nx[d] >= w || ny[d] >= h) continue;
        const size_t j = size_t(ny[d]) * w + nx[d];
        if (!level.hole[j]) {
          ++count[level.surface[j]];
        } else if (!cut[j] && part[j] < 0) {
          part[j] = id;
          queue.push_back(static_cast<int>(j));
        }
      }
    }
    partSurface.push_back(static_cast<uint8_t>(more(count)));
  }
  for (size_t i = 0; i < part.size(); ++i) {
    if (level.hole[i]) level.surface[i] = part[i] >= 0 ? partSurface[size_t(part[i])] : 0;
  }
}

// Two surfaces on the holes' border, when its colours fall into two well-separated groups: each
// known pixel gets the nearer group's number, each hole pixel one from the boundary between them
// continued across the holes (see JoinCrossings).
void FindSurfaces(Level& level) {
  if (SURFACE_SEPARATION <= 0.0) return;
  const int w = level.w, h = level.h;
  std::vector<int> border;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = size_t(y) * w + x;
      if (level.hole[i]) continue;
      if (NearHole(level, x, y, 2)) border.push_back(static_cast<int>(i));
    }
  }
  if (border.size() < 16) return;
  auto colour = [&](int i, int k) { return double((level.px[size_t(i)] >> (8 * k)) & 0xFF); };
  auto luma = [&](int i) { return colour(i, 0) + 2 * colour(i, 1) + colour(i, 2); };
  double centre[2][3];
  {
    int dark = border[0], bright = border[0];
    for (int i : border) {
      if (luma(i) < luma(dark)) dark = i;
      if (luma(i) > luma(bright)) bright = i;
    }
    for (int k = 0; k < 3; ++k) {
      centre[0][k] = colour(dark, k);
      centre[1][k] = colour(bright, k);
    }
  }
  auto nearer = [&](int i) {
    double d[2] = {0, 0};
    for (int c = 0; c < 2; ++c) {
      for (int k = 0; k < 3; ++k) d[c] += (colour(i, k) - centre[c][k]) * (colour(i, k) - centre[c][k]);
    }
    return d[1] < d[0] ? 1 : 0;
  };
  double spread[2] = {0, 0};
  size_t count[2] = {0, 0};
  for (int iteration = 0; iteration < 12; ++iteration) {
    double sum[2][3] = {{0, 0, 0}, {0, 0, 0}};
    count[0] = count[1] = 0;
    for (int i : border) {
      const int c = nearer(i);
      ++count[c];
      for (int k = 0; k < 3; ++k) sum[c][k] += colour(i, k);
    }
    if (!count[0] || !count[1]) return;
    for (int c = 0; c < 2; ++c) {
      for (int k = 0; k < 3; ++k) centre[c][k] = sum[c][k] / double(count[c]);
    }
  }
  for (int i : border) {
    const int c = nearer(i);
    for (int k = 0; k < 3; ++k) spread[c] += (colour(i, k) - centre[c][k]) * (colour(i, k) - centre[c][k]);
  }
  double gap = 0;
  for (int k = 0; k < 3; ++k) gap += (centre[0][k] - centre[1][k]) * (centre[0][k] - centre[1][k]);
  const double variance = spread[0] / double(count[0]) + spread[1] / double(count[1]);
  const double smaller = double(std::min(count[0], count[1])) / double(border.size());
  if (gap < SURFACE_SEPARATION * variance || gap < 20.0 * 20.0 || smaller < 0.05) return;

  level.surface.assign(size_t(w) * h, 0);
  for (size_t i = 0; i < level.surface.size(); ++i) {
    if (!level.hole[i]) level.surface[i] = static_cast<uint8_t>(1 + nearer(static_cast<int>(i)));
  }
  JoinCrossings(level);
}

// The grain of a coarser level's known pixels: the mean of its four finer ones', so that a grain
// too fine to show on the coarse pixels still counts there, and the levels' grains compare.
void ShrinkGrain(const Level& fine, Level& coarse) {
  coarse.grain.assign(coarse.px.size(), 0);
  for (int y = 0; y < coarse.h; ++y) {
    for (int x = 0; x < coarse.w; ++x) {
      const size_t i = size_t(y) * coarse.w + x;
      if (coarse.hole[i]) continue;
      int sum = 0, n = 0;
      for (int j = 0; j < 2; ++j) {
        for (int k = 0; k < 2; ++k) {
          const int fx = 2 * x + k, fy = 2 * y + j;
          if (fx >= fine.w || fy >= fine.h) continue;
          sum += fine.grain[size_t(fy) * fine.w + fx];
          ++n;
        }
      }
      coarse.grain[i] = static_cast<uint8_t>((sum + n / 2) / std::max(1, n));
    }
  }
}

// Calls at(i, corners, fx, fy) for each hole pixel i in rows [y0, y1) of the finer level: corners
// are the coarser level's four pixels around it (top left, top right, bottom left, bottom right),
// fx and fy its place between them.
template <class At>
void ForEnlargedHoles(const Level& coarse, const Level& fine, int y0, int y1, const At& at) {
  for (int y = y0; y < y1; ++y) {
    const float sy = std::clamp((y + 0.5f) * 0.5f - 0.5f, 0.f, float(coarse.h - 1));
    const int cy0 = static_cast<int>(sy), cy1 = std::min(cy0 + 1, coarse.h - 1);
    const float fy = sy - cy0;
    for (int x = 0; x < fine.w; ++x) {
      const size_t i = size_t(y) * fine.w + x;
      if (!fine.hole[i]) continue;
      const float sx = std::clamp((x + 0.5f) * 0.5f - 0.5f, 0.f, float(coarse.w - 1));
      const int cx0 = static_cast<int>(sx), cx1 = std::min(cx0 + 1, coarse.w - 1);
      const size_t corners[4] = {size_t(cy0) * coarse.w + cx0, size_t(cy0) * coarse.w + cx1,
                                 size_t(cy1) * coarse.w + cx0, size_t(cy1) * coarse.w + cx1};
      at(i, corners, sx - cx0, fy);
    }
  }
}

// The grain of a finer level's hole pixels, bilinearly enlarged from the coarser level's.
void EnlargeGrain(const Level& coarse, Level& fine) {
  const uint8_t* g = coarse.grain.data();
  ForRows(fine.h, [&](int y0, int y1) {
    ForEnlargedHoles(coarse, fine, y0, y1, [&](size_t i, const size_t* c, float fx, float fy) {
      const float top = g[c[0]] * (1 - fx) + g[c[1]] * fx;
      const float bottom = g[c[2]] * (1 - fx) + g[c[3]] * fx;
      fine.grain[i] = static_cast<uint8_t>(std::lround(top * (1 - fy) + bottom * fy));
    });
  });
}

// The grain of the hole pixels on the coarsest level: the smooth fill of the grain around them,
// on the holes' bounds (and a margin for the fill's reach) only.
void SmoothGrain(Level& level) {
  constexpr int MARGIN = 4;
  const HoleBounds bounds = FindHoleBounds(level);
  if (bounds.right < 0) return;
  const int left = std::max(0, bounds.left - MARGIN), top = std::max(0, bounds.top - MARGIN);
  const int right = std::min(level.w - 1, bounds.right + MARGIN), bottom = std::min(level.h - 1, bounds.bottom + MARGIN);
  Level part;
  part.w = right - left + 1;
  part.h = bottom - top + 1;
  part.px.resize(size_t(part.w) * part.h);
  part.hole.resize(part.px.size());
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const size_t i = size_t(y) * level.w + x, p = size_t(y - top) * part.w + (x - left);
      part.px[p] = uint32_t(level.grain[i]) * 0x010101u;
      part.hole[p] = level.hole[i];
    }
  }
  SmoothFill(part);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const size_t i = size_t(y) * level.w + x;
      if (level.hole[i]) level.grain[i] = static_cast<uint8_t>(part.px[size_t(y - top) * part.w + (x - left)] & 0xFF);
    }
  }
}

class Filler {
 public:
  Filler(unsigned threads, uint64_t seed, const std::function<void(double)>& progress,
         const std::function<bool()>& stopAsked)
      : threads_(std::max(1u, threads)), seed_(seed), progress_(progress), stopAsked_(stopAsked) {}

  bool Run(std::vector<Level>& levels) {
    double total = 0;
    for (size_t l = 0; l < levels.size(); ++l) total += double(levels[l].targets) * Rounds(l, levels.size()) * (Passes(l) + 1);
    perUnit_ = total > 0 ? 1.0 / total : 0.0;
    if (GRAIN_PENALTY > 0) {
      levels[0].MeasureGrain();
      for (size_t l = 1; l < levels.size(); ++l) ShrinkGrain(levels[l - 1], levels[l]);
    }
    for (size_t l = levels.size(); l-- > 0;) {
      Level& level = levels[l];
      if (l + 1 == levels.size()) {
        // The two smooth fills are independent (one writes the grain, the other the colours) and
        // each runs on one thread: side by side.
        ParallelFor(level.grain.empty() ? 1 : 2, threads_, [&](int task) {
          if (task == 0) {
            SmoothFill(level);
          } else {
            SmoothGrain(level);
          }
        });
      }
      if (!level.grain.empty()) {
        if (l + 1 != levels.size()) EnlargeGrain(levels[l + 1], level);
        level.SumGrain();
      }
      if (l + 1 == levels.size()) {
        SmoothFillBySurface(level, threads_);
        ForBands(level, [&](int y0, int y1) { RandomMatches(level, seed_ ^ (uint64_t(l) << 56), y0, y1); });
      } else {
        const Level& coarse = levels[l + 1];
        // The coarse matches, twice as far, vote for this level's first fill: it keeps the
        // texture that enlarging the coarse colours would blur.
        ForBands(level, [&](int y0, int y1) {
          Enlarge(coarse, level, y0, y1);
          InheritMatches(coarse, level, seed_ ^ (uint64_t(l) << 56), y0, y1);
        });
        ForBands(level, [&](int y0, int y1) { Vote(level, true, y0, y1); });
      }
      const int rounds = Rounds(l, levels.size());
      for (int round = 0; round < rounds; ++round) {
        if (!Step()) return false;
        // On the coarsest level the fill grows inwards: at first only filled pixels near known
        // ones count, so that the smooth first fill cannot draw smooth sources.
        const int growth = std::max(1, (level.deepest + rounds - 3) / std::max(1, rounds - 2));
        level.Trust(l + 1 == levels.size() && round + 2 < rounds ? 1 + (round + 1) * growth : INT_MAX);
        ForBands(level, [&](int y0, int y1) { Remeasure(level, y0, y1); });
        const int passes = Passes(l);
        for (int pass = 0; pass < passes; ++pass) {
          const uint64_t seed = seed_ ^ (uint64_t(l) << 56) ^ (uint64_t(round) << 48) ^ (uint64_t(pass) << 44);
          const bool forward = (round + pass) % 2 == 0;
          // Neighbouring bands never run together: a band reads the matches of the rows next to it.
          const int rows = l == 0 ? BAND : COARSE_SEARCH_BAND;
          const int bands = (level.h + rows - 1) / rows;
          for (int parity = 0; parity < 2; ++parity) {
            if (!Step()) return false;
            ParallelFor((bands + 1 - parity) / 2, threads_, [&](int task) {
              const int band = 2 * task + parity;
              Search(level, seed, forward, band * rows, std::min(level.h, (band + 1) * rows));
            });
          }
        }
        Weigh(level);
        // The last vote too favours close matches and patches centred near the pixel: counting
        // every patch alike would average the grain of fur, grass and gravel away. At full size
        // the last round copies instead: any mean of misaligned grain is smoother than the grain.
        if (l == 0 && round + 1 == rounds) {
          level.copied.assign(level.px.size(), INT32_MIN);
          ForBands(level, [&](int y0, int y1) { CopyBest(level, y0, y1); });
        } else {
          ForBands(level, [&](int y0, int y1) { Vote(level, true, y0, y1); });
        }
        done_ += double(level.targets) * (passes + 1);
      }
    }
    if (!Step()) return false;
    BlendIntoBorder(levels[0], threads_);
    if (!Step()) return false;
    KnitSeams(levels[0], threads_);
    return Step();
  }

  // The coarsest level, where the fill grows inwards, grows in thin rings: each ring's matches
  // then rest on more of the patch, and fewer smooth or pasted pieces are laid there. The
  // full-size level votes twice before its last round copies.
  static int Rounds(size_t level, size_t levels) {
    if (level + 1 == levels) return 12;
    return level == 0 ? 3 : 4;
  }

  // Matching passes per round: the full-size level, by far the largest, starts from matches
  // that are already good and needs fewer.
  static int Passes(size_t level) { return level == 0 ? 1 : 2; }

 private:
  bool Step() {
    if (stopAsked_ && stopAsked_()) return false;
    if (progress_) progress_(std::min(1.0, done_ * perUnit_));
    return true;
  }

  // Bodies whose rows do not depend on each other, on bands of rows: BAND rows, fewer on a small
  // level, so that enough bands run at once for every thread.
  template <class Body>
  void ForBands(const Level& level, const Body& body) {
    const int rows = std::clamp(level.h / 64, 4, BAND);
    ParallelFor((level.h + rows - 1) / rows, threads_, [&](int band) { body(band * rows, std::min(level.h, (band + 1) * rows)); });
  }

  static void RandomMatches(Level& level, uint64_t seed, int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < level.w; ++x) {
        const size_t i = size_t(y) * level.w + x;
        if (!level.target[i]) continue;
        Random random(seed ^ (uint64_t(1) << 52) ^ i);
        level.match[i] = level.NearSource(static_cast<int>(i), random);
      }
    }
  }

  // The coarse fill, bilinearly enlarged, as the start of this level's holes.
  static void Enlarge(const Level& coarse, Level& fine, int y0, int y1) {
    ForEnlargedHoles(coarse, fine, y0, y1, [&](size_t i, const size_t* c, float fx, float fy) {
      const uint32_t a = coarse.px[c[0]], b = coarse.px[c[1]], cc = coarse.px[c[2]], d = coarse.px[c[3]];
      uint32_t p = 0;
      for (int k = 0; k < 3; ++k) {
        const int s = 8 * k;
        const float top = ((a >> s) & 0xFF) * (1 - fx) + ((b >> s) & 0xFF) * fx;
        const float bottom = ((cc >> s) & 0xFF) * (1 - fx) + ((d >> s) & 0xFF) * fx;
        p |= uint32_t(std::lround(top * (1 - fy) + bottom * fy)) << s;
      }
      fine.px[i] = p;
    });
  }

  // Each target starts from the match of its coarse counterpart, twice as far away.
  static void InheritMatches(const Level& coarse, Level& fine, uint64_t seed, int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < fine.w; ++x) {
        const size_t i = size_t(y) * fine.w + x;
        if (!fine.target[i]) continue;
        const int cx = std::clamp(x / 2, coarse.r, coarse.w - 1 - coarse.r);
        const int cy = std::clamp(y / 2, coarse.r, coarse.h - 1 - coarse.r);
        const int32_t cm = coarse.match[size_t(cy) * coarse.w + cx];
        int32_t m = -1;
        if (cm >= 0) {
          const int sx = std::clamp(x + 2 * (cm % coarse.w - cx), fine.r, fine.w - 1 - fine.r);
          const int sy = std::clamp(y + 2 * (cm / coarse.w - cy), fine.r, fine.h - 1 - fine.r);
          m = sy * fine.w + sx;
        }
        if (m < 0 || !fine.source[size_t(m)]) {
          Random random(seed ^ (uint64_t(2) << 52) ^ i);
          m = fine.NearSource(static_cast<int>(i), random);
        }
        fine.match[i] = m;
        fine.weight[i] = cm >= 0 ? coarse.weight[size_t(cy) * coarse.w + cx] : 0.f;
      }
    }
  }

  static void Remeasure(Level& level, int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < level.w; ++x) {
        const size_t i = size_t(y) * level.w + x;
        if (!level.target[i]) continue;
        const int d = level.PatchDistance(static_cast<int>(i), level.match[i], INT_MAX);
        level.dist[i] = level.Agree(static_cast<int>(i), level.match[i])
                            ? d
                            : static_cast<int>(std::min(double(INT_MAX), d * SURFACE_FACTOR));
      }
    }
  }

  // One patch-match pass over the rows [y0, y1): a target tries the matches of its neighbours
  // (shifted by one) and random ones around its own at shrinking distances.
  static void Search(Level& level, uint64_t seed, bool forward, int y0, int y1) {
    const int w = level.w, r = level.r;
    const int step = forward ? 1 : -1;
    if (std::max(y0, r) >= std::min(y1, level.h - r)) return;
    const int yFirst = forward ? std::max(y0, r) : std::min(y1, level.h - r) - 1;
    const int yEnd = forward ? std::min(y1, level.h - r) : std::max(y0, r) - 1;
    const int xFirst = forward ? r : w - r - 1;
    const int xEnd = forward ? w - r : r - 1;
    const int reach = std::min(std::max(w, level.h), level.limitReach);
    for (int y = yFirst; y != yEnd; y += step) {
      for (int x = xFirst; x != xEnd; x += step) {
        const int i = y * w + x;
        if (!level.target[size_t(i)]) continue;
        int best = level.match[size_t(i)];
        int bestDist = level.dist[size_t(i)];
        // A match that continues a neighbour's wins ties; a random one must be clearly better.
        // Neighbours copying neighbours keep texture whole, where a mosaic of near-equal matches
        // would average into a smear.
        auto attempt = [&](int candidate, int limit) {
          if (candidate == best || !level.source[size_t(candidate)]) return;
          if (level.Far(i, candidate)) return;
          // A source of another surface must be so much closer to win.
          const bool agree = level.Agree(i, candidate);
          const int own = agree ? limit : static_cast<int>(limit / SURFACE_FACTOR);
          const int d = level.PatchDistance(i, candidate, own);
          if (d < own) {
            best = candidate;
            bestDist = agree ? d : static_cast<int>(d * SURFACE_FACTOR);
          }
        };
        const int left = i - step;
        if (level.target[size_t(left)]) attempt(level.match[size_t(left)] + step, bestDist + 1);
        const int up = i - step * w;
        if (level.target[size_t(up)]) attempt(level.match[size_t(up)] + step * w, bestDist + 1);
        Random random(seed ^ uint64_t(i));
        for (int radius = reach; radius >= 1; radius /= 2) {
          const int bx = best % w, by = best / w;
          const int cx = std::clamp(bx + random.Below(2 * radius + 1) - radius, r, w - 1 - r);
          const int cy = std::clamp(by + random.Below(2 * radius + 1) - radius, r, level.h - 1 - r);
          attempt(cy * w + cx, bestDist - bestDist / 8);
        }
        level.match[size_t(i)] = best;
        level.dist[size_t(i)] = bestDist;
      }
    }
  }

  // Vote weights: a close match counts more; the scale is the distance three quarters of the
  // targets beat.
  void Weigh(Level& level) {
    // The error per weighted byte, so that patches with many known pixels (weighed more) and
    // patches of filled pixels only compare fairly.
    const int w = level.w, r = level.r;
    std::vector<float>& error = level.weight;  // the errors become the weights in place
    ForBands(level, [&](int y0, int y1) {
      for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < w; ++x) {
          const size_t i = size_t(y) * w + x;
          if (!level.target[i]) continue;
          int sum = 0;
          for (int j = -r; j <= r; ++j) {
            const int16_t* t = &level.trust[i + size_t(j) * w - r];
            for (int k = 0; k <= 2 * r; ++k) sum += t[k];
          }
          error[i] = sum > 0 ? float(level.dist[i]) / float(3 * sum) : -1.f;
        }
      }
    });
    // The median's value does not depend on the order the errors are gathered in.
    std::vector<std::vector<float>> bands(size_t(level.Bands()));
    ParallelFor(level.Bands(), threads_, [&](int band) {
      std::vector<float>& some = bands[size_t(band)];
      for (size_t i = size_t(band) * BAND * w; i < size_t(std::min(level.h, (band + 1) * BAND)) * w; ++i) {
        if (level.target[i] && error[i] >= 0.f) some.push_back(error[i]);
      }
    });
    std::vector<float> all;
    all.reserve(level.targets);
    for (const std::vector<float>& some : bands) all.insert(all.end(), some.begin(), some.end());
    if (all.empty()) all.push_back(1.f);
    auto middle = all.begin() + static_cast<long>(all.size() / 2);
    std::nth_element(all.begin(), middle, all.end());
    const double scale = std::max(1.0, double(*middle)) * VOTE_SCALE;
    ForBands(level, [&](int y0, int y1) {
      for (size_t i = size_t(y0) * level.w; i < size_t(y1) * level.w; ++i) {
        if (!level.target[i]) continue;
        level.weight[i] = error[i] < 0.f ? std::exp(-30.f) : static_cast<float>(std::exp(-std::min(30.0, error[i] / scale)));
      }
    });
  }

  // A patch's weight by the distance of its centre from the pixel, row by row over the patch
  // side: all 1 without spread.
  static std::vector<float> NearWeights(int r, bool spread) {
    const int side = 2 * r + 1;
    std::vector<float> near(size_t(side) * side, 1.f);
    if (!spread) return near;
    for (int j = -r; j <= r; ++j) {
      for (int i = -r; i <= r; ++i) {
        near[size_t(j + r) * side + i + r] = std::exp(-float(i * i + j * j) / (2.f * VOTE_SPREAD * VOTE_SPREAD));
      }
    }
    return near;
  }

  // Each hole pixel becomes the weighted mean of what the matches of the patches over it say.
  // With spread, a patch counts less the farther its centre lies from the pixel.
  static void Vote(Level& level, bool spread, int y0, int y1) {
    const int w = level.w, r = level.r, side = 2 * r + 1;
    const std::vector<float> near = NearWeights(r, spread);
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < w; ++x) {
        const size_t i = size_t(y) * w + x;
        if (!level.hole[i]) continue;
        // Not reached yet by a fill that grows inwards: the smooth start stays. Matches that agree
        // only on the known rim would else paste whatever their patches hold into the middle.
        if (!level.trust.empty() && level.trust[i] == 0) continue;
        float sum[3] = {0.f, 0.f, 0.f}, total = 0.f;
        for (int cy = std::max(r, y - r); cy <= std::min(level.h - 1 - r, y + r); ++cy) {
          for (int cx = std::max(r, x - r); cx <= std::min(w - 1 - r, x + r); ++cx) {
            const size_t c = size_t(cy) * w + cx;
            const float weight = level.weight[c] * near[size_t(y - cy + r) * side + (x - cx + r)];
            const uint32_t p = level.px[size_t(level.match[c] + (y - cy) * w + (x - cx))];
            sum[0] += weight * float(p & 0xFF);
            sum[1] += weight * float((p >> 8) & 0xFF);
            sum[2] += weight * float((p >> 16) & 0xFF);
            total += weight;
          }
        }
        if (total <= 0.f) continue;
        uint32_t p = 0;
        for (int k = 0; k < 3; ++k) p |= uint32_t(std::min(255L, std::lround(sum[k] / total))) << (8 * k);
        level.px[i] = p;
      }
    }
  }

  // Each hole pixel is copied from the one patch over it that its vote weighs most (Wexler's
  // choice of the best-supported patch); KnitSeams then joins the pieces.
  static void CopyBest(Level& level, int y0, int y1) {
    const int w = level.w, r = level.r, side = 2 * r + 1;
    const std::vector<float> near = NearWeights(r, true);
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < w; ++x) {
        const size_t i = size_t(y) * w + x;
        if (!level.hole[i]) continue;
        float best = -1.f;
        int32_t from = INT32_MIN;
        for (int cy = std::max(r, y - r); cy <= std::min(level.h - 1 - r, y + r); ++cy) {
          for (int cx = std::max(r, x - r); cx <= std::min(w - 1 - r, x + r); ++cx) {
            const size_t c = size_t(cy) * w + cx;
            if (level.match[c] < 0) continue;
            const float weight = level.weight[c] * near[size_t(y - cy + r) * side + (x - cx + r)];
            if (weight > best) {
              best = weight;
              from = level.match[c] - static_cast<int32_t>(c);
            }
          }
        }
        if (from == INT32_MIN) continue;
        level.copied[i] = from;
        level.px[i] = level.px[size_t(long(i) + from)];
      }
    }
  }

  const unsigned threads_;
  const uint64_t seed_;
  const std::function<void(double)>& progress_;
  const std::function<bool()>& stopAsked_;
  double done_ = 0;
  double perUnit_ = 0;
};

// The levels a fill with patches of the given radius works on: `full` (its size, pixels and holes)
// and ever smaller ones while the holes are thicker than COARSEST_THICKNESS patch sides, with the
// coarsest one's surfaces and every one's reach. Only `full` where no patch fits beside the holes.
// A stop is looked for between the steps: `finished` turns false.
std::vector<Level> Pyramid(Level full, int radius, const std::function<bool()>& stopAsked, bool& finished) {
  const int side = 2 * radius + 1;
  std::vector<Level> levels;
  levels.push_back(std::move(full));  // a count and a value would copy the value
  levels[0].Classify(radius);
  finished = !(stopAsked && stopAsked());
  if (!finished || levels[0].sources == 0) return levels;
  levels[0].deepest = Depths(levels[0], levels[0].depth);
  for (int thickness = levels[0].deepest; thickness > COARSEST_THICKNESS * side && finished;
       thickness = (thickness + 1) / 2) {
    const Level& last = levels.back();
    if (std::min(last.w, last.h) / 2 < MIN_PATCHES_PER_SIDE * side) break;
    Level next = Shrink(last);
    next.Classify(radius);
    if (next.sources == 0 || next.targets == 0) break;
    next.deepest = Depths(next, next.depth);
    levels.push_back(std::move(next));
    finished = !(stopAsked && stopAsked());
  }
  FindSurfaces(levels.back());
  const double reach = levels.back().surface.empty() ? REACH_FACTOR : TWO_SURFACE_REACH;
  for (Level& level : levels) {
    // Only the coarsest level grows its fill inwards and needs the depths afterwards.
    if (&level != &levels.back()) std::vector<int32_t>().swap(level.depth);
    const double scale = &level == &levels.front() && &level != &levels.back() ? FULL_SIZE_REACH : 1.0;
    level.limitReach = static_cast<int>(scale * reach * (level.deepest + side));
  }
  return levels;
}

// The fills of a small region (see HEDGE_AREA) with patches of the given radius and the others:
// the fills other than the first each run on levels of their own, the first on `levels`, whose
// full-size colours then take on the low frequencies of the fills' mean.
bool FillHedged(std::vector<Level>& levels, int radius, unsigned threads, const std::function<void(double)>& progress,
                const std::function<bool()>& stopAsked) {
  Level& full = levels[0];
  const size_t holes = static_cast<size_t>(std::count(full.hole.begin(), full.hole.end(), uint8_t(1)));
  const size_t room = std::min(HEDGE_AREA / full.px.size(), HEDGE_HOLES / std::max<size_t>(1, holes));
  const int fills = static_cast<int>(std::clamp<size_t>(room, 1, HEDGE_FILLS));
  if (fills == 1 || holes == 0) return Filler(threads, SEED, progress, stopAsked).Run(levels);
  for (Level& level : levels) level.grainPenalty = HEDGED_GRAIN_PENALTY;
  // The hole pixels' sums over the fills, three a cell of the holes' bounds grown by the blur's
  // reach: outside the holes all fills are alike, and the difference to blur is 0.
  const HoleBounds b = FindHoleBounds(full);
  const int reach = static_cast<int>(std::ceil(3 * HEDGE_SIGMA));
  const int left = std::max(0, b.left - reach), top = std::max(0, b.top - reach);
  const int bw = std::min(full.w - 1, b.right + reach) - left + 1, bh = std::min(full.h - 1, b.bottom + reach) - top + 1;
  std::vector<float> sum(size_t(bw) * bh * 3, 0.f);
  const auto add = [&](const std::vector<uint32_t>& filled) {
    ForRows(bh, [&](int y0, int y1) {
      for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < bw; ++x) {
          const size_t i = size_t(y + top) * full.w + (x + left);
          if (!full.hole[i]) continue;
          float* cell = &sum[(size_t(y) * bw + x) * 3];
          for (int k = 0; k < 3; ++k) cell[k] += float((filled[i] >> (8 * k)) & 0xFF);
        }
      }
    });
  };
  // The other fills (members) run on lanes beside the first, one lane a thread up to one a fill,
  // each on an equal share of the threads; the calling thread's lane, once the first fill is done,
  // takes the members no other lane has started. Each member fills levels of its own, built from
  // the pixels as given, and keeps only their full-size pixels. Only the calling thread reports progress and asks for a stop. The sums
  // are of whole numbers, exact in any order.
  struct Member {
    std::vector<uint32_t> px;
    std::atomic<double> done{0.0};
    bool finished = false;
    std::exception_ptr error;
  };
  std::vector<Member> members(size_t(fills - 1));
  // The first fill changes the full-size pixels, never the holes: only the pixels need a copy.
  const std::vector<uint32_t> givenPx = full.px;
  const unsigned lanes = std::clamp(threads, 1u, unsigned(fills));
  const unsigned share = std::max(1u, threads / lanes);
  std::atomic<int> next{1};
  std::atomic<int> running{0};
  std::atomic<bool> stop{false};
  double firstDone = 0.0;  // the calling thread's alone
  const std::function<bool()> stopped = [&stop] { return stop.load(); };
  const auto report = [&] {
    if (!progress) return;
    double done = firstDone;
    for (const Member& member : members) done += member.done;
    progress(done / fills);
  };
  const std::function<bool()> stopFirst = [&] {
    if (stopAsked && stopAsked()) stop = true;
    return stop.load();
  };
  // A member on another lane looks only at the flag the calling thread sets.
  const auto run = [&](int m, bool here) {
    Member& member = members[size_t(m - 1)];
    const std::function<bool()>& stopMember = here ? stopFirst : stopped;
    try {
      WorkerPool pool(share);
      const WorkerPool::Active active(pool);
      const std::function<void(double)> part = [&](double done) {
        member.done = done;
        if (here) report();
      };
      Level given;
      given.w = full.w;
      given.h = full.h;
      given.px = givenPx;
      given.hole = full.hole;
      bool finished = true;
      std::vector<Level> levels = Pyramid(std::move(given), std::max(1, radius + HEDGE_RADII[m]), stopMember, finished);
      if (finished && levels[0].sources == 0) {
        // No patch of that size fits: the member fills as the first does, with a seed of its own.
        Level again;
        again.w = full.w;
        again.h = full.h;
        again.px = std::move(levels[0].px);
        again.hole = std::move(levels[0].hole);
        levels = Pyramid(std::move(again), radius, stopMember, finished);
      }
      for (Level& level : levels) level.grainPenalty = HEDGED_GRAIN_PENALTY;
      member.finished = finished && Filler(share, SEED ^ (0x1234567ull * uint64_t(m)), part, stopMember).Run(levels);
      if (member.finished) member.px = std::move(levels[0].px);
    } catch (...) {
      member.error = std::current_exception();
      stop = true;
    }
  };
  const auto lane = [&](bool here) {
    for (int m; !stop && (m = next++) < fills;) run(m, here);
  };
  // Stops and joins the other lanes on every way out, an error in the first fill among them.
  std::vector<std::thread> helpers;
  struct Joiner {
    std::vector<std::thread>& helpers;
    std::atomic<bool>& stop;
    ~Joiner() {
      for (std::thread& helper : helpers) {
        if (!helper.joinable()) continue;
        stop = true;
        helper.join();
      }
    }
  } joiner{helpers, stop};
  for (unsigned l = 1; l < lanes; ++l) {
    ++running;
    try {
      helpers.emplace_back([&] {
        lane(false);
        --running;
      });
    } catch (const std::system_error&) {
      --running;
      break;  // no more threads to be had: the lanes there are take all members
    }
  }
  const unsigned own = threads > share * unsigned(helpers.size()) ? threads - share * unsigned(helpers.size()) : 1u;
  bool finished = false;
  {
    WorkerPool pool(own);
    const WorkerPool::Active active(pool);
    const std::function<void(double)> part = [&](double done) {
      firstDone = done;
      report();
    };
    finished = Filler(own, SEED, part, stopFirst).Run(levels);
  }
  if (finished) lane(true);
  // The other lanes are waited for with a look for a stop every few milliseconds.
  while (running > 0 && !stopFirst()) {
    report();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  for (std::thread& helper : helpers) helper.join();
  for (const Member& member : members) {
    if (member.error) std::rethrow_exception(member.error);
    finished = finished && member.finished;
  }
  // A stop asked while the last lanes ended is honoured too.
  if (!finished || stop) return false;
  add(full.px);
  for (const Member& member : members) add(member.px);
  // The difference of the mean to the first fill, blurred along rows, then down columns.
  std::vector<float> kernel(size_t(2 * reach + 1));
  float total = 0.f;
  for (int k = -reach; k <= reach; ++k) total += kernel[size_t(k + reach)] = std::exp(-float(k * k) / (2.f * HEDGE_SIGMA * HEDGE_SIGMA));
  for (float& k : kernel) k /= total;
  std::vector<float> along(sum.size(), 0.f);
  ForRows(bh, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < bw; ++x) {
        const size_t i = size_t(y + top) * full.w + (x + left);
        float* cell = &sum[(size_t(y) * bw + x) * 3];
        for (int k = 0; k < 3; ++k) cell[k] = full.hole[i] ? cell[k] / fills - float((full.px[i] >> (8 * k)) & 0xFF) : 0.f;
      }
      for (int x = 0; x < bw; ++x) {
        float* out = &along[(size_t(y) * bw + x) * 3];
        for (int j = std::max(0, x - reach); j <= std::min(bw - 1, x + reach); ++j) {
          const float* in = &sum[(size_t(y) * bw + j) * 3];
          const float weight = kernel[size_t(j - x + reach)];
          for (int k = 0; k < 3; ++k) out[k] += weight * in[k];
        }
      }
    }
  });
  ForRows(bh, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < bw; ++x) {
        const size_t i = size_t(y + top) * full.w + (x + left);
        if (!full.hole[i]) continue;
        float shift[3] = {0.f, 0.f, 0.f};
        for (int j = std::max(0, y - reach); j <= std::min(bh - 1, y + reach); ++j) {
          const float* in = &along[(size_t(j) * bw + x) * 3];
          const float weight = kernel[size_t(j - y + reach)];
          for (int k = 0; k < 3; ++k) shift[k] += weight * in[k];
        }
        uint32_t p = 0;
        for (int k = 0; k < 3; ++k) {
          const long v = std::lround(float((full.px[i] >> (8 * k)) & 0xFF) + shift[k]);
          p |= uint32_t(std::clamp(v, 0L, 255L)) << (8 * k);
        }
        full.px[i] = p;
      }
    }
  });
  return true;
}

}  // namespace

bool PatchFill(PatchFillArea& area, int patchSize, unsigned threads, const std::function<void(double)>& progress,
               const std::function<bool()>& stopAsked) {
  WorkerPool pool(std::max(1u, threads));
  const WorkerPool::Active active(pool);
  const int radius = std::max(1, patchSize / 2);
  Level full;
  full.w = area.width;
  full.h = area.height;
  full.px = std::move(area.pixels);
  full.hole.resize(area.holes.size());
  for (size_t i = 0; i < area.holes.size(); ++i) full.hole[i] = area.holes[i] ? 1 : 0;
  ContinueLines(full.w, full.h, full.px, full.hole, radius, threads);
  // The preparation of a large region takes a while too: a stop is looked for between its steps.
  bool finished = true;
  std::vector<Level> levels = Pyramid(std::move(full), radius, stopAsked, finished);
  if (finished && levels[0].sources == 0) {
    // No patch fits wholly outside the holes: the smooth fill is all there is.
    SmoothFill(levels[0]);
  } else if (finished) {
    finished = FillHedged(levels, radius, threads, progress, stopAsked);
  }
  area.pixels = std::move(levels[0].px);
  return finished;
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
