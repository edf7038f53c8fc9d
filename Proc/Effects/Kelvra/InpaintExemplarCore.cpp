#include "Proc/Effects/Kelvra/InpaintExemplarCore.h"

#include <glog/logging.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zentor {
namespace Proc {
namespace OpenCV {
namespace {

using Clock = std::chrono::steady_clock;

// Adds the time from construction to destruction to a phase counter (microseconds).
class PhaseTimer {
 public:
  explicit PhaseTimer(int64_t& sink) : sink_(sink), start_(Clock::now()) {}
  ~PhaseTimer() { sink_ += std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_).count(); }
  PhaseTimer(const PhaseTimer&) = delete;
  PhaseTimer& operator=(const PhaseTimer&) = delete;

 private:
  int64_t& sink_;
  Clock::time_point start_;
};

const float kInv255 = static_cast<float>(1.0 / 255);

// The patch rectangle around a point, clipped to the picture; corners inclusive.
struct PatchRect {
  int x0, y0, x1, y1;
  int Width() const { return x1 - x0 + 1; }
  int Height() const { return y1 - y0 + 1; }
};

PatchRect GetPatch(int x, int y, int h, int cols, int rows) {
  return {std::max(x - h, 0), std::max(y - h, 0), std::min(x + h, cols - 1), std::min(y + h, rows - 1)};
}

// Unit normal of the front from the known mask's horizontal and vertical differences.
inline cv::Point2f FrontNormal(float nx, float ny) {
  float a = ny;
  float b = -nx;
  const float length = std::sqrt(ny * ny + nx * nx);
  if (length != 0) {
    a /= length;
    b /= length;
  }
  return {a, b};
}

// Data term: the gradient along the rounded normal.
inline float DataTerm(const cv::Point2f& normal, float gx, float gy) {
  return std::fabs(static_cast<float>(std::lrint(normal.x)) * gx + static_cast<float>(std::lrint(normal.y)) * gy) +
         0.001f;
}

inline float GradientValue(uint8_t value) { return static_cast<float>(value) * kInv255; }

// Absolute Scharr gradients of the picture's grey image, saturated to 8 bits.
void ComputeGradients8(const cv::Mat& bgr, cv::Mat& gx, cv::Mat& gy) {
  cv::Mat grey, s16;
  cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
  cv::Scharr(grey, s16, CV_16S, 1, 0, 1, 0, cv::BORDER_REFLECT_101);
  cv::convertScaleAbs(s16, gx);
  cv::Scharr(grey, s16, CV_16S, 0, 1, 1, 0, cv::BORDER_REFLECT_101);
  cv::convertScaleAbs(s16, gy);
}

// Positions of a target patch, relative to its corner, split by the known mask.
struct TargetLayout {
  std::vector<cv::Point> known;
  std::vector<cv::Point> unknown;
};

// Tie-break measure of a candidate: spread of its pixels at the target's known positions around the
// per-channel integer mean of its pixels at the target's unknown positions.
double CandidateMeasure(const cv::Mat& image, cv::Point corner, const TargetLayout& layout) {
  VLOG(2) << "compute variance: (" << corner.x << ", " << corner.y << ")";
  int64_t sums[3] = {0, 0, 0};
  for (const cv::Point& p : layout.unknown) {
    const uint8_t* px = image.ptr<uint8_t>(corner.y + p.y) + 3 * (corner.x + p.x);
    for (int c = 0; c < 3; ++c) sums[c] += px[c];
  }
  const int64_t n = static_cast<int64_t>(layout.unknown.size());
  const int64_t mean[3] = {sums[0] / n, sums[1] / n, sums[2] / n};
  int64_t spread = 0;
  for (const cv::Point& p : layout.known) {
    const uint8_t* px = image.ptr<uint8_t>(corner.y + p.y) + 3 * (corner.x + p.x);
    for (int c = 0; c < 3; ++c) {
      const int64_t d = static_cast<int64_t>(px[c]) - mean[c];
      spread += d * d;
    }
  }
  return static_cast<double>(spread);
}

// The first candidate of smallest measure.
size_t PickByMeasure(const std::vector<double>& measures) {
  size_t chosen = 0;
  double best = std::numeric_limits<double>::max();
  for (size_t k = 0; k < measures.size(); ++k) {
    if (measures[k] < best) {
      best = measures[k];
      chosen = k;
    }
  }
  return chosen;
}

// ---------------------------------------------------------------------------------------------
// Plain form: every map spans the picture, every pass filters the whole picture and tries every
// candidate window.

class PlainInpainter {
 public:
  PlainInpainter(const cv::Mat& src, const cv::Mat& mask, cv::Mat& dst, int halfSize, ExemplarProgress& progress,
                 ExemplarTimes& times)
      : src_(src), mask_(mask), image_(dst), h_(halfSize), progress_(progress), times_(times) {}

  ExemplarResult Run() {
    if (InitializeMats() == 0) return ExemplarResult::Done;
    CalculateGradients();
    for (;;) {
      {
        PhaseTimer t(times_.computeFillFront);
        ComputeFillFront();
      }
      if (front_.empty()) return ExemplarResult::NoCandidate;
      {
        PhaseTimer t(times_.computeConfidence);
        ComputeConfidence();
      }
      {
        PhaseTimer t(times_.computeData);
        ComputeData();
      }
      if (progress_.CheckForStop()) return ExemplarResult::Stopped;
      {
        PhaseTimer t(times_.computeTarget);
        ComputeTarget();
      }
      if (progress_.CheckForStop()) return ExemplarResult::Stopped;
      {
        PhaseTimer t(times_.computeBestPatch);
        if (!ComputeBestPatch()) return ExemplarResult::NoCandidate;
      }
      {
        PhaseTimer t(times_.updateMats);
        UpdateMats();
      }
      PhaseTimer t(times_.checkEnd);
      if (cv::countNonZero(known_) == static_cast<int>(known_.total())) return ExemplarResult::Done;
    }
  }

 private:
  int InitializeMats() {
    cv::threshold(mask_, hole_, EXEMPLAR_HOLE_THRESHOLD, 1, cv::THRESH_BINARY);
    const int holes = cv::countNonZero(hole_);
    progress_.SetMaximum(holes);
    src_.copyTo(image_);
    confidence_.create(mask_.size(), CV_32F);
    confidence_.setTo(1.0);
    confidence_.setTo(0.0, hole_);
    confidence_.convertTo(known_, CV_8U);
    initialKnown_ = known_.clone();
    data_ = cv::Mat::zeros(mask_.size(), CV_32F);
    laplacian_ = (cv::Mat_<float>(3, 3) << 1, 1, 1, 1, -8, 1, 1, 1, 1);
    horizontal_ = (cv::Mat_<float>(3, 3) << 0, 0, 0, -1, 0, 1, 0, 0, 0);
    vertical_ = horizontal_.t();
    return holes;
  }

  void CalculateGradients() {
    cv::Mat gx8, gy8;
    ComputeGradients8(image_, gx8, gy8);
    gx8.convertTo(gradX_, CV_32F);
    gy8.convertTo(gradY_, CV_32F);
    gradX_.setTo(0.0, hole_);
    gradY_.setTo(0.0, hole_);
    for (int y = 0; y < gradX_.rows; ++y) {
      float* gx = gradX_.ptr<float>(y);
      float* gy = gradY_.ptr<float>(y);
      for (int x = 0; x < gradX_.cols; ++x) {
        gx[x] *= kInv255;
        gy[x] *= kInv255;
      }
    }
  }

  void ComputeFillFront() {
    cv::Mat lap, nx, ny;
    cv::filter2D(hole_, lap, CV_32F, laplacian_, cv::Point(-1, -1), 0, cv::BORDER_REFLECT_101);
    cv::filter2D(known_, nx, CV_32F, horizontal_, cv::Point(-1, -1), 0, cv::BORDER_REFLECT_101);
    cv::filter2D(known_, ny, CV_32F, vertical_, cv::Point(-1, -1), 0, cv::BORDER_REFLECT_101);
    front_.clear();
    normals_.clear();
    for (int x = 0; x < image_.cols; ++x) {
      for (int y = 0; y < image_.rows; ++y) {
        if (lap.at<float>(y, x) > 1e-6f) {
          front_.emplace_back(x, y);
          normals_.push_back(FrontNormal(nx.at<float>(y, x), ny.at<float>(y, x)));
        }
      }
    }
  }

  void ComputeConfidence() {
    for (const cv::Point& p : front_) {
      const PatchRect r = GetPatch(p.x, p.y, h_, image_.cols, image_.rows);
      double sum = 0;
      for (int y = r.y0; y <= r.y1; ++y) {
        for (int x = r.x0; x <= r.x1; ++x) {
          if (hole_.at<uint8_t>(y, x) == 0) sum += confidence_.at<float>(y, x);
        }
      }
      confidence_.at<float>(p) = static_cast<float>(sum / (static_cast<double>(r.Width()) * r.Height()));
    }
  }

  void ComputeData() {
    for (size_t k = 0; k < front_.size(); ++k) {
      const cv::Point& p = front_[k];
      data_.at<float>(p) = DataTerm(normals_[k], gradX_.at<float>(p), gradY_.at<float>(p));
    }
  }

  void ComputeTarget() {
    target_ = 0;
    float best = 0;
    for (size_t k = 0; k < front_.size(); ++k) {
      const float priority = data_.at<float>(front_[k]) * confidence_.at<float>(front_[k]);
      if (priority > best) {
        best = priority;
        target_ = k;
      }
    }
  }

  bool ComputeBestPatch() {
    const cv::Point p = front_[target_];
    const PatchRect r = GetPatch(p.x, p.y, h_, image_.cols, image_.rows);
    const int W = r.Width();
    const int H = r.Height();
    VLOG(1) << "X0=" << 0 << ", X1=" << (image_.cols - W) << ", Y0=" << 0 << ", Y1=" << (image_.rows - H);
    double bestDistance = std::numeric_limits<double>::max();
    std::vector<cv::Point> candidates;
    for (int cx = 0; cx <= image_.cols - W; ++cx) {
      for (int cy = 0; cy <= image_.rows - H; ++cy) {
        uint64_t sum = 0;
        bool dropped = false;
        for (int j = 0; j < H && !dropped; ++j) {
          for (int i = 0; i < W; ++i) {
            if (initialKnown_.at<uint8_t>(cy + j, cx + i) == 0) {
              dropped = true;
              break;
            }
            if (known_.at<uint8_t>(r.y0 + j, r.x0 + i) == 1) {
              const cv::Vec3b& a = image_.at<cv::Vec3b>(cy + j, cx + i);
              const cv::Vec3b& b = image_.at<cv::Vec3b>(r.y0 + j, r.x0 + i);
              for (int c = 0; c < 3; ++c) {
                const int64_t d = static_cast<int64_t>(a[c]) - b[c];
                sum += static_cast<uint64_t>(d * d);
              }
            }
          }
        }
        if (dropped) continue;
        const double distance = static_cast<double>(sum);
        if (distance < bestDistance) {
          bestDistance = distance;
          candidates.assign(1, cv::Point(cx, cy));
        } else if (distance == bestDistance) {
          candidates.emplace_back(cx, cy);
        }
      }
    }
    if (candidates.empty()) return false;
    cv::Point chosen = candidates.front();
    if (candidates.size() > 1) {
      TargetLayout layout;
      for (int j = 0; j < H; ++j) {
        for (int i = 0; i < W; ++i) {
          (known_.at<uint8_t>(r.y0 + j, r.x0 + i) == 0 ? layout.unknown : layout.known).emplace_back(i, j);
        }
      }
      std::vector<double> measures;
      measures.reserve(candidates.size());
      for (const cv::Point& c : candidates) measures.push_back(CandidateMeasure(image_, c, layout));
      chosen = candidates[PickByMeasure(measures)];
    }
    best_ = cv::Rect(chosen.x, chosen.y, W, H);
    VLOG(1) << "destination: (" << p.x << ", " << p.y << ")"
            << ", best patch: (" << chosen.x << ", " << chosen.y << ")";
    return true;
  }

  void UpdateMats() {
    const cv::Point p = front_[target_];
    const PatchRect r = GetPatch(p.x, p.y, h_, image_.cols, image_.rows);
    const float targetConfidence = confidence_.at<float>(p);
    int count = 0;
    for (int x = r.x0; x <= r.x1; ++x) {
      for (int y = r.y0; y <= r.y1; ++y) {
        if (known_.at<uint8_t>(y, x) != 0) continue;
        const int sx = best_.x + (x - r.x0);
        const int sy = best_.y + (y - r.y0);
        image_.at<cv::Vec3b>(y, x) = image_.at<cv::Vec3b>(sy, sx);
        gradX_.at<float>(y, x) = gradX_.at<float>(sy, sx);
        gradY_.at<float>(y, x) = gradY_.at<float>(sy, sx);
        confidence_.at<float>(y, x) = targetConfidence;
        known_.at<uint8_t>(y, x) = 1;
        hole_.at<uint8_t>(y, x) = 0;
        ++count;
      }
    }
    progress_.IncProgress(count);
  }

  const cv::Mat& src_;
  const cv::Mat& mask_;
  cv::Mat& image_;
  const int h_;
  ExemplarProgress& progress_;
  ExemplarTimes& times_;

  cv::Mat known_, initialKnown_, hole_, gradX_, gradY_, confidence_, data_;
  cv::Mat laplacian_, horizontal_, vertical_;
  std::vector<cv::Point> front_;
  std::vector<cv::Point2f> normals_;
  size_t target_ = 0;
  cv::Rect best_;
};

// ---------------------------------------------------------------------------------------------
// Fast form.

// A few worker threads kept for one inpainting run; Run hands the same job to every worker and to
// the calling thread (worker 0) and returns when all have finished.
class WorkerPool {
 public:
  explicit WorkerPool(int threads) {
    for (int i = 1; i < threads; ++i) {
      try {
        workers_.emplace_back([this, i] { Loop(i); });
      } catch (const std::system_error& e) {
        LOG(WARNING) << "Inpainting continues with " << workers_.size() + 1 << " threads: " << e.what();
        break;
      }
    }
  }

  ~WorkerPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
  }

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int Size() const { return static_cast<int>(workers_.size()) + 1; }

  void Run(const std::function<void(int)>& job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = &job;
      pending_ = static_cast<int>(workers_.size());
      error_ = nullptr;
      ++generation_;
    }
    wake_.notify_all();
    std::exception_ptr ownError;
    try {
      job(0);
    } catch (...) {
      ownError = std::current_exception();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    job_ = nullptr;
    if (ownError) std::rethrow_exception(ownError);
    if (error_) std::rethrow_exception(error_);
  }

 private:
  void Loop(int index) {
    uint64_t seen = 0;
    for (;;) {
      const std::function<void(int)>* job = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
        if (quit_) return;
        seen = generation_;
        job = job_;
      }
      std::exception_ptr error;
      try {
        (*job)(index);
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (error && !error_) error_ = error;
        if (--pending_ == 0) done_.notify_one();
      }
    }
  }

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void(int)>* job_ = nullptr;
  uint64_t generation_ = 0;
  int pending_ = 0;
  bool quit_ = false;
  std::exception_ptr error_;
};

// Sum of squared colour differences between a candidate window and the target's known pixels, given
// up as soon as it exceeds a limit. The target is laid out once per pass; rows of at least 16 bytes
// are compared 16 bytes at a time, masked to the known pixels (sums are exact integers, so the
// grouping does not change them).
class PatchDistance {
 public:
  PatchDistance(const cv::Mat& image, const PatchRect& target, const cv::Mat& known, cv::Point knownOrigin) {
    const int W = target.Width();
    const int H = target.Height();
    const size_t step = image.step[0];
    const int rowBytes = 3 * W;
#if defined(__SSE2__)
    vectorised_ = rowBytes >= 16;
#endif
    struct RowBlocks {
      std::vector<size_t> offsets;
      std::vector<uint8_t> masks, targets;
      int known = 0;
    };
    std::vector<RowBlocks> rows(vectorised_ ? H : 0);
    for (int j = 0; j < H; ++j) {
      const uint8_t* t = image.ptr<uint8_t>(target.y0 + j) + 3 * target.x0;
      const uint8_t* k = known.ptr<uint8_t>(target.y0 + j - knownOrigin.y) + (target.x0 - knownOrigin.x);
      if (!vectorised_) {
        for (int i = 0; i < W; ++i) {
          if (k[i] == 0) continue;
          offsets_.push_back(j * step + 3 * static_cast<size_t>(i));
          values_.insert(values_.end(), {t[3 * i], t[3 * i + 1], t[3 * i + 2]});
        }
        rowEnd_.push_back(offsets_.size());
        continue;
      }
      // Blocks at 0, 16, 32 ... and a last one ending at the row's end, overlapping the one before.
      int covered = 0;
      for (int start = 0; covered < rowBytes; start = std::min(start + 16, rowBytes - 16)) {
        uint8_t mask[16], value[16];
        bool any = false;
        for (int b = 0; b < 16; ++b) {
          const int byte = start + b;
          const bool use = byte >= covered && k[byte / 3] != 0;
          mask[b] = use ? 0xFF : 0;
          value[b] = t[byte];
          any = any || use;
        }
        covered = start + 16;
        if (!any) continue;
        rows[j].offsets.push_back(j * step + start);
        rows[j].masks.insert(rows[j].masks.end(), mask, mask + 16);
        rows[j].targets.insert(rows[j].targets.end(), value, value + 16);
        rows[j].known += static_cast<int>(std::count(mask, mask + 16, 0xFF));
      }
    }
    if (!vectorised_) return;
    // Rows with more known pixels first: they tell candidates apart soonest.
    std::vector<int> order(H);
    for (int j = 0; j < H; ++j) order[j] = j;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rows[a].known > rows[b].known; });
    for (int j : order) {
      offsets_.insert(offsets_.end(), rows[j].offsets.begin(), rows[j].offsets.end());
      masks_.insert(masks_.end(), rows[j].masks.begin(), rows[j].masks.end());
      targets_.insert(targets_.end(), rows[j].targets.begin(), rows[j].targets.end());
      rowEnd_.push_back(offsets_.size());
    }
  }

  // False when the distance exceeds limit; otherwise true with the distance in sum.
  bool Within(const uint8_t* corner, uint64_t limit, uint64_t& sum) const {
    sum = 0;
#if defined(__SSE2__)
    if (vectorised_) {
      const __m128i zero = _mm_setzero_si128();
      size_t block = 0;
      for (size_t rowEnd : rowEnd_) {
        if (block == rowEnd) continue;
        __m128i acc = zero;
        for (; block < rowEnd; ++block) {
          const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(corner + offsets_[block]));
          const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&targets_[16 * block]));
          const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&masks_[16 * block]));
          const __m128i d = _mm_and_si128(_mm_or_si128(_mm_subs_epu8(c, t), _mm_subs_epu8(t, c)), m);
          const __m128i lo = _mm_unpacklo_epi8(d, zero);
          const __m128i hi = _mm_unpackhi_epi8(d, zero);
          acc = _mm_add_epi32(acc, _mm_add_epi32(_mm_madd_epi16(lo, lo), _mm_madd_epi16(hi, hi)));
        }
        acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, _MM_SHUFFLE(1, 0, 3, 2)));
        acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, _MM_SHUFFLE(2, 3, 0, 1)));
        sum += static_cast<uint32_t>(_mm_cvtsi128_si32(acc));
        if (sum > limit) return false;
      }
      return true;
    }
#endif
    for (size_t k = 0; k < offsets_.size(); ++k) {
      const uint8_t* a = corner + offsets_[k];
      const int16_t* b = &values_[3 * k];
      const int d0 = a[0] - b[0], d1 = a[1] - b[1], d2 = a[2] - b[2];
      sum += static_cast<uint64_t>(d0 * d0 + d1 * d1 + d2 * d2);
      if (sum > limit) return false;
    }
    return true;
  }

 private:
  bool vectorised_ = false;
  std::vector<size_t> offsets_;  // per known pixel (scalar) or per 16-byte block (vectorised)
  std::vector<size_t> rowEnd_;
  std::vector<int16_t> values_;
  std::vector<uint8_t> targets_;
  std::vector<uint8_t> masks_;
};

// Same steps and the same bytes as PlainInpainter, with these differences in how they are reached:
// the hole never grows, so the masks, confidence and candidate-overlap test only cover the hole's
// bounding box plus a patch margin (outside it every pixel is known and keeps confidence 1);
// gradients stay 8-bit (the float value is derived on use, exactly as the plain form computes it);
// candidate windows are tested against the original hole in O(1) with an integral image; a
// candidate's distance (PatchDistance) stops as soon as it exceeds the best so far (equal sums still
// complete, so ties are all collected); and the search runs on all cores in column chunks whose
// results are merged in scan order.
class FastInpainter {
 public:
  FastInpainter(const cv::Mat& src, const cv::Mat& mask, cv::Mat& dst, int halfSize, ExemplarProgress& progress,
                ExemplarTimes& times, int threads)
      : src_(src), mask_(mask), image_(dst), h_(halfSize), progress_(progress), times_(times), threads_(threads) {}

  ExemplarResult Run() {
    if (InitializeMats() == 0) return ExemplarResult::Done;
    ComputeGradients8(image_, gradX_, gradY_);
    WorkerPool pool(threads_);
    pool_ = &pool;
    for (;;) {
      {
        PhaseTimer t(times_.computeFillFront);
        ComputeFillFront();
      }
      if (front_.empty()) return ExemplarResult::NoCandidate;
      {
        PhaseTimer t(times_.computeConfidence);
        ComputeConfidence();
      }
      {
        PhaseTimer t(times_.computeData);
        ComputeData();
      }
      if (Stop()) return ExemplarResult::Stopped;
      {
        PhaseTimer t(times_.computeTarget);
        ComputeTarget();
      }
      if (Stop()) return ExemplarResult::Stopped;
      {
        PhaseTimer t(times_.computeBestPatch);
        const SearchOutcome outcome = ComputeBestPatch();
        if (outcome == SearchOutcome::Stopped) return ExemplarResult::Stopped;
        if (outcome == SearchOutcome::Empty) return ExemplarResult::NoCandidate;
      }
      {
        PhaseTimer t(times_.updateMats);
        UpdateMats();
      }
      PhaseTimer t(times_.checkEnd);
      if (remaining_ == 0) return ExemplarResult::Done;
    }
  }

 private:
  enum class SearchOutcome { Found, Empty, Stopped };

  // The stop polls of every pass.
  bool Stop() {
    lastPoll_ = Clock::now();
    return progress_.CheckForStop();
  }

  // Extra polls within a long search, so that a stop is answered quickly on big pictures.
  bool StopDue() {
    if (Clock::now() - lastPoll_ < std::chrono::milliseconds(20)) return false;
    return Stop();
  }

  struct ChunkResult {
    uint64_t best = std::numeric_limits<uint64_t>::max();
    std::vector<cv::Point> ties;
  };

  // Known mask and confidence at picture coordinates inside the region.
  uint8_t& Known(int x, int y) { return known_.at<uint8_t>(y - region_.y, x - region_.x); }
  float& Confidence(int x, int y) { return confidence_.at<float>(y - region_.y, x - region_.x); }

  int InitializeMats() {
    int holes = 0;
    int minX = mask_.cols, minY = mask_.rows, maxX = -1, maxY = -1;
    for (int y = 0; y < mask_.rows; ++y) {
      const uint8_t* m = mask_.ptr<uint8_t>(y);
      for (int x = 0; x < mask_.cols; ++x) {
        if (m[x] > EXEMPLAR_HOLE_THRESHOLD) {
          ++holes;
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
          minY = std::min(minY, y);
          maxY = std::max(maxY, y);
        }
      }
    }
    progress_.SetMaximum(holes);
    src_.copyTo(image_);
    remaining_ = holes;
    if (holes == 0) return 0;
    holeBox_ = cv::Rect(minX, minY, maxX - minX + 1, maxY - minY + 1);
    const int margin = h_ + 1;
    region_ = cv::Rect(holeBox_.x - margin, holeBox_.y - margin, holeBox_.width + 2 * margin,
                       holeBox_.height + 2 * margin) &
              cv::Rect(0, 0, mask_.cols, mask_.rows);
    cv::Mat regionHole;
    cv::threshold(mask_(region_), regionHole, EXEMPLAR_HOLE_THRESHOLD, 1, cv::THRESH_BINARY);
    cv::integral(regionHole, holeIntegral_, CV_32S);
    known_ = 1 - regionHole;
    known_.convertTo(confidence_, CV_32F);
    tileColumns_ = (region_.width + TILE - 1) / TILE;
    tileRows_ = (region_.height + TILE - 1) / TILE;
    tileHoles_.assign(static_cast<size_t>(tileColumns_) * tileRows_, 0);
    tileScan_.assign(tileHoles_.size(), 0);
    for (int y = 0; y < region_.height; ++y) {
      const uint8_t* hole = regionHole.ptr<uint8_t>(y);
      for (int x = 0; x < region_.width; ++x) tileHoles_[(y / TILE) * tileColumns_ + x / TILE] += hole[x];
    }
    return holes;
  }

  // Region tiles that hold a hole pixel, and their neighbours, contain every front pixel: only they
  // are scanned, and the points found are put back in scan order (columns, then rows).
  void ComputeFillFront() {
    std::fill(tileScan_.begin(), tileScan_.end(), 0);
    for (int ty = 0; ty < tileRows_; ++ty) {
      for (int tx = 0; tx < tileColumns_; ++tx) {
        if (tileHoles_[ty * tileColumns_ + tx] == 0) continue;
        for (int ny = std::max(ty - 1, 0); ny <= std::min(ty + 1, tileRows_ - 1); ++ny) {
          for (int nx = std::max(tx - 1, 0); nx <= std::min(tx + 1, tileColumns_ - 1); ++nx) {
            tileScan_[ny * tileColumns_ + nx] = 1;
          }
        }
      }
    }
    const cv::Rect scan = cv::Rect(holeBox_.x - 1, holeBox_.y - 1, holeBox_.width + 2, holeBox_.height + 2) &
                          cv::Rect(0, 0, image_.cols, image_.rows);
    const int cols = image_.cols;
    const int rows = image_.rows;
    auto mx = [cols](int x) { return cv::borderInterpolate(x, cols, cv::BORDER_REFLECT_101); };
    auto my = [rows](int y) { return cv::borderInterpolate(y, rows, cv::BORDER_REFLECT_101); };
    std::vector<std::pair<cv::Point, cv::Point2f>> found;
    for (int ty = 0; ty < tileRows_; ++ty) {
      for (int tx = 0; tx < tileColumns_; ++tx) {
        if (!tileScan_[ty * tileColumns_ + tx]) continue;
        const cv::Rect tile =
            cv::Rect(region_.x + tx * TILE, region_.y + ty * TILE, TILE, TILE) & scan;
        for (int x = tile.x; x < tile.x + tile.width; ++x) {
          const int xl = mx(x - 1), xr = mx(x + 1);
          for (int y = tile.y; y < tile.y + tile.height; ++y) {
            if (Known(x, y) == 0) continue;
            const int yu = my(y - 1), yd = my(y + 1);
            const bool border = Known(xl, yu) == 0 || Known(x, yu) == 0 || Known(xr, yu) == 0 ||
                                Known(xl, y) == 0 || Known(xr, y) == 0 || Known(xl, yd) == 0 || Known(x, yd) == 0 ||
                                Known(xr, yd) == 0;
            if (!border) continue;
            const float nx = static_cast<float>(Known(xr, y)) - static_cast<float>(Known(xl, y));
            const float ny = static_cast<float>(Known(x, yd)) - static_cast<float>(Known(x, yu));
            found.emplace_back(cv::Point(x, y), FrontNormal(nx, ny));
          }
        }
      }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
      return a.first.x != b.first.x ? a.first.x < b.first.x : a.first.y < b.first.y;
    });
    front_.clear();
    normals_.clear();
    for (const auto& point : found) {
      front_.push_back(point.first);
      normals_.push_back(point.second);
    }
  }


  void ComputeConfidence() {
    for (const cv::Point& p : front_) {
      const PatchRect r = GetPatch(p.x, p.y, h_, image_.cols, image_.rows);
      double sum = 0;
      for (int y = r.y0; y <= r.y1; ++y) {
        const uint8_t* k = known_.ptr<uint8_t>(y - region_.y) - region_.x;
        const float* c = confidence_.ptr<float>(y - region_.y) - region_.x;
        for (int x = r.x0; x <= r.x1; ++x) {
          if (k[x] != 0) sum += c[x];
        }
      }
      Confidence(p.x, p.y) = static_cast<float>(sum / (static_cast<double>(r.Width()) * r.Height()));
    }
  }

  void ComputeData() {
    data_.resize(front_.size());
    for (size_t k = 0; k < front_.size(); ++k) {
      const cv::Point& p = front_[k];
      data_[k] = DataTerm(normals_[k], GradientValue(gradX_.at<uint8_t>(p)), GradientValue(gradY_.at<uint8_t>(p)));
    }
  }

  void ComputeTarget() {
    target_ = 0;
    float best = 0;
    for (size_t k = 0; k < front_.size(); ++k) {
      const float priority = data_[k] * Confidence(front_[k].x, front_[k].y);
      if (priority > best) {
        best = priority;
        target_ = k;
      }
    }
  }

  // Original hole pixels inside the window at (cx, cy) of size w x h.
  int HoleCount(int cx, int cy, int w, int h) const {
    const int x0 = std::max(cx, region_.x) - region_.x;
    const int y0 = std::max(cy, region_.y) - region_.y;
    const int x1 = std::min(cx + w, region_.x + region_.width) - region_.x;
    const int y1 = std::min(cy + h, region_.y + region_.height) - region_.y;
    if (x0 >= x1 || y0 >= y1) return 0;
    return holeIntegral_.at<int>(y1, x1) - holeIntegral_.at<int>(y0, x1) - holeIntegral_.at<int>(y1, x0) +
           holeIntegral_.at<int>(y0, x0);
  }

  SearchOutcome ComputeBestPatch() {
    const cv::Point p = front_[target_];
    const PatchRect r = GetPatch(p.x, p.y, h_, image_.cols, image_.rows);
    const int W = r.Width();
    const int H = r.Height();
    const int lastX = image_.cols - W;
    const int lastY = image_.rows - H;
    VLOG(1) << "X0=" << 0 << ", X1=" << lastX << ", Y0=" << 0 << ", Y1=" << lastY;

    const size_t step = image_.step[0];
    TargetLayout layout;
    for (int j = 0; j < H; ++j) {
      for (int i = 0; i < W; ++i) (Known(r.x0 + i, r.y0 + j) == 0 ? layout.unknown : layout.known).emplace_back(i, j);
    }
    const PatchDistance distance(image_, r, known_, region_.tl());

    const int columns = lastX + 1;
    const int chunkColumns = std::max(1, columns / (pool_->Size() * 16));
    const int chunkCount = (columns + chunkColumns - 1) / chunkColumns;
    std::vector<ChunkResult> results(chunkCount);
    std::atomic<int> nextChunk{0};
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> sharedBest{std::numeric_limits<uint64_t>::max()};
    const uint8_t* const pixels = image_.data;
    const cv::Rect box = holeBox_;

    auto searchChunk = [&](int chunk) {
      ChunkResult& result = results[chunk];
      const int xEnd = std::min(columns, (chunk + 1) * chunkColumns);
      for (int cx = chunk * chunkColumns; cx < xEnd; ++cx) {
        const bool columnMeetsHole = cx < box.x + box.width && cx + W > box.x;
        for (int cy = 0; cy <= lastY; ++cy) {
          if (columnMeetsHole && cy < box.y + box.height && cy + H > box.y && HoleCount(cx, cy, W, H) != 0) continue;
          const uint64_t limit = std::min(result.best, sharedBest.load(std::memory_order_relaxed));
          const uint8_t* corner = pixels + cy * step + 3 * static_cast<size_t>(cx);
          uint64_t sum = 0;
          if (!distance.Within(corner, limit, sum)) continue;
          if (sum < result.best) {
            result.best = sum;
            result.ties.assign(1, cv::Point(cx, cy));
            uint64_t seen = sharedBest.load(std::memory_order_relaxed);
            while (sum < seen && !sharedBest.compare_exchange_weak(seen, sum, std::memory_order_relaxed)) {
            }
          } else {
            result.ties.emplace_back(cx, cy);
          }
        }
      }
    };

    pool_->Run([&](int worker) {
      for (;;) {
        if (stop.load(std::memory_order_relaxed)) return;
        const int chunk = nextChunk.fetch_add(1);
        if (chunk >= chunkCount) return;
        searchChunk(chunk);
        // Only the calling thread talks to the progress controller.
        if (worker == 0 && StopDue()) stop = true;
      }
    });
    if (stop) return SearchOutcome::Stopped;

    uint64_t best = std::numeric_limits<uint64_t>::max();
    for (const ChunkResult& result : results) best = std::min(best, result.best);
    std::vector<cv::Point> candidates;
    for (ChunkResult& result : results) {
      if (result.best == best && !result.ties.empty()) {
        candidates.insert(candidates.end(), result.ties.begin(), result.ties.end());
      }
    }
    if (candidates.empty()) return SearchOutcome::Empty;

    cv::Point chosen = candidates.front();
    if (candidates.size() > 1) {
      std::vector<double> measures(candidates.size());
      const size_t blockSize = 256;
      const size_t blockCount = (candidates.size() + blockSize - 1) / blockSize;
      std::atomic<size_t> nextBlock{0};
      auto measureBlocks = [&](int worker) {
        for (;;) {
          if (stop.load(std::memory_order_relaxed)) return;
          const size_t block = nextBlock.fetch_add(1);
          if (block >= blockCount) return;
          const size_t end = std::min(candidates.size(), (block + 1) * blockSize);
          for (size_t k = block * blockSize; k < end; ++k) measures[k] = CandidateMeasure(image_, candidates[k], layout);
          if (worker == 0 && StopDue()) stop = true;
        }
      };
      if (blockCount > 1) {
        pool_->Run(measureBlocks);
      } else {
        measureBlocks(1);
      }
      if (stop) return SearchOutcome::Stopped;
      chosen = candidates[PickByMeasure(measures)];
    }
    best_ = cv::Rect(chosen.x, chosen.y, W, H);
    VLOG(1) << "destination: (" << p.x << ", " << p.y << ")"
            << ", best patch: (" << chosen.x << ", " << chosen.y << ")";
    return SearchOutcome::Found;
  }

  void UpdateMats() {
    const cv::Point p = front_[target_];
    const PatchRect r = GetPatch(p.x, p.y, h_, image_.cols, image_.rows);
    const float targetConfidence = Confidence(p.x, p.y);
    int count = 0;
    for (int x = r.x0; x <= r.x1; ++x) {
      for (int y = r.y0; y <= r.y1; ++y) {
        if (Known(x, y) != 0) continue;
        const int sx = best_.x + (x - r.x0);
        const int sy = best_.y + (y - r.y0);
        image_.at<cv::Vec3b>(y, x) = image_.at<cv::Vec3b>(sy, sx);
        gradX_.at<uint8_t>(y, x) = gradX_.at<uint8_t>(sy, sx);
        gradY_.at<uint8_t>(y, x) = gradY_.at<uint8_t>(sy, sx);
        Confidence(x, y) = targetConfidence;
        Known(x, y) = 1;
        --tileHoles_[((y - region_.y) / TILE) * tileColumns_ + (x - region_.x) / TILE];
        ++count;
      }
    }
    remaining_ -= count;
    progress_.IncProgress(count);
  }

  const cv::Mat& src_;
  const cv::Mat& mask_;
  cv::Mat& image_;
  const int h_;
  ExemplarProgress& progress_;
  ExemplarTimes& times_;
  int threads_;
  WorkerPool* pool_ = nullptr;

  static constexpr int TILE = 32;
  int tileColumns_ = 0;
  int tileRows_ = 0;
  std::vector<int> tileHoles_;     // hole pixels left per region tile
  std::vector<uint8_t> tileScan_;  // tiles to scan for the front in this pass
  cv::Rect holeBox_;  // bounding box of the original hole
  cv::Rect region_;   // holeBox_ grown by the half size plus one, clipped
  cv::Mat known_;     // region-sized: 1 known, 0 hole
  cv::Mat confidence_;
  cv::Mat holeIntegral_;   // integral of the original hole over the region
  cv::Mat gradX_, gradY_;  // picture-sized, 8-bit
  int remaining_ = 0;
  Clock::time_point lastPoll_ = Clock::now();

  std::vector<cv::Point> front_;
  std::vector<cv::Point2f> normals_;
  std::vector<float> data_;
  size_t target_ = 0;
  cv::Rect best_;
};

}  // namespace

double ExemplarLookupSize(double longerSide, double patchSize, double lookupPercent) {
  const double D = longerSide;
  const double E = std::min(0.75 * D, 500.0);
  const double S = 2 * patchSize;
  const double F = lookupPercent;
  const double G = (E - S) / 65;
  if (F < 75) return (F - 10) * G + S;
  // Meets the straight part at 75 with the same slope.
  const double P = (D - E - 25 * G) / 625;
  const double Q = (4375 * G + 150 * E - 150 * D) / 625;
  const double R = (5625 * D - 5000 * E - 187500 * G) / 625;
  return P * F * F + Q * F + R;
}

ExemplarResult RunExemplarInpaint(const cv::Mat& src, const cv::Mat& mask, cv::Mat& dst, int halfSize,
                                  ExemplarProgress& progress, ExemplarMode mode, ExemplarTimes& times, int threads) {
  CV_Assert(src.type() == CV_8UC3 && mask.type() == CV_8UC1 && dst.type() == CV_8UC3);
  CV_Assert(src.size() == mask.size() && src.size() == dst.size() && halfSize >= 1);
  times = ExemplarTimes();
  PhaseTimer total(times.total);
  if (mode == ExemplarMode::Plain) return PlainInpainter(src, mask, dst, halfSize, progress, times).Run();
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return FastInpainter(src, mask, dst, halfSize, progress, times, threads).Run();
}

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
