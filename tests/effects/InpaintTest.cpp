#include "EffectsTestSupport.h"

#include "Platform/Effects/InpaintPatchFill.h"
#include "Platform/Effects/PatchFill.h"
#include "Proc/Interfaces/IEffectInpaint.h"

#include <cmath>

using namespace EffectsTest;
using Zentor::Proc::Effects::Box;
using Zentor::Proc::Effects::FindInpaintRegions;
using Zentor::Proc::Effects::PatchFill;
using Zentor::Proc::Effects::PatchFillArea;

namespace {

const uint8_t HOLE_COLOUR[3] = {255, 0, 255};

// Random grain in [-spread, spread], the same sequence on every run.
struct Grain {
  uint64_t state;
  int spread;
  int operator()() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<int>(state % uint64_t(2 * spread + 1)) - spread;
  }
};

// A width x height area for the patch fill: colour(x, y) gives each pixel, inHole(x, y) whether it
// is a hole; both are called pixel by pixel in row order.
template <class Colour, class InHole>
PatchFillArea DrawArea(int width, int height, const Colour& colour, const InHole& inHole) {
  PatchFillArea area;
  area.width = width;
  area.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      area.pixels.push_back(colour(x, y));
      area.holes.push_back(inHole(x, y) ? 1 : 0);
    }
  }
  return area;
}

// A textured BGRA picture (stripes and a checker, varying alpha) with the hole painted magenta.
DataVideoPtr TexturedPicture(uint32_t w, uint32_t h, const DataVideoPtr& mask) {
  return MakeFrame(AV_PIX_FMT_BGRA, w, h, 4, [&](uint32_t x, uint32_t y, int b) -> uint8_t {
    if (b == 3) return static_cast<uint8_t>(100 + (x + y) % 100);
    if (Pixel(*mask, x, y, 1)[0]) return HOLE_COLOUR[b];
    const int stripe = (x / 6 + y / 9) % 2 ? 60 : 140;
    const int checker = ((x / 4) ^ (y / 4)) & 1 ? 20 : 0;
    return static_cast<uint8_t>(stripe + checker + b * 15);
  });
}

DataVideoPtr HoleMask(uint32_t w, uint32_t h) {
  return MakeFrame(AV_PIX_FMT_GRAY8, w, h, 1, [](uint32_t x, uint32_t y, int) -> uint8_t {
    const bool rect = x >= 60 && x < 85 && y >= 40 && y < 60;
    const bool disc = std::hypot(double(x) - 150.0, double(y) - 110.0) < 9.0;
    return rect ? 90 : disc ? 1 : 0;
  });
}

TwoInputEffectPtr MakeInpaint(const Core::ProgressControllerPtr& controller) {
  TwoInputEffectPtr inpaint = MakeTwo(IEffectInpaint::CLASS_ID, ImplNames::GMIC);
  Core::Property p = Preset(IEffectInpaint::CLASS_ID);
  p.SetChildT(IEffectInpaint::LOOKUP_SIZE, 15.0);
  inpaint->SetSettings(p);
  inpaint->SetProgressController(controller);
  return inpaint;
}

}  // namespace

TEST(InpaintPatchFill, FillsEveryHolePixelAndNothingElse) {
  const uint32_t w = 200, h = 150;
  DataVideoPtr mask = HoleMask(w, h);
  DataVideoPtr source = TexturedPicture(w, h, mask);
  const std::vector<uint8_t> before = Bytes(*source, 4);
  boost::intrusive_ptr<RecordingController> controller(new RecordingController());
  TwoInputEffectPtr inpaint = MakeInpaint(controller);

  DataVideoPtr result = source;
  inpaint->Process(result, mask);
  ASSERT_NE(result.get(), source.get());
  EXPECT_EQ(Bytes(*source, 4), before);  // the input is not written

  int holes = 0;
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* s = Pixel(*source, x, y, 4);
      const uint8_t* r = Pixel(*result, x, y, 4);
      EXPECT_EQ(r[3], s[3]);  // alpha carried through
      if (!Pixel(*mask, x, y, 1)[0]) {
        ASSERT_TRUE(std::equal(s, s + 4, r)) << "changed outside the hole at " << x << "," << y;
        continue;
      }
      ++holes;
      // Filled from the texture: no trace of the hole colour, values inside the texture's range.
      EXPECT_FALSE(r[0] > 200 && r[1] < 40 && r[2] > 200) << "unfilled at " << x << "," << y;
      for (int b = 0; b < 3; ++b) {
        EXPECT_GE(r[b], 50 + b * 15 - 15) << x << "," << y;
        EXPECT_LE(r[b], 160 + b * 15 + 15) << x << "," << y;
      }
    }
  }
  EXPECT_GT(holes, 600);

  // Progress: one maximum, rising values, ending at the maximum.
  ASSERT_EQ(controller->maximums.size(), 1u);
  ASSERT_FALSE(controller->values.empty());
  EXPECT_TRUE(std::is_sorted(controller->values.begin(), controller->values.end()));
  EXPECT_EQ(controller->values.back(), controller->maximums[0]);
  EXPECT_GT(controller->checks.load(), 0);

  // The same input gives the same output.
  DataVideoPtr again = source;
  MakeInpaint(controller)->Process(again, mask);
  EXPECT_EQ(Bytes(*again, 4), Bytes(*result, 4));
}

TEST(InpaintPatchFill, AStopAtAnyMomentLeavesTheFrameUntouched) {
  const uint32_t w = 200, h = 150;
  DataVideoPtr mask = MakeFrame(AV_PIX_FMT_GRAY8, w, h, 1, [](uint32_t x, uint32_t y, int) -> uint8_t {
    return (x >= 50 && x < 110 && y >= 40 && y < 90) || std::hypot(x - 170.0, y - 125.0) < 10 ? 90 : 0;
  });
  DataVideoPtr source = TexturedPicture(w, h, mask);
  const std::vector<uint8_t> before = Bytes(*source, 4);
  boost::intrusive_ptr<RecordingController> counter(new RecordingController());
  DataVideoPtr full = source;
  MakeInpaint(counter)->Process(full, mask);
  const int checks = counter->checks.load();
  ASSERT_GE(checks, 2);
  // Every check early on, then a spread, and the very last one.
  std::vector<int> stops;
  for (int stopAfter = 0; stopAfter < checks - 1; stopAfter += stopAfter < 4 ? 1 : std::max(1, checks / 10)) {
    stops.push_back(stopAfter);
  }
  stops.push_back(checks - 1);
  for (int stopAfter : stops) {
    boost::intrusive_ptr<RecordingController> controller(new RecordingController());
    controller->stopAfter = stopAfter;
    DataVideoPtr result = source;
    MakeInpaint(controller)->Process(result, mask);
    if (controller->checks.load() <= stopAfter) continue;  // this run ended before it was asked
    EXPECT_EQ(result.get(), source.get()) << "stop after " << stopAfter << " checks";
    for (int v : controller->values) EXPECT_LT(v, controller->maximums.at(0));
  }
  EXPECT_EQ(Bytes(*source, 4), before);
}

TEST(InpaintPatchFill, FillsHolesAtThePictureBorder) {
  // Holes along an edge and in a corner of a plain picture: every hole pixel takes the colour
  // around it, none keeps its own.
  const uint32_t w = 160, h = 120;
  DataVideoPtr mask = MakeFrame(AV_PIX_FMT_GRAY8, w, h, 1, [](uint32_t x, uint32_t y, int) -> uint8_t {
    return (x < 3 && y > 20 && y < 100) || (x >= 140 && y < 25) ? 90 : 0;
  });
  DataVideoPtr source = MakeFrame(AV_PIX_FMT_RGB24, w, h, 3, [&](uint32_t x, uint32_t y, int b) -> uint8_t {
    return Pixel(*mask, x, y, 1)[0] ? HOLE_COLOUR[b] : static_cast<uint8_t>(50 + b * 40);
  });
  DataVideoPtr result = source;
  MakeInpaint(nullptr)->Process(result, mask);
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* r = Pixel(*result, x, y, 3);
      for (int b = 0; b < 3; ++b) ASSERT_NEAR(r[b], 50 + b * 40, 3) << x << "," << y;
    }
  }
}

TEST(InpaintPatchFill, PatchFillGivesTheSameBytesOnAnyNumberOfThreads) {
  // Large enough for two scales and many row bands; holes of several sizes, one at the border.
  // Once on one texture, once where the holes cross the edge between two surfaces.
  for (const bool twoSurfaces : {false, true}) {
    PatchFillArea area = DrawArea(
        360, 260,
        [&](int x, int y) {
          const uint32_t r = static_cast<uint32_t>(128 + 90 * std::sin(x * 0.21) * std::cos(y * 0.13));
          const uint32_t g = static_cast<uint32_t>((x * 7 + y * 13) % 97 + ((x / 5 + y / 7) % 2) * 80);
          const uint32_t b = static_cast<uint32_t>((x * y) % 61 + 100);
          const bool second = twoSurfaces && y > 120 + x / 4;
          return second ? (r / 4 + 10) | (g / 4 + 160) << 8 | (b / 4 + 20) << 16 : r | g << 8 | b << 16;
        },
        [](int x, int y) {
          return (x > 90 && x < 220 && y > 70 && y < 170) || std::hypot(x - 300.0, y - 60.0) < 15 || x < 6;
        });
    SCOPED_TRACE(twoSurfaces ? "two surfaces" : "one texture");
    const PatchFillArea start = area;
    std::vector<std::vector<uint32_t>> results;
    for (unsigned threads : {1u, 8u, 8u, 3u, 5u, 0u}) {
      PatchFillArea run = start;
      ASSERT_TRUE(PatchFill(run, 9, threads, nullptr, nullptr));
      results.push_back(run.pixels);
    }
    for (size_t i = 1; i < results.size(); ++i) EXPECT_TRUE(results[i] == results[0]) << "run " << i;
    size_t changed = 0;
    for (size_t i = 0; i < start.pixels.size(); ++i) {
      if (!start.holes[i]) {
        ASSERT_EQ(results[0][i], start.pixels[i]) << "changed outside the hole at " << i;
      } else {
        changed += results[0][i] != start.pixels[i];
        EXPECT_EQ(results[0][i] >> 24, 0u);
      }
    }
    EXPECT_GT(changed, 10000u);
  }
}

TEST(InpaintPatchFill, PatchFillKeepsTheGrainAroundTheHole) {
  // Gravel (fine random grain) below a smooth surface of the same mean colour, the hole in the
  // gravel: a fill smoother than the gravel draws the smooth sources and leaves a smudge.
  Grain grain{0x2545F4914F6CDD1Dull, 30};
  PatchFillArea area = DrawArea(
      240, 180,
      [&](int, int y) {
        const int v = 110 + (y < 60 ? 0 : grain());
        return uint32_t(v) | uint32_t(v - 5) << 8 | uint32_t(v - 15) << 16;
      },
      [](int x, int y) { return std::hypot((x - 120.0) / 1.6, y - 115.0) < 30; });
  ASSERT_TRUE(PatchFill(area, 9, 4, nullptr, nullptr));
  // Mean step of the green byte to the right neighbour, inside the hole and in the gravel around.
  double inside = 0, outside = 0;
  int in = 0, out = 0;
  for (int y = 70; y < area.height; ++y) {
    for (int x = 0; x + 1 < area.width; ++x) {
      const size_t i = size_t(y) * area.width + x;
      const double step = std::abs(int((area.pixels[i] >> 8) & 0xFF) - int((area.pixels[i + 1] >> 8) & 0xFF));
      if (area.holes[i] && area.holes[i + 1]) inside += step, ++in;
      else if (!area.holes[i] && !area.holes[i + 1]) outside += step, ++out;
    }
  }
  ASSERT_GT(in, 1000);
  EXPECT_GT(inside / in, 0.6 * (outside / out)) << inside / in << " against " << outside / out;
}

TEST(InpaintPatchFill, AFringeTheSelectionMissedDoesNotDarkenTheFill) {
  // A ring two pixels wide around the hole on grainy orange, as a removed object leaves when the
  // selection hugs it: the fill is orange, not the ring's colour spread over the hole. Dark all
  // round, or somewhat darker on one half of the rim, too faint and too grainy to be told from the
  // picture as a remnant: the middle of the fill is then not shifted by much (about 20 where the
  // border's large differences spread over the whole hole).
  auto fill = [](uint32_t fringe, bool halfRim) {
    Grain grain{0x9E3779B97F4A7C15ull, 20};
    PatchFillArea area = DrawArea(
        160, 120,
        [&](int x, int y) {
          const double d = std::hypot(x - 80.0, y - 60.0);
          const int g = grain();
          const bool ring = d >= 30 && d < 32 && (!halfRim || x < 80);
          return ring ? fringe : uint32_t(200 + g) | uint32_t(120 + g) << 8 | uint32_t(50) << 16;
        },
        [](int x, int y) { return std::hypot(x - 80.0, y - 60.0) < 30; });
    EXPECT_TRUE(PatchFill(area, 9, 4, nullptr, nullptr));
    return area;
  };
  const PatchFillArea dark = fill(0x282828u, false);
  int holes = 0, darkPixels = 0;
  for (size_t i = 0; i < dark.pixels.size(); ++i) {
    if (!dark.holes[i]) continue;
    ++holes;
    darkPixels += (dark.pixels[i] & 0xFF) < 120;
  }
  EXPECT_LT(darkPixels, holes / 10) << darkPixels << " of " << holes << " hole pixels dark";

  const PatchFillArea faint = fill(155u | 75u << 8 | 50u << 16, true);
  double red = 0;
  int middle = 0;
  for (int y = 0; y < faint.height; ++y) {
    for (int x = 0; x < faint.width; ++x) {
      if (std::hypot(x - 80.0, y - 60.0) >= 20) continue;
      red += faint.pixels[size_t(y) * faint.width + x] & 0xFF;
      ++middle;
    }
  }
  EXPECT_NEAR(red / middle, 200, 12) << "the middle of the fill took on the faint fringe";
}

TEST(InpaintPatchFill, ABandAcrossTheHoleContinuesAcrossIt) {
  // A light band crosses a wide hole in grainy grass: the fill carries the band over from side to
  // side, and the grass above and below stays grass.
  const int bandTop = 108, bandBottom = 128;
  PatchFillArea area = DrawArea(
      300, 240,
      [&](int x, int y) {
        const uint32_t grain = static_cast<uint32_t>((x * 2654435761u ^ y * 40503u) >> 27);
        const bool band = y >= bandTop && y < bandBottom;
        return band ? (200 + grain) | (190 + grain) << 8 | (170 + grain) << 16
                    : (50 + grain) | (110 + grain) << 8 | (50 + grain) << 16;
      },
      [](int x, int y) { return x >= 90 && x < 210 && y >= 68 && y < 168; });
  ASSERT_TRUE(PatchFill(area, 9, 4, nullptr, nullptr));
  int bandKept = 0, bandPixels = 0, grassKept = 0, grassPixels = 0;
  for (int y = 68; y < 168; ++y) {
    for (int x = 90; x < 210; ++x) {
      const bool light = (area.pixels[size_t(y) * area.width + x] & 0xFF) > 125;
      if (y >= bandTop + 3 && y < bandBottom - 3) {
        ++bandPixels;
        bandKept += light;
      } else if (y < bandTop - 6 || y >= bandBottom + 6) {
        ++grassPixels;
        grassKept += !light;
      }
    }
  }
  EXPECT_GT(bandKept, bandPixels * 9 / 10);
  EXPECT_GT(grassKept, grassPixels * 99 / 100);
}

TEST(InpaintPatchFill, FillsWhereNoPatchFits) {
  // A picture smaller than a patch, and one wholly selected but for a column: every hole pixel
  // still gets a colour from what is there.
  for (uint32_t size : {5u, 40u}) {
    DataVideoPtr mask = MakeFrame(AV_PIX_FMT_GRAY8, size, size, 1, [](uint32_t x, uint32_t, int) -> uint8_t {
      return x == 0 ? 0 : 1;
    });
    DataVideoPtr source = MakeFrame(AV_PIX_FMT_RGB24, size, size, 3, [&](uint32_t x, uint32_t, int b) -> uint8_t {
      return x == 0 ? static_cast<uint8_t>(50 + b * 40) : HOLE_COLOUR[b];
    });
    DataVideoPtr result = source;
    MakeInpaint(nullptr)->Process(result, mask);
    for (uint32_t y = 0; y < size; ++y) {
      for (uint32_t x = 0; x < size; ++x) {
        const uint8_t* r = Pixel(*result, x, y, 3);
        for (int b = 0; b < 3; ++b) ASSERT_NEAR(r[b], 50 + b * 40, 20) << size << ": " << x << "," << y;
      }
    }
  }
}

TEST(InpaintPatchFill, RefusesWhatItCannotDo) {
  DataVideoPtr picture = DataVideoFF::Create(AV_PIX_FMT_RGB24, 32, 32);
  TwoInputEffectPtr inpaint = MakeTwo(IEffectInpaint::CLASS_ID, ImplNames::GMIC);
  DataVideoPtr frame = picture;
  EXPECT_THROW(inpaint->Process(frame, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 31, 32)), EffectException);
  EXPECT_THROW(inpaint->Process(frame, DataVideoFF::Create(AV_PIX_FMT_RGB24, 32, 32)), EffectException);
  DataVideoPtr grey = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 32, 32);
  EXPECT_THROW(inpaint->Process(grey, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 32, 32)), EffectException);
  EXPECT_THROW(inpaint->SetSettings(Core::Property("EffectInpaint2")), EffectException);
  // An empty mask leaves the picture as it is.
  inpaint->Process(frame, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 32, 32));
  EXPECT_EQ(frame.get(), picture.get());
}

TEST(InpaintPatchFill, RegionsGrowWithTheHoleNotThePicture) {
  // Two small holes far apart in a large picture: two regions with the minimum margin.
  DataVideoPtr mask = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 3000, 2000);
  for (uint32_t y = 100; y < 110; ++y)
    for (uint32_t x = 200; x < 220; ++x) Pixel(*mask, x, y, 1)[0] = 90;
  for (uint32_t y = 1900; y < 1990; ++y)
    for (uint32_t x = 2900; x < 2990; ++x) Pixel(*mask, x, y, 1)[0] = 90;
  auto regions = FindInpaintRegions(*mask, 15.0);
  ASSERT_EQ(regions.size(), 2u);
  const Box& small = regions[0].holes.left == 200 ? regions[0].roi : regions[1].roi;
  const Box& large = regions[0].holes.left == 200 ? regions[1].roi : regions[0].roi;
  EXPECT_EQ(small.left, 200 - 64);
  EXPECT_EQ(small.top, 100 - 64);
  EXPECT_EQ(small.right, 220 + 64);
  EXPECT_EQ(large.left, 2900 - 90);  // margin of the hole's own size
  EXPECT_EQ(large.right, 3000);      // clamped to the picture
  EXPECT_EQ(large.bottom, 2000);

  // A larger lookup size widens the context; holes whose contexts meet are handled together.
  regions = FindInpaintRegions(*mask, 100.0);
  ASSERT_EQ(regions.size(), 2u);
  for (uint32_t y = 150; y < 160; ++y)
    for (uint32_t x = 300; x < 310; ++x) Pixel(*mask, x, y, 1)[0] = 90;
  regions = FindInpaintRegions(*mask, 15.0);
  ASSERT_EQ(regions.size(), 2u);
  const Box& merged = regions[0].holes.left == 200 ? regions[0].holes : regions[1].holes;
  EXPECT_EQ(merged.right, 310);
  EXPECT_EQ(merged.bottom, 160);
  EXPECT_TRUE(FindInpaintRegions(*DataVideoFF::Create(AV_PIX_FMT_GRAY8, 50, 50), 15.0).empty());
}

TEST(InpaintPatchFill, ALineThatCrossesTheHoleIsContinuedOneThatEndsInItIsNot) {
  // A dark grainy line three pixels wide on grainy grey, slanted through an elliptic hole; once it
  // runs on beyond the hole, once it stops at the hole's middle.
  for (const bool through : {true, false}) {
    SCOPED_TRACE(through ? "crossing" : "ending");
    auto onLine = [&](int x, int y) { return std::abs(y - (0.5 * x + 20)) / std::hypot(1.0, 0.5) <= 1.5; };
    PatchFillArea area = DrawArea(
        240, 160,
        [&](int x, int y) {
          const uint32_t grain = static_cast<uint32_t>((x * 37 + y * 91 + (x * y) % 13) % 21);
          const uint32_t v = onLine(x, y) && (through || x < 120) ? 40 + grain / 2 : 140 + grain;
          return v | v << 8 | v << 16;
        },
        [](int x, int y) { return std::hypot((x - 120) / 40.0, (y - 80) / 30.0) < 1.0; });
    PatchFillArea single = area;
    ASSERT_TRUE(PatchFill(area, 9, 8, nullptr, nullptr));
    ASSERT_TRUE(PatchFill(single, 9, 1, nullptr, nullptr));
    EXPECT_TRUE(single.pixels == area.pixels);
    // Mean brightness on the line's course through the hole's right half.
    double sum = 0;
    int count = 0;
    for (int x = 122; x < 156; ++x) {
      const int y = static_cast<int>(std::lround(0.5 * x + 20));
      if (!area.holes[size_t(y) * area.width + x]) continue;
      sum += area.pixels[size_t(y) * area.width + x] & 0xFF;
      ++count;
    }
    ASSERT_GT(count, 20);
    if (through) {
      EXPECT_LT(sum / count, 70.0);
      // The line keeps its grain through the hole: no smooth bar.
      double inside = 0, outside = 0;
      int in = 0, out = 0;
      for (int x = 20; x < 220; ++x) {
        const size_t i = size_t(std::lround(0.5 * x + 20)) * area.width + x;
        const size_t next = size_t(std::lround(0.5 * (x + 1) + 20)) * area.width + x + 1;
        const double step = std::abs(int(area.pixels[i] & 0xFF) - int(area.pixels[next] & 0xFF));
        if (area.holes[i] && area.holes[next]) inside += step, ++in;
        else if (!area.holes[i] && !area.holes[next]) outside += step, ++out;
      }
      EXPECT_GT(inside / in, 0.3 * (outside / out)) << inside / in << " against " << outside / out;
    } else {
      EXPECT_GT(sum / count, 120.0);
    }
  }
}

TEST(InpaintPatchFill, ARoundOutlineThroughTheHoleKeepsItsCurve) {
  // A dark disc on grainy light ground, an elliptic hole over the top of its outline: the part of
  // the disc the hole covers, between its arc and the chord joining where the outline meets the
  // hole, stays dark.
  auto inDisc = [](int x, int y) { return std::hypot(x - 150.0, y - 120.0) < 60.0; };
  PatchFillArea area = DrawArea(
      300, 240,
      [&](int x, int y) {
        const uint32_t grain = static_cast<uint32_t>((x * 37 + y * 91 + (x * y) % 13) % 21);
        const uint32_t v = inDisc(x, y) ? 50 + grain : 180 + grain;
        return v | v << 8 | v << 16;
      },
      [](int x, int y) { return std::hypot((x - 150) / 45.0, (y - 62) / 25.0) < 1.0; });
  ASSERT_TRUE(PatchFill(area, 9, 4, nullptr, nullptr));
  int dark = 0, cap = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 300; ++x) {
      if (!area.holes[size_t(y) * area.width + x] || y > 70 || std::hypot(x - 150.0, y - 120.0) > 56.0) continue;
      ++cap;
      dark += (area.pixels[size_t(y) * area.width + x] & 0xFF) < 115;
    }
  }
  ASSERT_GT(cap, 200);
  EXPECT_GT(dark, cap * 9 / 10) << dark << " of " << cap;
}
