// Opens a generated 24-megapixel JPEG in a new engine (time to the first GetVideo, peak memory),
// saves the session and restores it in a second engine, and compares the open with ImageMagick's
// convert decoding the same file to raw pixels.
// Usage: engine_open [work folder] [convert program]
#include "BenchSupport.h"

#include <glog/logging.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

using namespace Zentor;
using namespace Bench;

namespace {

constexpr int WIDTH = 6000;
constexpr int HEIGHT = 4000;
constexpr int RUNS = 3;

}  // namespace

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_minloglevel = google::GLOG_WARNING;
  const std::string dir = argc > 1 ? argv[1] : "/tmp/glimra-bench-engine";
  const std::string convert = argc > 2 ? argv[2] : (access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert");
  RunCommand("rm -rf " + dir + " && mkdir -p " + dir + "/session");
  const std::string ppm = dir + "/source.ppm";
  const std::string jpeg = dir + "/photo.jpg";
  std::printf("Generating a %dx%d JPEG...\n", WIDTH, HEIGHT);
  WritePhotoPpm(ppm, WIDTH, HEIGHT);
  RunCommand(convert + " " + ppm + " -quality 92 " + jpeg);
  std::remove(ppm.c_str());

  NoStatistics statistics;
  Glimra::IGlimraCore::Initializer init = EngineInit(jpeg, dir + "/session/", std::string(), &statistics);

  const long baseKb = PeakKb();
  double open = 1e9;
  double firstVideo = 1e9;
  long peakKb = 0;
  for (int run = 0; run < RUNS; ++run) {
    init.sessionId = "open" + std::to_string(run);
    const auto start = Clock::now();
    boost::intrusive_ptr<Glimra::IGlimraCore> engine = Glimra::IGlimraCore::Create(init);
    const double created = Seconds(start);
    Proc::DataVideoPtr video = engine->GetVideo();
    const double total = Seconds(start);
    if (!video) return 1;
    if (run == 0) peakKb = PeakKb();
    open = std::min(open, created);
    firstVideo = std::min(firstVideo, total);
  }

  double save = 1e9;
  double restore = 1e9;
  double restoreVideo = 1e9;
  for (int run = 0; run < RUNS; ++run) {
    init.sessionId = "session" + std::to_string(run);
    boost::intrusive_ptr<Glimra::IGlimraCore> engine = Glimra::IGlimraCore::Create(init);
    engine->GetVideo();
    auto start = Clock::now();
    engine->SaveSession();
    save = std::min(save, Seconds(start));
    start = Clock::now();
    boost::intrusive_ptr<Glimra::IGlimraCore> second = Glimra::IGlimraCore::Create(init);
    restore = std::min(restore, Seconds(start));
    second->GetVideo();
    restoreVideo = std::min(restoreVideo, Seconds(start));
  }

  double imDecode = 1e9;
  for (int run = 0; run < RUNS; ++run) {
    imDecode = std::min(imDecode, RunCommand(convert + " " + jpeg + " -depth 8 rgb:" + dir + "/decoded.raw"));
  }

  std::printf("engine open (Create)            %8.3f s\n", open);
  std::printf("open to first GetVideo          %8.3f s\n", firstVideo);
  std::printf("peak memory of the first open   %8.1f MB (process peak %.1f MB)\n", (peakKb - baseKb) / 1024.0,
              peakKb / 1024.0);
  std::printf("SaveSession (new swap file)     %8.3f s\n", save);
  std::printf("restore (Create)                %8.3f s\n", restore);
  std::printf("restore to first GetVideo       %8.3f s\n", restoreVideo);
  std::printf("convert JPEG -> raw             %8.3f s\n", imDecode);
  std::printf("ratio open to first GetVideo / convert  %6.2f\n", firstVideo / imDecode);
  RunCommand("rm -rf " + dir);
  return 0;
}
