#include "Platform/Effects/InpaintPatchFill.h"

#include "Platform/Effects/PixelLayout.h"

#include "Platform/Effects/PatchFill.h"

#include <glog/logging.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <new>
#include <thread>
#include <vector>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

constexpr int TILE = 32;
constexpr size_t MAX_GROUPS = 512;
constexpr int MIN_MARGIN = 64;
constexpr double DEFAULT_LOOKUP = 15.0;
constexpr int PROGRESS_MAXIMUM = 1000;
constexpr unsigned MAX_THREADS = 16;

Box Union(const Box& a, const Box& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

bool Intersect(const Box& a, const Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Box Grow(const Box& holes, double lookupSize, int width, int height) {
  const int m = ContextMargin(holes, lookupSize);
  return {std::max(0, holes.left - m), std::max(0, holes.top - m), std::min(width, holes.right + m),
          std::min(height, holes.bottom + m)};
}

// The region's colours and holes as the patch fill takes them.
PatchFillArea ReadArea(const IDataVideo& picture, const PackedLayout& layout, const IDataVideo& mask, const Box& roi) {
  PatchFillArea area;
  area.width = roi.Width();
  area.height = roi.Height();
  area.pixels.resize(size_t(area.width) * area.height);
  area.holes.resize(area.pixels.size());
  const Picture& pp = picture.GetPicture();
  const Picture& mp = mask.GetPicture();
  for (int y = 0; y < area.height; ++y) {
    const uint8_t* s = pp.data[0] + size_t(roi.top + y) * pp.linesize[0] + size_t(roi.left) * layout.bpp;
    const uint8_t* m = mp.data[0] + size_t(roi.top + y) * mp.linesize[0] + roi.left;
    uint32_t* p = &area.pixels[size_t(y) * area.width];
    uint8_t* h = &area.holes[size_t(y) * area.width];
    for (int x = 0; x < area.width; ++x, s += layout.bpp) {
      p[x] = uint32_t(s[layout.r]) | uint32_t(s[layout.g]) << 8 | uint32_t(s[layout.b]) << 16;
      h[x] = m[x] ? 1 : 0;
    }
  }
  return area;
}

// Writes the filled hole pixels into the target.
void StoreArea(const PatchFillArea& area, const Box& roi, IDataVideo& target, const PackedLayout& layout) {
  Picture& tp = target.GetPicture();
  for (int y = 0; y < area.height; ++y) {
    uint8_t* t = tp.data[0] + size_t(roi.top + y) * tp.linesize[0] + size_t(roi.left) * layout.bpp;
    const uint32_t* p = &area.pixels[size_t(y) * area.width];
    const uint8_t* h = &area.holes[size_t(y) * area.width];
    for (int x = 0; x < area.width; ++x, t += layout.bpp) {
      if (!h[x]) continue;
      t[layout.r] = static_cast<uint8_t>(p[x]);
      t[layout.g] = static_cast<uint8_t>(p[x] >> 8);
      t[layout.b] = static_cast<uint8_t>(p[x] >> 16);
    }
  }
}

}  // namespace

int ContextMargin(const Box& holes, double lookupSize) {
  if (!(lookupSize > 0.0)) lookupSize = DEFAULT_LOOKUP;
  const double factor = 1.0 + 3.0 * (std::clamp(lookupSize, DEFAULT_LOOKUP, 100.0) - DEFAULT_LOOKUP) / 85.0;
  const double size = std::sqrt(double(holes.Width()) * double(holes.Height()));
  return std::max(MIN_MARGIN, static_cast<int>(std::min(std::ceil(size * factor), double(INT_MAX / 4))));
}

std::vector<InpaintRegion> FindInpaintRegions(const IDataVideo& mask, double lookupSize) {
  const int width = static_cast<int>(mask.GetWidth());
  const int height = static_cast<int>(mask.GetHeight());
  const int tilesX = (width + TILE - 1) / TILE;
  const int tilesY = (height + TILE - 1) / TILE;
  std::vector<Box> tiles(size_t(tilesX) * tilesY);
  const Picture& mp = mask.GetPicture();
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = mp.data[0] + size_t(y) * mp.linesize[0];
    Box* tileRow = &tiles[size_t(y / TILE) * tilesX];
    for (int x = 0; x < width; ++x) {
      if (!row[x]) continue;
      Box& t = tileRow[x / TILE];
      if (t.Empty()) {
        t = {x, y, x + 1, y + 1};
      } else {
        t.left = std::min(t.left, x);
        t.right = std::max(t.right, x + 1);
        t.bottom = y + 1;
      }
    }
  }

  // Holes: 8-connected groups of tiles that hold hole pixels.
  std::vector<Box> holes;
  std::vector<char> seen(tiles.size(), 0);
  std::vector<int> stack;
  for (size_t start = 0; start < tiles.size(); ++start) {
    if (seen[start] || tiles[start].Empty()) continue;
    Box box;
    stack.assign(1, static_cast<int>(start));
    seen[start] = 1;
    while (!stack.empty()) {
      const int i = stack.back();
      stack.pop_back();
      box = Union(box, tiles[i]);
      const int tx = i % tilesX, ty = i / tilesX;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = tx + dx, ny = ty + dy;
          if (nx < 0 || ny < 0 || nx >= tilesX || ny >= tilesY) continue;
          const int n = ny * tilesX + nx;
          if (!seen[n] && !tiles[n].Empty()) {
            seen[n] = 1;
            stack.push_back(n);
          }
        }
      }
    }
    holes.push_back(box);
  }
  if (holes.size() > MAX_GROUPS) {
    Box all;
    for (const Box& b : holes) all = Union(all, b);
    holes.assign(1, all);
  }

  // Regions whose context rectangles overlap are merged until none do.
  std::vector<InpaintRegion> regions;
  for (const Box& b : holes) regions.push_back({b, Grow(b, lookupSize, width, height)});
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < regions.size() && !merged; ++i) {
      for (size_t j = i + 1; j < regions.size(); ++j) {
        if (!Intersect(regions[i].roi, regions[j].roi)) continue;
        regions[i].holes = Union(regions[i].holes, regions[j].holes);
        regions[i].roi = Grow(regions[i].holes, lookupSize, width, height);
        regions.erase(regions.begin() + static_cast<long>(j));
        merged = true;
        break;
      }
    }
  }
  return regions;
}

void InpaintPatchFill::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(PATCH_SIZE)) {
    const long long value = Core::GetValue<long long>(settings[PATCH_SIZE]);
    patchSize_ = static_cast<unsigned>(std::clamp<long long>(value, 3, 63)) | 1u;
  }
  if (settings.ChildExists(LOOKUP_SIZE)) lookupSize_ = Core::GetValue<double>(settings[LOOKUP_SIZE]);
}

void InpaintPatchFill::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(PATCH_SIZE, static_cast<long long>(patchSize_));
  settings.SetChildT(LOOKUP_SIZE, lookupSize_);
}

void InpaintPatchFill::ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& maskIn) {
  const IDataVideo& picture = CheckedFrame(frame, "picture");
  const IDataVideo& mask = CheckedFrame(maskIn, "mask");
  const PackedLayout layout = GetPackedLayout(picture.GetPixelFormat());
  if (!layout.Valid() || layout.grey) {
    ThrowEffect("Inpainting is not supported for " + Conf::PixelFormatToTextID(picture.GetPixelFormat()));
  }
  if (mask.GetPixelFormat() != AV_PIX_FMT_GRAY8) ThrowEffect("The inpainting mask must be 8-bit grey");
  if (mask.GetWidth() != picture.GetWidth() || mask.GetHeight() != picture.GetHeight()) {
    ThrowEffect("The inpainting mask has another size than the picture");
  }
  const std::vector<InpaintRegion> regions = FindInpaintRegions(mask, lookupSize_);
  if (regions.empty()) return;

  double total = 0.0;
  for (const InpaintRegion& r : regions) total += double(r.roi.Width()) * r.roi.Height();
  LOG(INFO) << "Inpainting of a " << picture.GetWidth() << "x" << picture.GetHeight() << " picture in "
            << regions.size() << " region(s) of " << static_cast<long long>(total) << " pixels, patch size "
            << patchSize_;
  Core::IProgressController* progress = progress_.get();
  if (progress) progress->SetMaximum(PROGRESS_MAXIMUM);
  int reported = 0;
  double done = 0.0;
  const std::function<bool()> stopAsked = [progress] { return progress && progress->CheckForStop(); };

  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, MAX_THREADS);
  DataVideoPtr result;
  for (const InpaintRegion& region : regions) {
    const double weight = double(region.roi.Width()) * region.roi.Height() / total;
    PatchFillArea area;
    try {
      area = ReadArea(picture, layout, mask, region.roi);
    } catch (const std::bad_alloc& e) {
      ThrowEffect(std::string("Not enough memory to inpaint the selection: ") + e.what());
    }
    const std::function<void(double)> report = [&](double fraction) {
      const int value = static_cast<int>(PROGRESS_MAXIMUM * std::min(0.999, done + weight * fraction));
      if (progress && value > reported) {
        reported = value;
        progress->SetProgress(value);
      }
    };
    bool finished = false;
    try {
      finished = PatchFill(area, static_cast<int>(patchSize_), threads, report, stopAsked);
    } catch (const std::bad_alloc& e) {
      ThrowEffect(std::string("Not enough memory to inpaint the selection: ") + e.what());
    }
    if (!finished) {
      LOG(INFO) << "Inpainting stopped";
      return;  // the frame stays as it was
    }
    if (!result) result = picture.CreateCopy();
    StoreArea(area, region.roi, *result, layout);
    done += weight;
  }
  if (progress) progress->SetProgress(PROGRESS_MAXIMUM);
  frame = result;
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
