// OpenCV's decode of a picture file, for the program benchmark's comparison: the best of three
// cv::imread calls. Prints "opencv_decode <seconds>".
// Usage: opencv_decode <picture>
#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: opencv_decode <picture>\n");
    return 2;
  }
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const cv::Mat picture = cv::imread(argv[1], cv::IMREAD_COLOR);
    if (picture.empty()) return 1;
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("opencv_decode %.6f\n", best);
  return 0;
}
