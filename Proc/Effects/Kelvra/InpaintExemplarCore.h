// Exemplar-based inpainting on OpenCV matrices: fills the masked part of a BGR picture patch by
// patch, in priority order along the hole's boundary, with the best-matching patch of the picture's
// originally known area. Two interchangeable forms give the same bytes: a plain one that follows the
// algorithm step by step over the whole picture, and a fast one that confines the per-pass work to the
// hole's neighbourhood and searches candidates on all cores.
#pragma once

#include <opencv2/core.hpp>

#include <cstdint>

namespace Zentor {
namespace Proc {
namespace OpenCV {

// Progress hooks, all called on the thread that runs the inpainting.
class ExemplarProgress {
 public:
  virtual ~ExemplarProgress() = default;
  virtual void SetMaximum(int maximum) = 0;
  virtual void IncProgress(int step) = 0;
  virtual bool CheckForStop() = 0;
};

// Time spent per phase of the last run, in microseconds.
struct ExemplarTimes {
  int64_t total = 0;
  int64_t computeFillFront = 0;
  int64_t computeConfidence = 0;
  int64_t computeData = 0;
  int64_t computeTarget = 0;
  int64_t computeBestPatch = 0;
  int64_t updateMats = 0;
  int64_t checkEnd = 0;
};

enum class ExemplarMode {
  Plain,  // whole-picture maps and filters, single-threaded exhaustive search
  Fast,   // same result, bounded to the hole's neighbourhood, parallel pruned search
};

enum class ExemplarResult {
  Done,         // every hole pixel filled (or there was no hole)
  Stopped,      // a stop request ended the run; the destination holds the fill so far
  NoCandidate,  // no patch window lies wholly in the originally known area
};

// A pixel is a hole pixel when its mask value is above this.
constexpr uint8_t EXEMPLAR_HOLE_THRESHOLD = 10;

// The lookup size of a picture whose longer side is longerSide: patchSize * 2 at 10 %, min(0.75 *
// longerSide, 500) at 75 % and longerSide at 100 %, straight below 75 % and a parabola above.
double ExemplarLookupSize(double longerSide, double patchSize, double lookupPercent);

// src: CV_8UC3 (blue, green, red); mask: CV_8UC1 of the same size; dst: CV_8UC3 of the same size,
// written in its own memory (it starts as a copy of src). halfSize >= 1. threads: 0 for all cores
// (Fast only).
ExemplarResult RunExemplarInpaint(const cv::Mat& src, const cv::Mat& mask, cv::Mat& dst, int halfSize,
                                  ExemplarProgress& progress, ExemplarMode mode, ExemplarTimes& times,
                                  int threads = 0);

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
