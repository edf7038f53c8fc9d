// Exemplar inpainting benchmark: generated textured pictures of 0.25, 0.5 and 1 megapixel with a
// round hole of 1 % of the picture, filled by the plain (step-by-step, whole-picture) form and by
// the fast form; prints time and peak memory of each and checks that both give the same bytes.
//
// Usage: kelvra_inpaint [--fast-only] [--patch N] [--threads N] [megapixels ...]
#include "Proc/Effects/Kelvra/InpaintExemplarCore.h"

#include <glog/logging.h>
#include <opencv2/imgproc.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace Zentor::Proc::OpenCV;

namespace {

class NoProgress : public ExemplarProgress {
 public:
  void SetMaximum(int) override {}
  void IncProgress(int) override {}
  bool CheckForStop() override { return false; }
};

// Resident-set figures of this process in kB, from /proc/self/status.
long ReadStatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t keyLength = std::strlen(key);
  while (std::getline(status, line)) {
    if (line.compare(0, keyLength, key) == 0) return std::strtol(line.c_str() + keyLength + 1, nullptr, 10);
  }
  return -1;
}

// Lets VmHWM start again from the current resident size.
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

// A textured colour picture: smooth colour waves, a few soft blobs and fine noise, all seeded.
cv::Mat MakePicture(int width, int height) {
  cv::Mat picture(height, width, CV_8UC3);
  cv::RNG rng(20261209);
  for (int y = 0; y < height; ++y) {
    cv::Vec3b* row = picture.ptr<cv::Vec3b>(y);
    for (int x = 0; x < width; ++x) {
      const double u = x / 37.0, v = y / 29.0;
      const double b = 120 + 60 * std::sin(u) * std::cos(v * 0.7) + 20 * std::sin((x + y) / 11.0);
      const double g = 110 + 50 * std::cos(u * 0.6 + v) + 25 * std::sin(x / 7.0);
      const double r = 130 + 70 * std::sin(v * 1.3 - u * 0.4) + 15 * std::cos(y / 5.0);
      row[x] = cv::Vec3b(cv::saturate_cast<uchar>(b + rng.uniform(-8, 9)), cv::saturate_cast<uchar>(g + rng.uniform(-8, 9)),
                         cv::saturate_cast<uchar>(r + rng.uniform(-8, 9)));
    }
  }
  for (int i = 0; i < 12; ++i) {
    const cv::Point centre(rng.uniform(0, width), rng.uniform(0, height));
    const int radius = rng.uniform(width / 40 + 2, width / 10 + 3);
    cv::circle(picture, centre, radius, cv::Scalar(rng.uniform(0, 256), rng.uniform(0, 256), rng.uniform(0, 256)),
               cv::FILLED, cv::LINE_AA);
  }
  return picture;
}

// A round hole of about one percent of the picture, a little off centre.
cv::Mat MakeMask(int width, int height) {
  cv::Mat mask = cv::Mat::zeros(height, width, CV_8UC1);
  const int radius = static_cast<int>(std::lround(std::sqrt(0.01 * width * height / CV_PI)));
  cv::circle(mask, cv::Point(width * 3 / 5, height * 2 / 5), radius, cv::Scalar(255), cv::FILLED);
  return mask;
}

struct RunFigures {
  ExemplarTimes times;
  double seconds = 0;
  long peakKb = 0;
  long growthKb = 0;
  ExemplarResult result = ExemplarResult::Done;
};

RunFigures Run(const cv::Mat& picture, const cv::Mat& mask, cv::Mat& out, int halfSize, ExemplarMode mode, int threads) {
  out.create(picture.size(), CV_8UC3);
  out.setTo(0);
  NoProgress progress;
  ResetPeak();
  const long before = ReadStatusKb("VmRSS:");
  const auto start = std::chrono::steady_clock::now();
  RunFigures figures;
  figures.result = RunExemplarInpaint(picture, mask, out, halfSize, progress, mode, figures.times, threads);
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.peakKb = ReadStatusKb("VmHWM:");
  figures.growthKb = figures.peakKb - before;
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  bool fastOnly = false;
  int patch = 9;
  int threads = 0;
  std::vector<double> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--fast-only") {
      fastOnly = true;
    } else if (arg == "--patch" && i + 1 < argc) {
      patch = std::atoi(argv[++i]);
    } else if (arg == "--threads" && i + 1 < argc) {
      threads = std::atoi(argv[++i]);
    } else {
      sizes.push_back(std::atof(arg.c_str()));
    }
  }
  if (sizes.empty()) sizes = {0.25, 0.5, 1.0};

  std::printf("patch %d, hole 1 %%, threads %s\n", patch, threads > 0 ? std::to_string(threads).c_str() : "all");
  std::printf("%-10s %-11s %-6s %10s %12s %12s %9s %s\n", "picture", "size", "form", "time s", "peak RSS MB",
              "growth MB", "speed-up", "bytes");
  bool allSame = true;
  for (double megapixels : sizes) {
    const int width = static_cast<int>(std::lround(std::sqrt(megapixels * 1e6 * 4 / 3)));
    const int height = static_cast<int>(std::lround(megapixels * 1e6 / width));
    const cv::Mat picture = MakePicture(width, height);
    const cv::Mat mask = MakeMask(width, height);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    char label[32];
    std::snprintf(label, sizeof label, "%.2f MP", megapixels);

    cv::Mat fastOut, plainOut;
    const RunFigures fast = Run(picture, mask, fastOut, patch / 2, ExemplarMode::Fast, threads);
    std::printf("%-10s %-11s %-6s %10.3f %12.1f %12.1f %9s %s\n", label, size.c_str(), "fast", fast.seconds,
                fast.peakKb / 1024.0, fast.growthKb / 1024.0, "", fast.result == ExemplarResult::Done ? "" : "(not done)");
    const ExemplarTimes& t = fast.times;
    std::printf("           phases of the fast form, ms: front %.1f, confidence %.1f, data %.1f, target %.1f, "
                "best patch %.1f, update %.1f\n",
                t.computeFillFront / 1e3, t.computeConfidence / 1e3, t.computeData / 1e3, t.computeTarget / 1e3,
                t.computeBestPatch / 1e3, t.updateMats / 1e3);
    std::fflush(stdout);
    if (fastOnly) continue;
    const RunFigures plain = Run(picture, mask, plainOut, patch / 2, ExemplarMode::Plain, threads);
    const bool same = plain.result == fast.result &&
                      cv::norm(plainOut, fastOut, cv::NORM_INF) == 0 && plainOut.size() == fastOut.size();
    allSame = allSame && same;
    char speedUp[32];
    std::snprintf(speedUp, sizeof speedUp, "%.1fx", plain.seconds / fast.seconds);
    std::printf("%-10s %-11s %-6s %10.3f %12.1f %12.1f %9s %s\n", label, size.c_str(), "plain", plain.seconds,
                plain.peakKb / 1024.0, plain.growthKb / 1024.0, speedUp, same ? "identical" : "DIFFERENT");
    std::fflush(stdout);
  }
  if (!allSame) {
    std::printf("FAILED: the fast form changed output bytes\n");
    return 1;
  }
  return 0;
}
