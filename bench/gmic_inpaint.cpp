// G'MIC inpainting through the framework's effect, on real photographs with object-shaped holes,
// beside the gmic command-line tool (whole picture) and OpenCV's Telea inpainting.
//
//   gmic_inpaint [photo-for-a] [photo-for-b]
//
// Needs Debian's "gmic" (command-line tool) and "mate-backgrounds" (photos). Each timed run is a
// child process of its own, so that its peak resident memory can be read; the table gives the
// median of three runs.
#include "BenchSupport.h"

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffectInpaint.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Zentor;
using namespace Zentor::Proc;
using namespace Bench;

namespace {

const char* const DEFAULT_PHOTO_A = "/usr/share/backgrounds/mate/nature/Garden.jpg";
const char* const DEFAULT_PHOTO_B = "/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg";

// The photo scaled to about the given number of pixels, keeping its proportions.
cv::Mat Scaled(const cv::Mat& photo, double pixels) {
  const double f = std::sqrt(pixels / (double(photo.cols) * photo.rows));
  cv::Mat out;
  cv::resize(photo, out, cv::Size(int(std::lround(photo.cols * f)), int(std::lround(photo.rows * f))), 0, 0,
             f < 1 ? cv::INTER_AREA : cv::INTER_CUBIC);
  return out;
}

// An object-shaped hole (a standing figure: head, body, two legs, a tilted arm) of about the
// given area, centred at (cx, cy).
cv::Mat ObjectMask(cv::Size size, double area, double cx, double cy) {
  auto draw = [&](double s, cv::Mat& m) {
    m = cv::Mat::zeros(size, CV_8UC1);
    const cv::Point c(static_cast<int>(cx), static_cast<int>(cy));
    cv::ellipse(m, c + cv::Point(0, int(-1.1 * s)), cv::Size(int(0.28 * s), int(0.33 * s)), 0, 0, 360, 255, cv::FILLED);
    cv::ellipse(m, c, cv::Size(int(0.45 * s), int(0.8 * s)), 0, 0, 360, 255, cv::FILLED);
    cv::ellipse(m, c + cv::Point(int(-0.2 * s), int(0.95 * s)), cv::Size(int(0.14 * s), int(0.6 * s)), 8, 0, 360,
                255, cv::FILLED);
    cv::ellipse(m, c + cv::Point(int(0.2 * s), int(0.95 * s)), cv::Size(int(0.14 * s), int(0.6 * s)), -8, 0, 360,
                255, cv::FILLED);
    cv::ellipse(m, c + cv::Point(int(0.55 * s), int(-0.1 * s)), cv::Size(int(0.12 * s), int(0.55 * s)), -35, 0,
                360, 255, cv::FILLED);
  };
  cv::Mat m;
  double s = std::sqrt(area);
  for (int i = 0; i < 6; ++i) {  // a few corrections of the scale give the area within a per cent
    draw(s, m);
    s *= std::sqrt(area / std::max(1, cv::countNonZero(m)));
  }
  draw(s, m);
  return m;
}

// ---- child side: one timed run ----

int RunOurs(const std::string& image, const std::string& mask) {
  cv::Mat bgr = cv::imread(image, cv::IMREAD_COLOR);
  cv::Mat m = cv::imread(mask, cv::IMREAD_GRAYSCALE);
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, bgr.cols, bgr.rows);
  DataVideoPtr maskFrame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, m.cols, m.rows);
  bgr.copyTo(cv::Mat(bgr.rows, bgr.cols, CV_8UC3, frame->GetPicture().data[0], frame->GetPicture().linesize[0]));
  m.copyTo(cv::Mat(m.rows, m.cols, CV_8UC1, maskFrame->GetPicture().data[0], maskFrame->GetPicture().linesize[0]));
  bgr.release();
  m.release();
  TwoInputEffectPtr inpaint =
      Core::CoreManager::Instance().GetEffectFactory()->CreateTwoInputVideo(IEffectInpaint::CLASS_ID, ImplNames::GMIC);
  Core::Property settings(IEffectInpaint::CLASS_ID);
  settings.SetChildT(IEffectInpaint::LOOKUP_SIZE, 15.0);
  inpaint->SetSettings(settings);
  const auto start = std::chrono::steady_clock::now();
  inpaint->Process(frame, maskFrame);
  const double seconds = Seconds(start);
  // A hash of the result, so that the parent can tell whether every run gave the same picture.
  uint64_t hash = 1469598103934665603ull;
  const Picture& p = frame->GetPicture();
  for (uint32_t y = 0; y < frame->GetHeight(); ++y) {
    const uint8_t* row = p.data[0] + size_t(y) * p.linesize[0];
    for (uint32_t x = 0; x < frame->GetWidth() * 3; ++x) hash = (hash ^ row[x]) * 1099511628211ull;
  }
  std::printf("%.3f %llx\n", seconds, static_cast<unsigned long long>(hash));
  return 0;
}

int RunTelea(const std::string& image, const std::string& mask) {
  cv::Mat bgr = cv::imread(image, cv::IMREAD_COLOR);
  cv::Mat m = cv::imread(mask, cv::IMREAD_GRAYSCALE);
  cv::Mat out;
  const auto start = std::chrono::steady_clock::now();
  cv::inpaint(bgr, m, out, 3, cv::INPAINT_TELEA);
  std::printf("%.3f\n", Seconds(start));
  return 0;
}

int RunLoadOnly(const std::string& image, const std::string& mask) {
  cv::Mat bgr = cv::imread(image, cv::IMREAD_COLOR);
  cv::Mat m = cv::imread(mask, cv::IMREAD_GRAYSCALE);
  std::printf("%.3f\n", 0.0);
  return bgr.empty() || m.empty();
}

// ---- parent side ----

struct Sample {
  double seconds = -1;
  long peakKiB = 0;
  std::string output;    // what the child printed
  bool identical = true;  // for a median: every run printed the same after its time
};

// Runs argv as a child; its stdout's first number is its own timing (or the wall time when none).
Sample Spawn(const std::vector<std::string>& args, bool ownTiming) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDERR_FILENO);
    close(pipefd[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipefd[1]);
  std::string out;
  char buffer[256];
  for (ssize_t n; (n = read(pipefd[0], buffer, sizeof buffer)) > 0;) out.append(buffer, size_t(n));
  close(pipefd[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  Sample s;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return s;
  s.seconds = ownTiming ? std::atof(out.c_str()) : Seconds(start);
  s.peakKiB = usage.ru_maxrss;
  s.output = out.substr(std::min(out.size(), out.find(' ')));
  return s;
}

Sample Median3(const std::vector<std::string>& args, bool ownTiming) {
  std::vector<Sample> runs;
  for (int i = 0; i < 3; ++i) runs.push_back(Spawn(args, ownTiming));
  std::sort(runs.begin(), runs.end(), [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
  Sample m = runs[1];
  for (const Sample& s : runs) {
    m.peakKiB = std::max(m.peakKiB, s.peakKiB);
    m.identical = m.identical && s.output == runs[0].output;
  }
  return m;
}

std::string Self() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, size_t(n)) : "gmic_inpaint";
}

void Print(const char* what, const Sample& s, double ours) {
  if (s.seconds < 0) {
    std::printf("  %-34s failed\n", what);
    return;
  }
  std::printf("  %-34s %8.2f s  %7.0f MiB peak", what, s.seconds, s.peakKiB / 1024.0);
  if (ours > 0 && s.seconds > 0) std::printf("   %.3gx our time", s.seconds / ours);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  if (argc == 5 && std::strcmp(argv[1], "--run") == 0) {
    const std::string method = argv[2];
    if (method == "ours") return RunOurs(argv[3], argv[4]);
    if (method == "telea") return RunTelea(argv[3], argv[4]);
    return RunLoadOnly(argv[3], argv[4]);
  }
  const std::string photoA = argc > 1 ? argv[1] : DEFAULT_PHOTO_A;
  const std::string photoB = argc > 2 ? argv[2] : DEFAULT_PHOTO_B;
  const cv::Mat a = cv::imread(photoA, cv::IMREAD_COLOR);
  const cv::Mat b = cv::imread(photoB, cv::IMREAD_COLOR);
  if (a.empty() || b.empty()) {
    std::fprintf(stderr, "Cannot read %s or %s (install mate-backgrounds)\n", photoA.c_str(), photoB.c_str());
    return 1;
  }
  char folder[] = "/tmp/gmic_inpaint_XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string self = Self();
  const bool haveCli = std::system("command -v gmic > /dev/null 2>&1") == 0;

  std::printf("(a) %s: ours (regions) against the gmic tool (whole picture) and OpenCV Telea\n", photoA.c_str());
  struct CaseA {
    double megapixels, holeShare;
  };
  for (const CaseA& c : {CaseA{1, 0.05}, CaseA{4, 0.10}}) {
    const cv::Mat img = Scaled(a, c.megapixels * 1e6);
    const cv::Mat mask = ObjectMask(img.size(), c.holeShare * img.total(), img.cols * 0.55, img.rows * 0.5);
    const std::string stem = std::string(folder) + "/a" + std::to_string(int(c.megapixels));
    cv::imwrite(stem + ".png", img);
    cv::imwrite(stem + "_mask.png", mask);
    std::printf(" %dx%d (%.1f MP), hole %d pixels (%.1f %%)\n", img.cols, img.rows, img.total() / 1e6,
                cv::countNonZero(mask), 100.0 * cv::countNonZero(mask) / img.total());
    const Sample base = Median3({self, "--run", "load", stem + ".png", stem + "_mask.png"}, true);
    const Sample ours = Median3({self, "--run", "ours", stem + ".png", stem + "_mask.png"}, true);
    Print("framework effect (GMIC)", ours, 0);
    std::printf("  (the three runs gave %s pictures)\n", ours.identical ? "identical" : "DIFFERENT");
    if (haveCli) {
      const Sample cli = Median3({"gmic", "-v", "-1", stem + ".png", stem + "_mask.png", "inpaint_matchpatch[0]", "[1]",
                                  "output[0]", stem + "_cli.png"},
                                 false);
      Print("gmic tool, whole picture (+ I/O)", cli, ours.seconds);
    } else {
      std::printf("  gmic tool not installed\n");
    }
    Print("OpenCV Telea", Median3({self, "--run", "telea", stem + ".png", stem + "_mask.png"}, true), ours.seconds);
    std::printf("  (loading the files alone peaks at %.0f MiB)\n", base.peakKiB / 1024.0);
  }

  std::printf("(b) %s: one hole of about 50,000 pixels as the picture grows\n", photoB.c_str());
  double first = 0;
  for (double mp : {1.0, 4.0, 12.0, 24.0}) {
    const cv::Mat img = Scaled(b, mp * 1e6);
    const cv::Mat mask = ObjectMask(img.size(), 50000, img.cols * 0.3, img.rows * 0.55);
    const std::string stem = std::string(folder) + "/b" + std::to_string(int(mp));
    cv::imwrite(stem + ".png", img);
    cv::imwrite(stem + "_mask.png", mask);
    const Sample ours = Median3({self, "--run", "ours", stem + ".png", stem + "_mask.png"}, true);
    const Sample base = Median3({self, "--run", "load", stem + ".png", stem + "_mask.png"}, true);
    if (first <= 0) first = ours.seconds;
    std::printf("  %5.1f MP (%dx%d), hole %6d px: %6.2f s (%.2fx the 1 MP time), peak %5.0f MiB (files alone %5.0f)%s\n",
                img.total() / 1e6, img.cols, img.rows, cv::countNonZero(mask), ours.seconds,
                first > 0 ? ours.seconds / first : 0.0, ours.peakKiB / 1024.0, base.peakKiB / 1024.0,
                ours.identical ? "" : ", runs DIFFER");
  }
  std::string clean = std::string("rm -rf ") + folder;
  return std::system(clean.c_str()) == 0 ? 0 : 1;
}
