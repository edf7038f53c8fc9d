#include "Platform/Effects/LineContinuation.h"

#include "Platform/Effects/WorkerPool.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

// Directions tried at an entry, over the full circle; every COARSE_STEP-th first, then those near
// the best of them.
constexpr int DIRECTIONS = 64;
constexpr int COARSE_STEP = 4;
// A profile is measured over this many half widths along the structure outside the hole.
constexpr int LENGTH_FACTOR = 6;
// A structure shows at least this much variance across it (summed over the three channels)...
constexpr double MIN_CONTRAST = 300.0;
// ...this many times the variance along it...
constexpr double COHERENCE = 2.5;
// The two ends' profiles differ in shape by at most this share of that variance, and their means
// by at most MAX_TONE (squared, summed over the channels), which counts TONE_WEIGHT against a pair.
constexpr double MISMATCH = 0.5;
constexpr double MAX_TONE = 3 * 40.0 * 40.0;
constexpr double TONE_WEIGHT = 0.25;
// An exit is looked for this far (a share of the way across) from where the entry's line leaves.
constexpr double EXIT_TOLERANCE = 0.1;
// Exits whose line turns more than this (cosine) from the entry's best direction are not taken.
constexpr double MAX_TURN_COS = 0.985;
// More strips than this are not drawn into one area.
constexpr size_t MAX_STRIPS = 24;
// A strip takes on, this strong, the grain the structure has along it beyond its two ends: the
// profiles alone, means along the structure, draw a smooth bar through bark, planks or grass.
constexpr double GRAIN_GAIN = 0.7;

// A sample's channels; with SSE2 all four at once, with the same roundings as one at a time.
#if defined(__SSE2__)
using Colour = __m128;
#else
struct Colour {
  float v[3];
};
#endif

struct Picture {
  int w, h;
  const std::vector<uint32_t>& px;
  const std::vector<uint8_t>& hole;

  bool Known(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && !hole[size_t(y) * w + x]; }

  // Bilinear, from known pixels only.
  bool Sample(float x, float y, Colour& out) const {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= w || y0 + 1 >= h) return false;
    const size_t i = size_t(y0) * w + x0;
    if (hole[i] | hole[i + 1] | hole[i + w] | hole[i + w + 1]) return false;
    const float fx = x - float(x0), fy = y - float(y0);
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i upper = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&px[i])), zero);
    const __m128i lower = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&px[i + w])), zero);
    const __m128 gx = _mm_set1_ps(1 - fx), hx = _mm_set1_ps(fx);
    const __m128 top = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(upper, zero)), gx),
                                  _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(upper, zero)), hx));
    const __m128 bottom = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(lower, zero)), gx),
                                     _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(lower, zero)), hx));
    out = _mm_add_ps(_mm_mul_ps(top, _mm_set1_ps(1 - fy)), _mm_mul_ps(bottom, _mm_set1_ps(fy)));
#else
    const uint32_t a = px[i], b = px[i + 1], c = px[i + w], d = px[i + w + 1];
    for (int k = 0; k < 3; ++k) {
      const int s = 8 * k;
      const float top = float((a >> s) & 0xFF) * (1 - fx) + float((b >> s) & 0xFF) * fx;
      const float bottom = float((c >> s) & 0xFF) * (1 - fx) + float((d >> s) & 0xFF) * fx;
      out.v[k] = top * (1 - fy) + bottom * fy;
    }
#endif
    return true;
  }
};

// A sample's three channels.
void Channels(const Colour& c, float out[3]) {
#if defined(__SSE2__)
  float all[4];
  _mm_storeu_ps(all, c);
  for (int k = 0; k < 3; ++k) out[k] = all[k];
#else
  for (int k = 0; k < 3; ++k) out[k] = c.v[k];
#endif
}

// The sums of a column's samples and of their squares, per channel, in double.
struct Sums {
#if defined(__SSE2__)
  __m128d sum01 = _mm_setzero_pd(), sum23 = _mm_setzero_pd(), squares01 = _mm_setzero_pd(),
          squares23 = _mm_setzero_pd();

  void Add(Colour c) {
    const __m128d c01 = _mm_cvtps_pd(c), c23 = _mm_cvtps_pd(_mm_movehl_ps(c, c));
    sum01 = _mm_add_pd(sum01, c01);
    sum23 = _mm_add_pd(sum23, c23);
    squares01 = _mm_add_pd(squares01, _mm_mul_pd(c01, c01));
    squares23 = _mm_add_pd(squares23, _mm_mul_pd(c23, c23));
  }
  void Get(double sum[3], double squares[3]) const {
    double s[4], q[4];
    _mm_storeu_pd(s, sum01);
    _mm_storeu_pd(s + 2, sum23);
    _mm_storeu_pd(q, squares01);
    _mm_storeu_pd(q + 2, squares23);
    for (int k = 0; k < 3; ++k) {
      sum[k] = s[k];
      squares[k] = q[k];
    }
  }
#else
  double s[3] = {0, 0, 0}, q[3] = {0, 0, 0};

  void Add(const Colour& c) {
    for (int k = 0; k < 3; ++k) {
      s[k] += c.v[k];
      q[k] += double(c.v[k]) * c.v[k];
    }
  }
  void Get(double sum[3], double squares[3]) const {
    for (int k = 0; k < 3; ++k) {
      sum[k] = s[k];
      squares[k] = q[k];
    }
  }
#endif
};

// Samples a pixel across a structure, and how far (pixels) an exit's profile may lie beside the
// entry's line: thin lines need both to be matched.
constexpr int SUB = 2;
constexpr int SHIFT = 2;

// What the known picture shows beside a point of the holes' border, away from the holes along u:
// per offset along n (SUB a pixel), the mean colour, the squared deviations from it along u and
// their count.
struct Columns {
  int half = 0;  // offsets -half..half, in samples
  std::vector<float> mean;
  std::vector<double> within;
  std::vector<int> count;
};

// A profile across a structure: its colours (three an offset), their variance across it
// (contrast) and that of the samples along it (noise).
struct Side {
  std::vector<float> profile;
  double contrast = 0, noise = 0;
  bool valid = false;
};

// whole: only a profile over all the columns is wanted, so a column too short to take part ends
// the measurement.
Columns Measure(const Picture& picture, float x, float y, float ux, float uy, float nx, float ny, int half,
                int halfWidth, bool whole) {
  const int length = LENGTH_FACTOR * halfWidth;
  Columns columns;
  columns.half = half;
  columns.mean.assign(size_t(2 * half + 1) * 3, 0.f);
  columns.within.assign(size_t(2 * half + 1), 0.0);
  columns.count.assign(size_t(2 * half + 1), 0);
  for (int j = -half; j <= half; ++j) {
    const float o = float(j) / SUB;
    const float sx = x + o * nx, sy = y + o * ny;
    Sums sums;
    int count = 0;
    bool started = false;
    // Columns beside a slanted border start inside the holes: their first known samples count.
    for (int t = 1; t <= length + 2 * halfWidth + 2 && count < length; ++t) {
      Colour c;
      if (!picture.Sample(sx + float(t) * ux, sy + float(t) * uy, c)) {
        if (started) break;
        continue;
      }
      started = true;
      ++count;
      sums.Add(c);
    }
    double sum[3], squares[3];
    sums.Get(sum, squares);
    const size_t c = size_t(j + half);
    columns.count[c] = count;
    if (whole && 2 * count < length) break;
    if (!count) continue;
    for (int k = 0; k < 3; ++k) {
      const double mean = sum[k] / count;
      columns.mean[3 * c + k] = static_cast<float>(mean);
      columns.within[c] += std::max(0.0, squares[k] - mean * sum[k]);
    }
  }
  return columns;
}

// The profile of the offsets centre-half..centre+half (samples) of the columns.
Side Slice(const Columns& columns, int centre, int half, int halfWidth) {
  const int length = LENGTH_FACTOR * halfWidth;
  Side side;
  const int first = columns.half + centre - half, n = 2 * half + 1;
  if (first < 0 || first + n > 2 * columns.half + 1) return side;
  double within = 0;
  long samples = 0;
  for (int c = first; c < first + n; ++c) {
    if (2 * columns.count[size_t(c)] < length) return side;
    within += columns.within[size_t(c)];
    samples += columns.count[size_t(c)];
  }
  side.profile.assign(columns.mean.begin() + 3 * first, columns.mean.begin() + 3 * (first + n));
  side.noise = within / double(samples);
  for (int k = 0; k < 3; ++k) {
    double sum = 0, squares = 0;
    for (int o = 0; o < n; ++o) {
      const double v = side.profile[size_t(o) * 3 + k];
      sum += v;
      squares += v * v;
    }
    const double mean = sum / n;
    side.contrast += std::max(0.0, squares / n - mean * mean);
  }
  side.valid = true;
  return side;
}

// Whether the known pixels near (x, y) vary enough in some channel to hold a structure at all.
bool Varied(const Picture& picture, int x, int y, int halfWidth) {
  const int reach = halfWidth + 2;
  int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
  for (int j = std::max(0, y - reach); j <= std::min(picture.h - 1, y + reach); ++j) {
    for (int i = std::max(0, x - reach); i <= std::min(picture.w - 1, x + reach); ++i) {
      const size_t p = size_t(j) * picture.w + i;
      if (picture.hole[p]) continue;
      for (int k = 0; k < 3; ++k) {
        const int v = (picture.px[p] >> (8 * k)) & 0xFF;
        low[k] = std::min(low[k], v);
        high[k] = std::max(high[k], v);
      }
    }
  }
  // A profile within a range r has a variance of at most (r / 2)^2 in that channel.
  double most = 0;
  for (int k = 0; k < 3; ++k) most += 0.25 * (high[k] - low[k]) * (high[k] - low[k]);
  return most >= MIN_CONTRAST;
}

bool Structured(const Side& side) {
  return side.valid && side.contrast >= MIN_CONTRAST && side.contrast >= COHERENCE * side.noise;
}

// How much two profiles differ in shape (their means taken off), and the squared distance of their
// means: a line seen against a sky that brightens towards the horizon keeps its shape.
struct Difference {
  double shape = 0, tone = 0;
};

Difference Compare(const Side& a, const Side& b) {
  const size_t n = a.profile.size() / 3;
  Difference d;
  for (int k = 0; k < 3; ++k) {
    double ma = 0, mb = 0;
    for (size_t o = 0; o < n; ++o) {
      ma += a.profile[3 * o + k];
      mb += b.profile[3 * o + k];
    }
    ma /= double(n);
    mb /= double(n);
    d.tone += (ma - mb) * (ma - mb);
    for (size_t o = 0; o < n; ++o) {
      const double e = (a.profile[3 * o + k] - ma) - (b.profile[3 * o + k] - mb);
      d.shape += e * e / double(n);
    }
  }
  return d;
}

// Where a strip's pixel `along` its way from an end takes the grain from: as far beyond that end,
// mirrored back and forth over the `span` the end's profile was measured on, so that the grain
// runs on from the end with no seam.
double Beyond(double along, double span) {
  const double period = std::max(1.0, span - 1), t = std::fmod(std::abs(along), 2 * period);
  return 1 + (t > period ? 2 * period - t : t);
}

struct Strip {
  int from = -1, to = -1;  // border pixels (indices) on either side
  float toX = 0, toY = 0;  // where the strip ends: `to` moved across to the profile that matches
  double score = 0;
  Side start, end;
};

}  // namespace

int ContinueLines(int width, int height, std::vector<uint32_t>& pixels, std::vector<uint8_t>& holes, int halfWidth,
                  unsigned threads) {
  if (halfWidth < 1 || width < 4 || height < 4) return 0;
  const int w = width, h = height;
  const Picture picture{w, h, pixels, holes};

  // Known pixels beside a hole pixel, in raster order; a row holds them only between the first and
  // the last hole pixel of it and of its neighbour rows.
  std::vector<int> first(h, w), last(h, -1);
  for (int y = 0; y < h; ++y) {
    const auto row = holes.begin() + size_t(y) * w;
    const auto one = std::find_if(row, row + w, [](uint8_t v) { return v != 0; });
    if (one == row + w) continue;
    first[y] = static_cast<int>(one - row);
    last[y] = w - 1 - static_cast<int>(std::find_if(std::make_reverse_iterator(row + w), std::make_reverse_iterator(one),
                                                    [](uint8_t v) { return v != 0; }) -
                                       std::make_reverse_iterator(row + w));
  }
  std::vector<int> border;
  for (int y = 0; y < h; ++y) {
    int from = first[y] - 1, to = last[y] + 1;
    for (int j = std::max(0, y - 1); j <= std::min(h - 1, y + 1); ++j) {
      from = std::min(from, first[j]);
      to = std::max(to, last[j]);
    }
    for (int x = std::max(0, from); x <= std::min(w - 1, to); ++x) {
      if (!picture.Known(x, y)) continue;
      const bool beside = (x > 0 && holes[size_t(y) * w + x - 1]) || (x + 1 < w && holes[size_t(y) * w + x + 1]) ||
                          (y > 0 && holes[size_t(y - 1) * w + x]) || (y + 1 < h && holes[size_t(y + 1) * w + x]);
      if (beside) border.push_back(y * w + x);
    }
  }
  if (border.empty()) return 0;

  const double pi = std::acos(-1.0);
  // At each border pixel, the direction into the holes along which the known side looks most like
  // a straight structure (none where nothing does): the best of every fourth direction, then the
  // best near it.
  std::vector<float> dirX(border.size(), 0.f), dirY(border.size(), 0.f);
  float cosines[DIRECTIONS], sines[DIRECTIONS];
  for (int a = 0; a < DIRECTIONS; ++a) {
    const double angle = 2 * pi * a / DIRECTIONS;
    cosines[a] = static_cast<float>(std::cos(angle));
    sines[a] = static_cast<float>(std::sin(angle));
  }
  // Few border pixels are not worth more threads: a thread for every 64 at the most.
  const int borders = static_cast<int>(border.size());
  const unsigned borderThreads = std::min<unsigned>(std::max(1u, threads), std::max(1, borders / 64));
  ParallelFor(borders, borderThreads, [&](size_t b) {
    const int ex = border[b] % w, ey = border[b] / w;
    if (!Varied(picture, ex, ey, halfWidth)) return;
    // Any profile's score, and that of a straight structure's (0 for others).
    struct Score {
      double any = 0, structure = 0;
    };
    auto score = [&](int a) {
      a = (a % DIRECTIONS + DIRECTIONS) % DIRECTIONS;
      const float cx = cosines[a], cy = sines[a];
      const int ix = static_cast<int>(std::lround(ex + 2 * cx)), iy = static_cast<int>(std::lround(ey + 2 * cy));
      if (ix < 0 || iy < 0 || ix >= w || iy >= h || !holes[size_t(iy) * w + ix]) return Score{};
      const Side side =
          Slice(Measure(picture, float(ex), float(ey), -cx, -cy, -cy, cx, SUB * halfWidth, halfWidth, true), 0,
                SUB * halfWidth, halfWidth);
      if (!side.valid) return Score{};
      const double s = side.contrast / (side.noise + 1.0);
      return Score{s, Structured(side) ? s : 0.0};
    };
    int coarse = -1;
    Score best;
    for (int a = 0; a < DIRECTIONS; a += COARSE_STEP) {
      const Score s = score(a);
      if (s.any > best.any) {
        best = s;
        coarse = a;
      }
    }
    if (coarse < 0) return;
    double bestScore = 0;
    for (int a = coarse - COARSE_STEP + 1; a < coarse + COARSE_STEP; ++a) {
      const double s = a == coarse ? best.structure : score(a).structure;
      if (s > bestScore) {
        bestScore = s;
        const int d = (a % DIRECTIONS + DIRECTIONS) % DIRECTIONS;
        dirX[b] = cosines[d];
        dirY[b] = sines[d];
      }
    }
  });
  std::vector<Strip> found(border.size());
  ParallelFor(borders, borderThreads, [&](size_t b) {
    const int entry = border[b], ex = entry % w, ey = entry / w;
    const float dx = dirX[b], dy = dirY[b];
    if (dx == 0.f && dy == 0.f) return;
    // Where that line leaves the holes.
    int exit = -1, steps = 0;
    for (int t = 2; t < w + h; ++t) {
      const int x = static_cast<int>(std::lround(ex + t * dx)), y = static_cast<int>(std::lround(ey + t * dy));
      if (x < 0 || y < 0 || x >= w || y >= h) break;
      if (!holes[size_t(y) * w + x]) {
        exit = y * w + x;
        steps = t;
        break;
      }
    }
    if (exit < 0) return;
    const double tolerance = 2.0 + EXIT_TOLERANCE * steps;
    Strip best{entry, -1, 0.f, 0.f, 0.0, {}, {}};
    // Border pixels are in raster order: those within the tolerance lie in the rows around the exit.
    const int rows = static_cast<int>(tolerance), exitRow = exit / w;
    const size_t low = std::lower_bound(border.begin(), border.end(), std::max(0, exitRow - rows) * w) - border.begin();
    const size_t high =
        std::lower_bound(border.begin(), border.end(), std::min(h, exitRow + rows + 1) * w) - border.begin();
    for (size_t c = low; c < high; ++c) {
      // The other end shows a straight structure too (in some direction: a curve's turns).
      if (dirX[c] == 0.f && dirY[c] == 0.f) continue;
      const int other = border[c];
      const double ox = other % w, oy = other / w;
      if (std::hypot(ox - exit % w, oy - exit / w) > tolerance) continue;
      const double length = std::hypot(ox - ex, oy - ey);
      if (length < 2.0) continue;
      const float ux = static_cast<float>((ox - ex) / length), uy = static_cast<float>((oy - ey) / length);
      if (ux * dx + uy * dy < MAX_TURN_COS) continue;
      Side start = Slice(Measure(picture, float(ex), float(ey), -ux, -uy, -uy, ux, SUB * halfWidth, halfWidth, true),
                         0, SUB * halfWidth, halfWidth);
      if (!Structured(start)) continue;
      const Columns ends =
          Measure(picture, float(ox), float(oy), ux, uy, -uy, ux, SUB * (halfWidth + SHIFT), halfWidth, false);
      for (int shift = -SUB * SHIFT; shift <= SUB * SHIFT; ++shift) {
        Side end = Slice(ends, shift, SUB * halfWidth, halfWidth);
        if (!Structured(end)) continue;
        const Difference difference = Compare(start, end);
        if (difference.shape > MISMATCH * std::min(start.contrast, end.contrast) || difference.tone > MAX_TONE) continue;
        const double score = std::min(start.contrast, end.contrast) /
                             (start.noise + end.noise + difference.shape + TONE_WEIGHT * difference.tone + 1.0);
        if (score <= best.score) continue;
        const float across = float(shift) / SUB;
        best = {entry, other, float(ox) - uy * across, float(oy) + ux * across, score, start, std::move(end)};
      }
    }
    found[b] = std::move(best);
  });
  std::vector<Strip> candidates;
  for (Strip& s : found) {
    if (s.to >= 0) candidates.push_back(std::move(s));
  }

  // The clearest first; a strip whose ends lie by those of one taken already is the same structure.
  std::sort(candidates.begin(), candidates.end(), [](const Strip& a, const Strip& b) {
    if (a.score != b.score) return a.score > b.score;
    return a.from != b.from ? a.from < b.from : a.to < b.to;
  });
  std::vector<const Strip*> taken;
  auto near = [&](int a, int b) { return std::hypot(a % w - b % w, a / w - b / w) <= halfWidth + 1; };
  for (const Strip& s : candidates) {
    if (taken.size() >= MAX_STRIPS) break;
    bool same = false;
    for (const Strip* t : taken) {
      same = same || near(s.from, t->from) || near(s.from, t->to) || near(s.to, t->from) || near(s.to, t->to);
    }
    if (!same) taken.push_back(&s);
  }

  // Each strip across the holes: at each offset the two ends' profiles, blended along the way. A
  // pixel drawn leaves the holes at once, so a later strip does not draw it again.
  for (const Strip* s : taken) {
    const double fx = s->from % w, fy = s->from / w, tx = s->toX, ty = s->toY;
    const double length = std::hypot(tx - fx, ty - fy);
    const double ux = (tx - fx) / length, uy = (ty - fy) / length, nx = -uy, ny = ux;
    const int left = std::max(0, static_cast<int>(std::floor(std::min(fx, tx))) - 2 * halfWidth);
    const int right = std::min(w - 1, static_cast<int>(std::ceil(std::max(fx, tx))) + 2 * halfWidth);
    const int top = std::max(0, static_cast<int>(std::floor(std::min(fy, ty))) - 2 * halfWidth);
    const int bottom = std::min(h - 1, static_cast<int>(std::ceil(std::max(fy, ty))) + 2 * halfWidth);
    const int last = 2 * SUB * halfWidth;
    const double span = LENGTH_FACTOR * halfWidth;
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        const size_t i = size_t(y) * w + x;
        if (!holes[i]) continue;
        const double along = (x - fx) * ux + (y - fy) * uy, across = (x - fx) * nx + (y - fy) * ny;
        if (along < -halfWidth || along > length + halfWidth || std::abs(across) > halfWidth) continue;
        const double a = std::clamp(along / length, 0.0, 1.0);
        const double o = (across + halfWidth) * SUB;
        const int o0 = std::min(last - 1, static_cast<int>(std::floor(o)));
        const double f = o - o0;
        // The grain beyond either end is what the known pixels there show besides the profile. The
        // two ends' grains are blended with their variance kept.
        const double beforeStart = Beyond(along, span), beyondEnd = Beyond(length - along, span);
        Colour c;
        float atStart[3], atEnd[3];
        const bool startGrain = picture.Sample(float(fx - beforeStart * ux + across * nx),
                                               float(fy - beforeStart * uy + across * ny), c);
        if (startGrain) Channels(c, atStart);
        const bool endGrain =
            picture.Sample(float(tx + beyondEnd * ux + across * nx), float(ty + beyondEnd * uy + across * ny), c);
        if (endGrain) Channels(c, atEnd);
        const double gain = GRAIN_GAIN / std::sqrt((1 - a) * (1 - a) + a * a);
        uint32_t p = 0;
        for (int k = 0; k < 3; ++k) {
          const double first = s->start.profile[size_t(o0) * 3 + k] * (1 - f) + s->start.profile[size_t(o0 + 1) * 3 + k] * f;
          const double second = s->end.profile[size_t(o0) * 3 + k] * (1 - f) + s->end.profile[size_t(o0 + 1) * 3 + k] * f;
          const double grain = ((startGrain ? atStart[k] - first : 0.0) * (1 - a) +
                                (endGrain ? atEnd[k] - second : 0.0) * a) * gain;
          p |= uint32_t(std::clamp(std::lround(first * (1 - a) + second * a + grain), 0L, 255L)) << (8 * k);
        }
        pixels[i] = p;
        holes[i] = 0;
      }
    }
  }
  return static_cast<int>(taken.size());
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
