// Inpainting quality and speed: the framework's effect now, the same effect as it was before its
// patch fill of our own (G'MIC's inpaint_matchpatch after a Telea start, kept in inpaint_before/),
// and OpenCV's Telea inpainting.
//
//   gmic_inpaint sheets [folder] [megapixels] [name]   contact sheets of the mate-backgrounds photos
//                                                      (those whose name holds `name`)
//   gmic_inpaint timing [after]                  median times of the four sizes the effect aims at
//                                                (after: the effect as it is now only)
//
// Built only where G'MIC is installed: apt-get install libgmic-dev, then configure again.
//
// Holes are brush strokes of 1, 5 and 10 % of the picture, once over the most textured part of
// the photo (an object) and once over its plainest part (sky, water). A sheet holds one row per
// hole: original, hole (red), before, after, Telea, each cropped around the hole. The texture ratio
// is the mean absolute Laplacian inside the hole over that in a ring around it (1.0: as textured
// as its surroundings; a smear scores near 0). Needs Debian's mate-backgrounds.
#include "InpaintFill.h"

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "inpaint_before/InpaintBefore.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace Zentor;
using namespace Zentor::Proc;
using namespace Bench;

namespace {

const char* const PHOTOS = "/usr/share/backgrounds/mate";

// The photo scaled to about the given number of pixels, keeping its proportions.
cv::Mat Scaled(const cv::Mat& photo, double pixels) {
  const double f = std::sqrt(pixels / (double(photo.cols) * photo.rows));
  cv::Mat out;
  cv::resize(photo, out, cv::Size(int(std::lround(photo.cols * f)), int(std::lround(photo.rows * f))), 0, 0,
             f < 1 ? cv::INTER_AREA : cv::INTER_CUBIC);
  return out;
}

// Brush strokes (wavy thick lines, a fixed pattern) around (cx, cy) covering about `area` pixels.
cv::Mat StrokeMask(cv::Size size, double area, cv::Point2d centre) {
  auto draw = [&](double s, cv::Mat& m) {
    m = cv::Mat::zeros(size, CV_8UC1);
    const int thickness = std::max(3, int(0.22 * s));
    const double offsets[3][2] = {{0, 0}, {0.25, 0.55}, {-0.3, -0.5}};
    for (int k = 0; k < 3; ++k) {
      std::vector<cv::Point> points;
      for (int i = 0; i <= 24; ++i) {
        const double t = i / 24.0 - 0.5;
        points.emplace_back(int(centre.x + s * (offsets[k][0] + 1.6 * t)),
                            int(centre.y + s * (offsets[k][1] + 0.18 * std::sin(7.0 * t + k))));
      }
      cv::polylines(m, points, false, 255, thickness, cv::LINE_8);
    }
  };
  cv::Mat m;
  double s = std::sqrt(area);
  for (int i = 0; i < 8; ++i) {
    draw(s, m);
    s *= std::sqrt(area / std::max(1, cv::countNonZero(m)));
  }
  draw(s, m);
  return m;
}

// The most and the least textured places of the photo, away from its borders.
void TexturePlaces(const cv::Mat& bgr, cv::Point2d& busiest, cv::Point2d& plainest) {
  cv::Mat grey, lap, energy;
  cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
  cv::Laplacian(grey, lap, CV_32F);
  lap = cv::abs(lap);
  const int k = std::max(3, std::min(bgr.cols, bgr.rows) / 5) | 1;
  cv::blur(lap, energy, cv::Size(k, k));
  const cv::Rect inner(bgr.cols / 4, bgr.rows / 4, bgr.cols / 2, bgr.rows / 2);
  double lo, hi;
  cv::Point pl, ph;
  cv::minMaxLoc(energy(inner), &lo, &hi, &pl, &ph);
  busiest = cv::Point2d(ph.x + inner.x, ph.y + inner.y);
  plainest = cv::Point2d(pl.x + inner.x, pl.y + inner.y);
}

double TextureRatio(const cv::Mat& bgr, const cv::Mat& mask) {
  cv::Mat grey, lap, ring;
  cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
  cv::Laplacian(grey, lap, CV_32F);
  lap = cv::abs(lap);
  cv::dilate(mask, ring, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(41, 41)));
  ring.setTo(0, mask);
  const double inside = cv::mean(lap, mask)[0];
  const double around = cv::mean(lap, ring)[0];
  return around > 0 ? inside / around : 0;
}

cv::Mat Tile(const cv::Mat& image, const cv::Rect& crop, int side, const char* label) {
  cv::Mat part = image(crop), tile;
  const double f = std::min(double(side) / crop.width, double(side) / crop.height);
  cv::resize(part, tile, cv::Size(std::max(1, int(crop.width * f)), std::max(1, int(crop.height * f))), 0, 0,
             f < 1 ? cv::INTER_AREA : cv::INTER_NEAREST);
  cv::Mat framed(side + 20, side, CV_8UC3, cv::Scalar(40, 40, 40));
  tile.copyTo(framed(cv::Rect(0, 20, tile.cols, tile.rows)));
  cv::putText(framed, label, cv::Point(4, 15), cv::FONT_HERSHEY_SIMPLEX, 0.45, cv::Scalar(255, 255, 255), 1);
  return framed;
}

int Sheets(const std::string& folder, double megapixels, const std::string& only) {
  std::filesystem::create_directories(folder + "/rows");
  std::vector<std::string> photos;
  for (const char* sub : {"nature", "abstract", "desktop"}) {
    for (const auto& entry : std::filesystem::directory_iterator(std::string(PHOTOS) + "/" + sub)) {
      const std::string p = entry.path().string();
      const std::string name = entry.path().filename().string();
      if (p.size() > 4 && p.substr(p.size() - 4) == ".jpg" && name.find('_') == std::string::npos &&
          name.find(only) != std::string::npos) photos.push_back(p);
    }
  }
  std::sort(photos.begin(), photos.end());
  if (photos.empty()) {
    std::fprintf(stderr, "No photos under %s (install mate-backgrounds)\n", PHOTOS);
    return 1;
  }
  std::printf("%-18s %-6s %4s  %8s %8s %8s  %6s %6s %6s\n", "photo", "place", "hole", "before", "after", "telea",
              "tx bef", "tx aft", "tx tel");
  double sumBefore = 0, sumAfter = 0;
  for (const std::string& path : photos) {
    const cv::Mat img = Scaled(cv::imread(path, cv::IMREAD_COLOR), megapixels * 1e6);
    cv::Point2d busiest, plainest;
    TexturePlaces(img, busiest, plainest);
    const std::string stem = std::filesystem::path(path).stem().string();
    std::vector<cv::Mat> rows;
    for (int place = 0; place < 2; ++place) {
      for (double share : {0.01, 0.05, 0.10}) {
        const cv::Mat mask = StrokeMask(img.size(), share * img.total(), place ? plainest : busiest);
        double tBefore = 0, tAfter = 0;
        const cv::Mat before = FillByEffect(true, img, mask, tBefore);
        const cv::Mat after = FillByEffect(false, img, mask, tAfter);
        cv::Mat telea;
        const auto start = Clock::now();
        cv::inpaint(img, mask, telea, 3, cv::INPAINT_TELEA);
        const double tTelea = Seconds(start);
        sumBefore += tBefore;
        sumAfter += tAfter;
        std::printf("%-18s %-6s %3.0f%%  %7.3fs %7.3fs %7.3fs  %6.2f %6.2f %6.2f\n", stem.c_str(),
                    place ? "plain" : "object", share * 100, tBefore, tAfter, tTelea, TextureRatio(before, mask),
                    TextureRatio(after, mask), TextureRatio(telea, mask));
        cv::Rect box = cv::boundingRect(mask);
        const int grow = std::max(box.width, box.height) / 5 + 16;
        box = cv::Rect(box.x - grow, box.y - grow, box.width + 2 * grow, box.height + 2 * grow) &
              cv::Rect(0, 0, img.cols, img.rows);
        cv::Mat shown = img.clone();
        shown.setTo(cv::Scalar(0, 0, 255), mask);
        const int side = 400;
        cv::Mat row;
        cv::hconcat(std::vector<cv::Mat>{Tile(img, box, side, "original"), Tile(shown, box, side, "hole"),
                                         Tile(before, box, side, "before"), Tile(after, box, side, "after"),
                                         Tile(telea, box, side, "telea")},
                    row);
        rows.push_back(row);
        const std::string name = stem + "_" + (place ? "plain" : "object") + std::to_string(int(share * 100));
        cv::imwrite(folder + "/rows/" + name + ".png", row);
        cv::Mat pair;  // before and after at full size, for a close look
        cv::hconcat(before(box), after(box), pair);
        cv::imwrite(folder + "/rows/" + name + "_pair.png", pair);
      }
    }
    cv::Mat sheet;
    cv::vconcat(rows, sheet);
    cv::imwrite(folder + "/" + stem + ".png", sheet);
  }
  std::printf("total time: before %.2f s, after %.2f s (%.2fx faster)\n", sumBefore, sumAfter, sumBefore / sumAfter);
  return 0;
}

uint64_t Hash(const cv::Mat& m) {
  uint64_t hash = 1469598103934665603ull;
  for (int y = 0; y < m.rows; ++y) {
    const uint8_t* row = m.ptr<uint8_t>(y);
    for (size_t x = 0; x < m.cols * m.elemSize(); ++x) hash = (hash ^ row[x]) * 1099511628211ull;
  }
  return hash;
}

int Timing(bool afterOnly) {
  struct Case {
    const char* photo;
    double megapixels, share, aim;
  };
  const Case cases[] = {{"nature/Garden.jpg", 1, 0.05, 0.3},
                        {"nature/Garden.jpg", 4, 0.05, 0.7},
                        {"nature/Garden.jpg", 4, 0.10, 1.0},
                        {"abstract/Elephants_5640x3172.jpg", 24, 0.01, 1.5}};
  std::printf("%u hardware threads; median of 3\n", std::thread::hardware_concurrency());
  for (const Case& c : cases) {
    const cv::Mat photo = cv::imread(std::string(PHOTOS) + "/" + c.photo, cv::IMREAD_COLOR);
    if (photo.empty()) {
      std::fprintf(stderr, "Cannot read %s (install mate-backgrounds)\n", c.photo);
      return 1;
    }
    const cv::Mat img = Scaled(photo, c.megapixels * 1e6);
    cv::Point2d busiest, plainest;
    TexturePlaces(img, busiest, plainest);
    const cv::Mat mask = StrokeMask(img.size(), c.share * img.total(), busiest);
    double median[2];
    bool same[2] = {true, true};
    median[1] = 0;
    for (int before = 0; before < (afterOnly ? 1 : 2); ++before) {
      std::vector<double> times;
      uint64_t first = 0;
      for (int run = 0; run < 3; ++run) {
        double t = 0;
        const uint64_t hash = Hash(FillByEffect(before == 1, img, mask, t));
        if (run == 0) first = hash;
        same[before] = same[before] && hash == first;
        times.push_back(t);
      }
      std::sort(times.begin(), times.end());
      median[before] = times[1];
    }
    std::printf("%4.1f MP, hole %4.1f %%: after %.3f s (aim %.1f s), before %.3f s, before/after %.2fx, peak %.0f MiB%s%s\n",
                img.total() / 1e6, 100.0 * cv::countNonZero(mask) / img.total(), median[0], c.aim, median[1],
                median[1] / median[0], PeakKb() / 1024.0, same[0] ? "" : ", after's runs DIFFER",
                same[1] ? "" : ", before's runs differ");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "sheets") {
    return Sheets(argc > 2 ? argv[2] : "inpaint_sheets", argc > 3 ? std::atof(argv[3]) : 1.0, argc > 4 ? argv[4] : "");
  }
  if (mode == "timing") return Timing(argc > 2 && std::string(argv[2]) == "after");
  std::fprintf(stderr, "usage: %s sheets [folder] [megapixels] | timing\n", argv[0]);
  return 2;
}
