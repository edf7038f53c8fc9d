// Inpainting quality on photos from several Debian photo packages: the framework's fill now beside
// OpenCV's Telea (the reference), the fill as it was before the patch fill of our own
// (inpaint_before/) and G'MIC's inpaint_matchpatch on its own.
//
//   inpaint_quality [--half tuning|reporting|all] [--out folder] [--megapixels 1] [--no-peers]
//                   [--only name] [--overview] [--sheets]
//
// Needs: apt-get install mate-backgrounds lomiri-wallpapers-16.04 lomiri-wallpapers-20.04
//        plasma-workspace-wallpapers python3-skimage (photos missing on the machine are skipped).
//        ukui-wallpapers and some of the others are drawings and renders: listed, so that the
//        halves stay, but not used.
//
// The photos of each set are ordered by a hash of their name and dealt alternately into a tuning
// and a reporting half; tune on the one, report on the other (the default).
//
// Ground-truth holes are cut where the picture is known, found on a colour segmentation of the
// photo: in one surface, inside one surface touching a second along part of their border, and
// straddling the edge between two. Scores per hole: mean CIE76 colour difference to the original
// after a Gaussian blur of sigma 2 px, the share of hole pixels off by more than 15, and texture
// kept (mean gradient magnitude of the fill inside the hole over the original's there).
// Object holes are the photo's small distinct segments, brushed over with a margin; each goes to a
// contact sheet (original with the hole outlined, now, before, Telea, G'MIC) to be judged by eye.
// --sheets writes one for every ground-truth hole too.
#include "InpaintFill.h"

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "inpaint_before/InpaintBefore.h"

#include <gmic.h>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace Zentor;
using namespace Zentor::Proc;
using namespace Bench;

namespace {

struct Photo {
  std::string set;
  std::string path;
  bool drawing = false;  // dealt into a half like the others, so the halves stay, but not used
  std::string file{};    // the photo's file name, or its folder's where all files of a set share names
};

// The photo's name without its extension: its label, and the seed of its holes.
std::string Stem(const Photo& photo) { return std::filesystem::path(photo.file).stem().string(); }

const char* const MATE = "/usr/share/backgrounds/mate/";
const char* const BACKGROUNDS = "/usr/share/backgrounds/";
const char* const SKIMAGE = "/usr/lib/python3/dist-packages/skimage/data/";
const char* const PLASMA = "/usr/share/wallpapers/";

bool Drawing(const std::string& path) {
  for (const char* name : {"Elephants", "calla", "goldfish", "the-mouse", "2004default", "firstgeneration", "string",
                           "rhythm", "umang_", "Fossa_", "Infinite-Sea_", "free_by", "greentock_"}) {
    if (path.find(name) != std::string::npos) return true;
  }
  return false;
}

// The packages' pictures; drawings and renders among them are marked.
std::vector<Photo> PhotoList() {
  std::vector<Photo> all;
  for (const char* name : {"nature/Aqua.jpg", "nature/Blinds.jpg", "nature/Dune.jpg", "nature/FreshFlower.jpg",
                           "nature/Garden.jpg", "nature/GreenMeadow.jpg", "nature/LadyBird.jpg", "nature/RainDrops.jpg",
                           "nature/Storm.jpg", "nature/TwoWings.jpg", "nature/Wood.jpg", "nature/YellowFlower.jpg",
                           "abstract/Elephants.jpg"}) {
    all.push_back({"mate", std::string(MATE) + name});
  }
  for (const char* name : {"calla.png", "goldfish.png", "the-mouse.jpg", "2004default.jpg", "firstgeneration.jpg",
                           "string.jpg", "rhythm.jpg"}) {
    all.push_back({"ukui", std::string(BACKGROUNDS) + name});
  }
  for (const char* name : {"Bridge_by_Sander_Klootwijk.jpg", "Dragonfly_by_Bolly.jpg", "Wine_by_Jakkub_Mede.jpg",
                           "aitzgorri_by_Aitzol_Berasategi.jpg", "friends_by_Aitzol_Berasategi.jpg",
                           "life_by_Aitzol_Berasategi.jpg", "picosdeeuropa_by_Aitzol_Berasategi.jpg",
                           "seeding_by_Clements_Engelhardt.jpg", "sunset_by_Aitzol_Berasategi.jpg",
                           "umang_by_Abhishek_Mudgal.jpg", "Fossa_by_Jasper_Roks.jpg", "Kleiber_by_Lukas_Baubkus.jpg",
                           "Infinite-Sea_by_Aury88.jpg", "free_by_Peter_Nerlich.jpg", "greentock_by_Peter_Nerlich.jpg"}) {
    all.push_back({"lomiri", std::string(BACKGROUNDS) + name});
  }
  for (const char* name : {"astronaut.png", "chelsea.png", "coffee.png", "rocket.jpg", "motorcycle_left.png"}) {
    all.push_back({"skimage", std::string(SKIMAGE) + name});
  }
  // The photographs among the set's pictures (the others are renders), each in a folder of its own.
  for (const char* name : {"BytheWater", "ColdRipple", "ColorfulCups", "DarkestHour", "EveningGlow", "FallenLeaf",
                           "Grey", "Kite", "OneStandsOut", "Path", "summer_1am"}) {
    all.push_back({"plasma", std::string(PLASMA) + name + "/contents/images/2560x1600.jpg", false,
                   std::string(name) + ".jpg"});
  }
  std::vector<Photo> present;
  for (const Photo& p : all) {
    const std::string file = p.file.empty() ? std::filesystem::path(p.path).filename().string() : p.file;
    if (std::filesystem::exists(p.path)) present.push_back({p.set, p.path, Drawing(p.path), file});
  }
  return present;
}

uint64_t NameHash(const std::string& s) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

// Within each set, photos ordered by the hash of their file name go alternately to the tuning (0)
// and the reporting (1) half.
std::map<std::string, int> Halves(const std::vector<Photo>& photos) {
  std::map<std::string, std::vector<std::pair<uint64_t, std::string>>> bySet;
  for (const Photo& p : photos) {
    bySet[p.set].push_back({NameHash(p.file), p.path});
  }
  std::map<std::string, int> half;
  for (auto& [set, list] : bySet) {
    std::sort(list.begin(), list.end());
    for (size_t i = 0; i < list.size(); ++i) half[list[i].second] = static_cast<int>(i % 2);
  }
  return half;
}

cv::Mat Scaled(const cv::Mat& photo, double pixels) {
  const double f = std::sqrt(pixels / (double(photo.cols) * photo.rows));
  if (f >= 1.0) return photo.clone();  // enlarged, a photo would be smoother than photos are
  cv::Mat out;
  cv::resize(photo, out, cv::Size(int(std::lround(photo.cols * f)), int(std::lround(photo.rows * f))), 0, 0,
             cv::INTER_AREA);
  return out;
}

// Surfaces: k-means on the blurred Lab colours of a small copy, cleaned by median filters, at the
// photo's size.
cv::Mat Segments(const cv::Mat& bgr) {
  const double f = std::min(1.0, 480.0 / std::max(bgr.cols, bgr.rows));
  cv::Mat small, lab;
  cv::resize(bgr, small, cv::Size(), f, f, cv::INTER_AREA);
  cv::GaussianBlur(small, small, cv::Size(0, 0), 2.5);
  small.convertTo(lab, CV_32F, 1.0 / 255);
  cv::cvtColor(lab, lab, cv::COLOR_BGR2Lab);
  cv::Mat samples = lab.reshape(1, int(lab.total()));
  cv::Mat labels, centres;
  cv::theRNG().state = 12345;
  cv::kmeans(samples, 6, labels, cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 30, 0.1), 1,
             cv::KMEANS_PP_CENTERS, centres);
  cv::Mat map8;
  labels.reshape(1, small.rows).convertTo(map8, CV_8U);
  cv::medianBlur(map8, map8, 5);
  cv::medianBlur(map8, map8, 5);
  cv::Mat full;
  cv::resize(map8, full, bgr.size(), 0, 0, cv::INTER_NEAREST);
  return full;
}

enum HoleClass { ONE = 0, TOUCH = 1, STRADDLE = 2, OBJECT = 3 };
const char* const CLASS_NAMES[] = {"one", "touch", "straddle", "object"};

struct Hole {
  HoleClass kind;
  cv::Mat mask;
};

// Label shares of the mask's pixels, largest first.
std::vector<double> Shares(const cv::Mat& labels, const cv::Mat& mask, const cv::Rect& box) {
  int counts[256] = {0};
  int total = 0;
  for (int y = box.y; y < box.y + box.height; ++y) {
    const uint8_t* m = mask.ptr<uint8_t>(y);
    const uint8_t* l = labels.ptr<uint8_t>(y);
    for (int x = box.x; x < box.x + box.width; ++x) {
      if (!m[x]) continue;
      ++counts[l[x]];
      ++total;
    }
  }
  std::vector<double> s;
  for (int c : counts) {
    if (c) s.push_back(double(c) / std::max(1, total));
  }
  std::sort(s.rbegin(), s.rend());
  s.resize(std::max<size_t>(s.size(), 2), 0.0);
  return s;
}

// Two holes of each ground-truth class, where found: ellipses of 0.5, 1 or 2 % of the photo.
std::vector<Hole> GroundTruthHoles(const cv::Mat& labels, uint64_t seed) {
  const int w = labels.cols, h = labels.rows;
  cv::Mat edges(labels.size(), CV_8U, cv::Scalar(255));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t l = labels.at<uint8_t>(y, x);
      if ((x + 1 < w && labels.at<uint8_t>(y, x + 1) != l) || (y + 1 < h && labels.at<uint8_t>(y + 1, x) != l)) {
        edges.at<uint8_t>(y, x) = 0;
      }
    }
  }
  cv::Mat dist;
  cv::distanceTransform(edges, dist, cv::DIST_L2, 5);
  cv::Mat gx, gy;
  cv::Sobel(dist, gx, CV_32F, 1, 0);
  cv::Sobel(dist, gy, CV_32F, 0, 1);

  std::mt19937_64 random(seed);
  const double shares[] = {0.005, 0.01, 0.02};
  std::vector<Hole> holes;
  int made = 0;
  for (int kind = ONE; kind <= STRADDLE; ++kind) {
    for (int n = 0; n < 2; ++n, ++made) {
      const double area = shares[made % 3] * w * h;
      const double a = std::sqrt(area / (CV_PI * 0.45)), b = 0.45 * a;
      std::vector<cv::Point> candidates;
      const int margin = int(a) + 12;
      for (int y = margin; y < h - margin; y += 3) {
        for (int x = margin; x < w - margin; x += 3) {
          const float d = dist.at<float>(y, x);
          if ((kind == ONE && d > a + 8) || (kind == TOUCH && d > b + 1 && d < b + 4) ||
              (kind == STRADDLE && d < 1.5f)) {
            candidates.emplace_back(x, y);
          }
        }
      }
      if (candidates.empty()) continue;
      for (int attempt = 0; attempt < 300; ++attempt) {
        const cv::Point c = candidates[random() % candidates.size()];
        double angle = double(random() % 180);
        const float nx = gx.at<float>(c), ny = gy.at<float>(c);
        if (kind == TOUCH && (nx != 0 || ny != 0)) angle = std::atan2(ny, nx) * 180 / CV_PI + 90;  // along the edge
        cv::Mat mask = cv::Mat::zeros(labels.size(), CV_8U);
        cv::ellipse(mask, c, cv::Size(int(a), int(b)), angle, 0, 360, 255, cv::FILLED);
        cv::Mat ring;
        cv::dilate(mask, ring, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(13, 13)));
        ring.setTo(0, mask);
        const cv::Rect box = cv::boundingRect(ring);
        const std::vector<double> inside = Shares(labels, mask, box), around = Shares(labels, ring, box);
        bool ok = false;
        if (kind == ONE) ok = inside[0] > 0.99 && around[0] > 0.98;
        if (kind == TOUCH) ok = inside[0] > 0.97 && 1 - around[0] > 0.05 && 1 - around[0] < 0.5;
        if (kind == STRADDLE) ok = inside[1] > 0.25;
        if (!ok) continue;
        holes.push_back({HoleClass(kind), mask});
        break;
      }
    }
  }
  return holes;
}

// The small distinct surface nearest to 1 % of the photo, away from its border, brushed over with
// a margin; else none.
std::vector<Hole> ObjectHole(const cv::Mat& labels) {
  const double total = double(labels.total());
  cv::Mat best;
  double bestScore = 1e9;
  for (int k = 0; k < 6; ++k) {
    cv::Mat part = labels == k, comp, stats, centres;
    const int n = cv::connectedComponentsWithStats(part, comp, stats, centres, 8, CV_32S);
    for (int i = 1; i < n; ++i) {
      const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
      const int bw = stats.at<int>(i, cv::CC_STAT_WIDTH), bh = stats.at<int>(i, cv::CC_STAT_HEIGHT);
      const double share = stats.at<int>(i, cv::CC_STAT_AREA) / total;
      if (share < 0.002 || share > 0.04 || x < 16 || y < 16 || x + bw > labels.cols - 16 || y + bh > labels.rows - 16) {
        continue;
      }
      const double score = std::abs(std::log(share / 0.01));
      if (score < bestScore) {
        bestScore = score;
        best = comp == i;
      }
    }
  }
  if (best.empty()) return {};
  cv::dilate(best, best, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(15, 15)));
  return {{OBJECT, best}};
}

// G'MIC's inpaint_matchpatch on its own (its own start), on the hole's neighbourhood.
cv::Mat FillByGmic(const cv::Mat& bgr, const cv::Mat& mask) {
  cv::Rect box = cv::boundingRect(mask);
  const int grow = std::max(64, int(std::sqrt(double(box.area()))));
  box = cv::Rect(box.x - grow, box.y - grow, box.width + 2 * grow, box.height + 2 * grow) &
        cv::Rect(0, 0, bgr.cols, bgr.rows);
  const int w = box.width, h = box.height;
  gmic_list<float> images;
  gmic_list<char> names;
  images.assign(2);
  images[0].assign(unsigned(w), unsigned(h), 1, 3);
  images[1].assign(unsigned(w), unsigned(h), 1, 1);
  const size_t plane = size_t(w) * h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const cv::Vec3b p = bgr.at<cv::Vec3b>(box.y + y, box.x + x);
      for (int c = 0; c < 3; ++c) images[0]._data[c * plane + size_t(y) * w + x] = p[2 - c];
      images[1]._data[size_t(y) * w + x] = mask.at<uint8_t>(box.y + y, box.x + x) ? 1.f : 0.f;
    }
  }
  gmic interpreter;
  interpreter.run("v - srand 1234 inpaint_matchpatch[0] [1],0,9,10,5,1,0", images, names);
  cv::Mat out = bgr.clone();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (!mask.at<uint8_t>(box.y + y, box.x + x)) continue;
      cv::Vec3b& p = out.at<cv::Vec3b>(box.y + y, box.x + x);
      for (int c = 0; c < 3; ++c) {
        p[2 - c] = cv::saturate_cast<uint8_t>(images[0]._data[c * plane + size_t(y) * w + x]);
      }
    }
  }
  return out;
}

struct Score {
  double error = 0;    // mean CIE76 difference after the blur
  double off15 = 0;    // share of hole pixels off by more than 15
  double texture = 0;  // gradient magnitude in the hole, fill over original
};

Score Measure(const cv::Mat& original, const cv::Mat& fill, const cv::Mat& mask) {
  cv::Rect box = cv::boundingRect(mask);
  box = cv::Rect(box.x - 12, box.y - 12, box.width + 24, box.height + 24) & cv::Rect(0, 0, mask.cols, mask.rows);
  auto lab = [&](const cv::Mat& bgr) {
    cv::Mat f;
    bgr(box).convertTo(f, CV_32F, 1.0 / 255);
    cv::GaussianBlur(f, f, cv::Size(0, 0), 2.0);
    cv::cvtColor(f, f, cv::COLOR_BGR2Lab);
    return f;
  };
  auto gradient = [&](const cv::Mat& bgr) {
    cv::Mat g, dx, dy, m;
    cv::cvtColor(bgr(box), g, cv::COLOR_BGR2GRAY);
    cv::Sobel(g, dx, CV_32F, 1, 0);
    cv::Sobel(g, dy, CV_32F, 0, 1);
    cv::magnitude(dx, dy, m);
    return m;
  };
  const cv::Mat a = lab(original), b = lab(fill), m = mask(box);
  Score s;
  int n = 0, off = 0;
  double sum = 0;
  for (int y = 0; y < m.rows; ++y) {
    for (int x = 0; x < m.cols; ++x) {
      if (!m.at<uint8_t>(y, x)) continue;
      const cv::Vec3f d = a.at<cv::Vec3f>(y, x) - b.at<cv::Vec3f>(y, x);
      const double e = std::sqrt(d.dot(d));
      sum += e;
      off += e > 15;
      ++n;
    }
  }
  s.error = sum / std::max(1, n);
  s.off15 = double(off) / std::max(1, n);
  const double go = cv::mean(gradient(original), m)[0], gf = cv::mean(gradient(fill), m)[0];
  s.texture = go > 0 ? gf / go : 1.0;
  return s;
}

cv::Mat Tile(const cv::Mat& image, const cv::Rect& crop, int side, const std::string& label) {
  cv::Mat tile;
  const double f = std::min(double(side) / crop.width, double(side) / crop.height);
  cv::resize(image(crop), tile, cv::Size(std::max(1, int(crop.width * f)), std::max(1, int(crop.height * f))), 0, 0,
             f < 1 ? cv::INTER_AREA : cv::INTER_NEAREST);
  cv::Mat framed(side + 20, side, CV_8UC3, cv::Scalar(40, 40, 40));
  tile.copyTo(framed(cv::Rect(0, 20, tile.cols, tile.rows)));
  cv::putText(framed, label, cv::Point(4, 15), cv::FONT_HERSHEY_SIMPLEX, 0.45, cv::Scalar(255, 255, 255), 1);
  return framed;
}

void WriteSheet(const std::string& file, const cv::Mat& original, const cv::Mat& mask,
                const std::vector<std::pair<std::string, cv::Mat>>& fills) {
  cv::Rect box = cv::boundingRect(mask);
  const int grow = std::max(box.width, box.height) / 4 + 16;
  box = cv::Rect(box.x - grow, box.y - grow, box.width + 2 * grow, box.height + 2 * grow) &
        cv::Rect(0, 0, mask.cols, mask.rows);
  cv::Mat outlined = original.clone();
  std::vector<std::vector<cv::Point>> contours;
  cv::findContours(mask.clone(), contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
  cv::drawContours(outlined, contours, -1, cv::Scalar(0, 0, 255), std::max(1, box.width / 300));
  std::vector<cv::Mat> tiles{Tile(outlined, box, 360, "original, hole outlined")};
  for (const auto& [name, fill] : fills) tiles.push_back(Tile(fill, box, 360, name));
  cv::Mat row;
  cv::hconcat(tiles, row);
  cv::imwrite(file, row);
}

struct Result {
  std::string photo;
  HoleClass kind;
  double share;
  Score now, telea, before;
  bool hasBefore = false;
};

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

double Worst(const std::vector<double>& v, bool highest) {
  if (v.empty()) return 0;
  return highest ? *std::max_element(v.begin(), v.end()) : *std::min_element(v.begin(), v.end());
}

// Colour error over Telea's; a hole whose error is below 4 counts as passing either way.
double Ratio(const Result& r) { return r.telea.error > 0 ? r.now.error / r.telea.error : 1.0; }

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::string halfName = "reporting", out = "inpaint_quality", only;
  double megapixels = 1.0;
  bool peers = true, overview = false, allSheets = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--half" && i + 1 < argc) halfName = argv[++i];
    else if (a == "--out" && i + 1 < argc) out = argv[++i];
    else if (a == "--megapixels" && i + 1 < argc) megapixels = std::atof(argv[++i]);
    else if (a == "--only" && i + 1 < argc) only = argv[++i];
    else if (a == "--no-peers") peers = false;
    else if (a == "--overview") overview = true;
    else if (a == "--sheets") allSheets = true;
    else {
      std::fprintf(stderr, "usage: %s [--half tuning|reporting|all] [--out folder] [--megapixels 1] [--no-peers] "
                           "[--only name] [--overview] [--sheets]\n", argv[0]);
      return 2;
    }
  }
  const int wanted = halfName == "tuning" ? 0 : halfName == "reporting" ? 1 : -1;
  const std::vector<Photo> photos = PhotoList();
  const std::map<std::string, int> half = Halves(photos);
  std::filesystem::create_directories(out);
  if (overview) {
    // Every photo small, with its set, half and name: to see that all are photographs.
    std::vector<cv::Mat> rows, row;
    for (const Photo& photo : photos) {
      if (photo.drawing) continue;
      const cv::Mat img = cv::imread(photo.path, cv::IMREAD_COLOR);
      const std::string label = photo.set + (half.at(photo.path) ? " R " : " T ") +
                                Stem(photo).substr(0, 18);
      row.push_back(Tile(img, cv::Rect(0, 0, img.cols, img.rows), 240, label));
      if (row.size() == 6) {
        rows.emplace_back();
        cv::hconcat(row, rows.back());
        row.clear();
      }
    }
    // The last row is padded to the sheet's width.
    if (!row.empty()) {
      while (row.size() < 6) row.push_back(cv::Mat(260, 240, CV_8UC3, cv::Scalar(40, 40, 40)));
      rows.emplace_back();
      cv::hconcat(row, rows.back());
    }
    cv::Mat sheet;
    cv::vconcat(rows, sheet);
    cv::imwrite(out + "/photos.png", sheet);
    return 0;
  }

  std::vector<Result> results;
  std::map<std::string, int> photosPerSet;
  int objectHoles = 0;
  double timeNow = 0, timeBefore = 0;
  std::printf("%-8s %-34s %-8s %5s  %6s %6s %6s %6s  %5s %5s  %5s %5s %5s\n", "set", "photo", "class", "hole%", "dE now",
              "telea", "before", "ratio", ">15now", ">15te", "txnow", "txte", "txbef");
  for (const Photo& photo : photos) {
    if (photo.drawing || (wanted >= 0 && half.at(photo.path) != wanted)) continue;
    const std::string stem = Stem(photo);
    if (!only.empty() && stem.find(only) == std::string::npos) continue;
    const cv::Mat read = cv::imread(photo.path, cv::IMREAD_COLOR);
    if (read.empty()) continue;
    const cv::Mat img = Scaled(read, megapixels * 1e6);
    const cv::Mat labels = Segments(img);
    ++photosPerSet[photo.set];
    std::vector<Hole> holes = GroundTruthHoles(labels, NameHash(stem));
    for (Hole& h : ObjectHole(labels)) holes.push_back(std::move(h));
    for (size_t k = 0; k < holes.size(); ++k) {
      const Hole& hole = holes[k];
      double t = 0, tb = 0;
      const cv::Mat now = FillByEffect(false, img, hole.mask, t);
      timeNow += t;
      cv::Mat telea;
      cv::inpaint(img, hole.mask, telea, 3, cv::INPAINT_TELEA);
      cv::Mat before;
      if (peers) {
        before = FillByEffect(true, img, hole.mask, tb);
        timeBefore += tb;
      }
      const std::string tag = photo.set + "_" + stem + "_" + CLASS_NAMES[hole.kind] + std::to_string(k);
      if (hole.kind == OBJECT) {
        ++objectHoles;
        if (peers) {
          WriteSheet(out + "/" + tag + ".png", img, hole.mask,
                     {{"now", now}, {"before", before}, {"telea", telea}, {"gmic matchpatch", FillByGmic(img, hole.mask)}});
        } else {
          WriteSheet(out + "/" + tag + ".png", img, hole.mask, {{"now", now}, {"telea", telea}});
        }
        continue;
      }
      Result r{stem, hole.kind, double(cv::countNonZero(hole.mask)) / img.total(), Measure(img, now, hole.mask),
               Measure(img, telea, hole.mask), {}, peers};
      if (peers) r.before = Measure(img, before, hole.mask);
      results.push_back(r);
      std::printf("%-8s %-34.34s %-8s %5.2f  %6.2f %6.2f %6.2f %6.2f  %5.3f %5.3f  %5.2f %5.2f %5.2f\n", photo.set.c_str(),
                  stem.c_str(), CLASS_NAMES[hole.kind], 100 * r.share, r.now.error, r.telea.error,
                  peers ? r.before.error : 0.0, Ratio(r), r.now.off15, r.telea.off15, r.now.texture, r.telea.texture,
                  peers ? r.before.texture : 0.0);
      if (allSheets || (Ratio(r) > 1.0 && r.now.error >= 4)) {
        WriteSheet(out + (Ratio(r) > 1.0 && r.now.error >= 4 ? "/worse_" : "/") + tag + ".png", img, hole.mask,
                   peers ? std::vector<std::pair<std::string, cv::Mat>>{{"now", now}, {"before", before}, {"telea", telea}}
                         : std::vector<std::pair<std::string, cv::Mat>>{{"now", now}, {"telea", telea}});
      }
    }
  }

  int photoCount = 0;
  std::printf("\nhalf: %s; photos:", halfName.c_str());
  for (const auto& [set, n] : photosPerSet) {
    std::printf(" %s %d", set.c_str(), n);
    photoCount += n;
  }
  std::printf(" (%d); ground-truth holes %zu, object holes %d (sheets in %s/)\n", photoCount, results.size(), objectHoles,
              out.c_str());
  std::printf("fill time: now %.2f s%s\n", timeNow,
              peers ? (", before " + std::to_string(timeBefore) + " s").c_str() : "");

  // Per class and for the classes with a second surface together.
  struct Group {
    const char* name;
    std::vector<HoleClass> kinds;
  };
  const Group groups[] = {{"one", {ONE}}, {"touch", {TOUCH}}, {"straddle", {STRADDLE}},
                          {"touch+straddle", {TOUCH, STRADDLE}}, {"all", {ONE, TOUCH, STRADDLE}}};
  std::printf("\n%-15s %4s  %-22s %-22s %-22s %-17s %-17s\n", "class", "n", "dE/telea med/worst",
              "before/telea med/worst", "texture now med/min", "tex telea/before", ">15 med now/telea");
  std::map<std::string, std::vector<const Result*>> byGroup;
  for (const Group& g : groups) {
    std::vector<double> ratio, ratioBefore, tex, texTelea, texBefore, off, offTelea;
    for (const Result& r : results) {
      if (std::find(g.kinds.begin(), g.kinds.end(), r.kind) == g.kinds.end()) continue;
      byGroup[g.name].push_back(&r);
      ratio.push_back(Ratio(r));
      if (r.hasBefore) ratioBefore.push_back(r.telea.error > 0 ? r.before.error / r.telea.error : 1.0);
      tex.push_back(r.now.texture);
      texTelea.push_back(r.telea.texture);
      if (r.hasBefore) texBefore.push_back(r.before.texture);
      off.push_back(r.now.off15);
      offTelea.push_back(r.telea.off15);
    }
    std::printf("%-15s %4zu  %6.2f / %-13.2f %6.2f / %-13.2f %6.2f / %-13.2f %5.2f / %-9.2f %5.3f / %.3f\n", g.name,
                ratio.size(), Median(ratio), Worst(ratio, true), Median(ratioBefore), Worst(ratioBefore, true),
                Median(tex), Worst(tex, false), Median(texTelea), Median(texBefore), Median(off), Median(offTelea));
  }

  {
    // One figure to compare runs by: the geometric mean of the colour error over Telea's.
    double logSum = 0;
    for (const Result& r : results) logSum += std::log(std::max(1e-3, Ratio(r)));
    std::printf("geometric mean of dE/telea over all %zu holes: %.3f\n", results.size(),
                results.empty() ? 0.0 : std::exp(logSum / results.size()));
  }

  // The aims.
  auto check = [](const char* what, bool pass, const std::string& figures) {
    std::printf("  [%s] %s: %s\n", pass ? "pass" : "FAIL", what, figures.c_str());
    return pass;
  };
  auto fmt = [](const char* f, double a, double b = 0) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, f, a, b);
    return std::string(buffer);
  };
  std::printf("\nDone-when checks (%s half):\n", halfName.c_str());
  bool all = true;
  std::map<std::string, int> allSets;
  for (const Photo& p : photos) {
    if (!p.drawing) ++allSets[p.set];
  }
  int allPhotos = 0;
  for (const auto& [set, n] : allSets) allPhotos += n;
  all &= check("at least 20 photos from at least 3 sets in all, at least 30 ground-truth holes in this half",
               results.size() >= 30 && allPhotos >= 20 && allSets.size() >= 3,
               fmt("%.0f photos in all, ", allPhotos) + fmt("%.0f sets; this half ", double(allSets.size())) +
                   fmt("%.0f holes on %.0f photos", double(results.size()), photoCount));
  {
    std::vector<double> ratio;
    int over = 0;
    double worst = 0;
    for (const Result* r : byGroup["touch+straddle"]) {
      ratio.push_back(Ratio(*r));
      if (r->now.error >= 4 && Ratio(*r) > 1.0) ++over;
      if (r->now.error >= 4) worst = std::max(worst, Ratio(*r));
    }
    all &= check("second surface: median colour error <= 0.7x Telea", Median(ratio) <= 0.7,
                 fmt("median %.2fx", Median(ratio)));
    all &= check("second surface: every hole <= 1.0x Telea (or error < 4)", over == 0,
                 fmt("%.0f holes over, worst %.2fx", over, worst));
  }
  {
    int over = 0;
    double worst = 0;
    for (const Result* r : byGroup["one"]) {
      if (r->now.error >= 4 && Ratio(*r) > 1.1) ++over;
      if (r->now.error >= 4) worst = std::max(worst, Ratio(*r));
    }
    all &= check("one texture: every hole <= 1.1x Telea (or error < 4)", over == 0,
                 fmt("%.0f holes over, worst %.2fx", over, worst));
  }
  {
    std::vector<double> tex, off, offTelea;
    for (const Result* r : byGroup["all"]) {
      tex.push_back(r->now.texture);
      off.push_back(r->now.off15);
      offTelea.push_back(r->telea.off15);
    }
    all &= check("texture kept: median >= 0.9", Median(tex) >= 0.9, fmt("median %.2f", Median(tex)));
    all &= check("texture kept: every hole >= 0.75", Worst(tex, false) >= 0.75, fmt("lowest %.2f", Worst(tex, false)));
    double mean = 0, meanTelea = 0;
    for (size_t i = 0; i < off.size(); ++i) {
      mean += off[i] / off.size();
      meanTelea += offTelea[i] / off.size();
    }
    // Most holes have no pixel that far off with either fill: then the mean tells them apart.
    const bool below = Median(off) < Median(offTelea) || (Median(offTelea) == 0 && Median(off) == 0 && mean < meanTelea);
    all &= check("share off by more than 15: median below Telea's", below,
                 fmt("median %.3f against %.3f", Median(off), Median(offTelea)) +
                     fmt(", mean %.3f against %.3f", mean, meanTelea));
  }
  std::printf("  (the object sheets are judged by eye; times: gmic_inpaint timing)\n");
  std::printf("%s\n", all ? "all measured checks pass" : "some measured checks fail");
  return 0;
}
