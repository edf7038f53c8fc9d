#include "InpaintBefore.h"

#include "Platform/Effects/PixelLayout.h"

#include <gmic.h>
#include <glog/logging.h>
#include <opencv2/photo.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include <xmmintrin.h>

// The OpenMP runtime that libgmic runs on; the setting applies to the calling thread only.
extern "C" void omp_set_num_threads(int);

namespace Zentor {
namespace Proc {
namespace EffectsBefore {

namespace {

// libgmic is built with fast-math, whose start-up code turns on flush-to-zero and
// denormals-are-zero for the whole process. That silently changes every double the process
// reads (session files, metadata ratios), so the default mode is restored once the library
// is loaded; threads started later inherit it.
__attribute__((constructor)) void RestoreDefaultFloatingPointMode() {
  constexpr unsigned FLUSH_TO_ZERO = 0x8000;
  constexpr unsigned DENORMALS_ARE_ZERO = 0x0040;
  _mm_setcsr(_mm_getcsr() & ~(FLUSH_TO_ZERO | DENORMALS_ARE_ZERO));
}

constexpr unsigned RANDOM_SEED = 1234;
constexpr int PROGRESS_MAXIMUM = 1000;

// Expected share of the work done when G'MIC's patch matching starts each of its scales (the
// coarsest first). Scale k of n has 4^k times the pixels of the coarsest and
// round(max(1, 10 ((n - k) / (n - 1))^2)) + 1 matching passes (G'MIC picks n = ceil(log2(min side / 16)));
// the last entry is 1.
std::vector<double> ScaleShares(int width, int height) {
  const int n = std::max(1, static_cast<int>(std::ceil(std::log2(std::min(width, height) / 16.0))));
  std::vector<double> shares(size_t(n) + 1, 0.0);
  for (int k = 0; k < n; ++k) {
    const double passes = std::round(std::max(1.0, 10.0 * std::pow(double(n - k) / std::max(1, n - 1), 2.0))) + 1.0;
    shares[size_t(k) + 1] = shares[size_t(k)] + std::pow(4.0, k) * passes;
  }
  for (double& share : shares) share /= shares.back();
  return shares;
}

// One G'MIC run on a region: the interpreter works on its own thread while the caller's thread
// passes progress on and watches for a stop.
class RegionRun {
 public:
  RegionRun(const IDataVideo& picture, const PackedLayout& layout, const IDataVideo& mask, const InpaintRegion& region)
      : roi_(region.roi) {
    const int w = roi_.Width();
    const int h = roi_.Height();
    // The region's colour and holes as OpenCV sees them, the holes given a first smooth fill.
    cv::Mat colour(h, w, CV_8UC3);
    cv::Mat holes(h, w, CV_8UC1);
    const Picture& pp = picture.GetPicture();
    const Picture& mp = mask.GetPicture();
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = pp.data[0] + size_t(roi_.top + y) * pp.linesize[0] + size_t(roi_.left) * layout.bpp;
      const uint8_t* m = mp.data[0] + size_t(roi_.top + y) * mp.linesize[0] + roi_.left;
      uint8_t* c = colour.ptr<uint8_t>(y);
      uint8_t* o = holes.ptr<uint8_t>(y);
      for (int x = 0; x < w; ++x, s += layout.bpp, c += 3) {
        c[0] = s[layout.r];
        c[1] = s[layout.g];
        c[2] = s[layout.b];
        o[x] = m[x] ? 255 : 0;
      }
    }
    cv::Mat start;
    cv::inpaint(colour, holes, start, 3, cv::INPAINT_TELEA);
    colour.release();

    images_.assign(2);
    images_[0].assign(unsigned(w), unsigned(h), 1, 3);
    images_[1].assign(unsigned(w), unsigned(h), 1, 1);
    const size_t plane = size_t(w) * h;
    float* red = images_[0]._data;
    float* hole = images_[1]._data;
    for (int y = 0; y < h; ++y) {
      const uint8_t* c = start.ptr<uint8_t>(y);
      const uint8_t* o = holes.ptr<uint8_t>(y);
      const size_t row = size_t(y) * w;
      for (int x = 0; x < w; ++x, c += 3) {
        red[row + x] = c[0];
        red[plane + row + x] = c[1];
        red[2 * plane + row + x] = c[2];
        hole[row + x] = o[x] ? 1.f : 0.f;
      }
    }
  }

  // Runs to the end; false when a stop was asked. report(fraction) is called on this thread.
  template <class Report, class StopAsked>
  bool Run(unsigned patchSize, Report report, StopAsked stopAsked) {
    if (stopAsked()) return false;
    // Automatic scales, 10 iterations per scale, blend size 5, outer blending, already initialised.
    const std::string command = "v - srand " + std::to_string(RANDOM_SEED) + " inpaint_matchpatch[0] [1],0," +
                                std::to_string(patchSize) + ",10,5,1,1";
    std::thread worker([this, &command] {
      try {
        // One thread: shared between threads the patch matching differs from run to run.
        omp_set_num_threads(1);
        gmic interpreter;
        interpreter.run(command.c_str(), images_, names_, &progress_, &abort_);
      } catch (const gmic_exception& e) {
        error_ = std::string("G'MIC: ") + e.what();
      } catch (const std::exception& e) {
        error_ = e.what();
      } catch (...) {
        error_ = "unknown failure";
      }
      done_.store(true);
    });
    // Whatever leaves this function, the interpreter is told to stop and its thread is joined.
    struct Joiner {
      RegionRun& run;
      std::thread& thread;
      ~Joiner() {
        if (!thread.joinable()) return;
        __atomic_store_n(&run.abort_, true, __ATOMIC_RELAXED);
        thread.join();
      }
    } joiner{*this, worker};

    // G'MIC reports only the start of each scale; in between, the time the scales so far took
    // predicts the current one.
    const std::vector<double> shares = ScaleShares(roi_.Width(), roi_.Height());
    const size_t scales = shares.size() - 1;
    const auto begin = std::chrono::steady_clock::now();
    auto scaleBegin = begin;
    size_t scale = 0;
    bool stopped = false;
    while (!done_.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
      if (!stopped && stopAsked()) {
        stopped = true;
        __atomic_store_n(&abort_, true, __ATOMIC_RELAXED);
      }
      if (stopped) continue;
      float value = -1.f;
      __atomic_load(&progress_, &value, __ATOMIC_RELAXED);
      const auto now = std::chrono::steady_clock::now();
      if (value >= 0.f && scales > 1) {
        const size_t current = std::min(scales - 1, static_cast<size_t>(std::lround(value / 100.0 * (scales - 1))));
        if (current > scale) {
          scale = current;
          scaleBegin = now;
        }
      }
      const double elapsed = std::chrono::duration<double>(now - begin).count();
      const double inScale = std::chrono::duration<double>(now - scaleBegin).count();
      const double share = shares[scale + 1] - shares[scale];
      // Seconds per unit of work so far; before the first scale ends, a guess of a second per megapixel.
      const double rate = shares[scale] > 0.05 ? (elapsed - inScale) / shares[scale]
                                                : 1e-6 * roi_.Width() * roi_.Height();
      const double expected = std::max(0.05, rate * share);
      report(std::min(0.99, shares[scale] + share * (1.0 - std::exp(-inScale / expected))));
    }
    worker.join();
    if (stopped || __atomic_load_n(&abort_, __ATOMIC_RELAXED)) return false;
    if (!error_.empty()) ThrowEffect("Inpainting failed: " + error_);
    if (images_._width < 1 || images_[0]._width != unsigned(roi_.Width()) ||
        images_[0]._height != unsigned(roi_.Height()) || images_[0]._spectrum < 3) {
      ThrowEffect("Inpainting failed: G'MIC gave no picture");
    }
    return true;
  }

  // Writes the filled hole pixels into the target.
  void Store(IDataVideo& target, const PackedLayout& layout, const IDataVideo& mask) const {
    const unsigned w = static_cast<unsigned>(roi_.Width());
    const unsigned h = static_cast<unsigned>(roi_.Height());
    const float* red = images_[0]._data;
    const float* green = red + size_t(w) * h;
    const float* blue = green + size_t(w) * h;
    Picture& tp = target.GetPicture();
    const Picture& mp = mask.GetPicture();
    auto byte = [](float v) { return static_cast<uint8_t>(v <= 0.f ? 0 : v >= 255.f ? 255 : std::lround(v)); };
    for (unsigned y = 0; y < h; ++y) {
      uint8_t* t = tp.data[0] + size_t(roi_.top + y) * tp.linesize[0] + size_t(roi_.left) * layout.bpp;
      const uint8_t* m = mp.data[0] + size_t(roi_.top + y) * mp.linesize[0] + roi_.left;
      const size_t row = size_t(y) * w;
      for (unsigned x = 0; x < w; ++x, t += layout.bpp) {
        if (!m[x]) continue;
        t[layout.r] = byte(red[row + x]);
        t[layout.g] = byte(green[row + x]);
        t[layout.b] = byte(blue[row + x]);
      }
    }
  }

 private:
  Box roi_;
  gmic_list<float> images_;
  gmic_list<char> names_;
  float progress_ = -1.f;
  bool abort_ = false;
  std::atomic<bool> done_{false};
  std::string error_;
};

}  // namespace

void InpaintGmic::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(PATCH_SIZE)) {
    const long long value = Core::GetValue<long long>(settings[PATCH_SIZE]);
    patchSize_ = static_cast<unsigned>(std::clamp<long long>(value, 3, 63)) | 1u;
  }
  if (settings.ChildExists(LOOKUP_SIZE)) lookupSize_ = Core::GetValue<double>(settings[LOOKUP_SIZE]);
}

void InpaintGmic::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(PATCH_SIZE, static_cast<long long>(patchSize_));
  settings.SetChildT(LOOKUP_SIZE, lookupSize_);
}

void InpaintGmic::ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& maskIn) {
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
  LOG(INFO) << "G'MIC inpainting of a " << picture.GetWidth() << "x" << picture.GetHeight() << " picture in "
            << regions.size() << " region(s) of " << static_cast<long long>(total) << " pixels, patch size "
            << patchSize_;
  Core::IProgressController* progress = progress_.get();
  if (progress) progress->SetMaximum(PROGRESS_MAXIMUM);
  int reported = 0;
  double done = 0.0;
  auto stopAsked = [progress] { return progress && progress->CheckForStop(); };

  DataVideoPtr result;
  for (const InpaintRegion& region : regions) {
    const double weight = double(region.roi.Width()) * region.roi.Height() / total;
    std::unique_ptr<RegionRun> run;
    try {
      run = std::make_unique<RegionRun>(picture, layout, mask, region);
    } catch (const std::exception& e) {
      ThrowEffect(std::string("Not enough memory to inpaint the selection: ") + e.what());
    }
    const bool finished = run->Run(
        patchSize_,
        [&](double fraction) {
          const int value = static_cast<int>(PROGRESS_MAXIMUM * (done + weight * fraction));
          if (progress && value > reported) {
            reported = value;
            progress->SetProgress(value);
          }
        },
        stopAsked);
    if (!finished) {
      LOG(INFO) << "G'MIC inpainting stopped";
      return;  // the frame stays as it was
    }
    if (!result) result = picture.CreateCopy();
    run->Store(*result, layout, mask);
    done += weight;
  }
  if (progress) progress->SetProgress(PROGRESS_MAXIMUM);
  frame = result;
}

}  // namespace EffectsBefore
}  // namespace Proc
}  // namespace Zentor
