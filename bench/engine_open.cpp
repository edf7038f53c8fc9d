// Opens a generated 24-megapixel JPEG in a new engine (time to the first GetVideo, peak memory),
// saves the session and restores it in a second engine, and compares the open with ImageMagick's
// convert decoding the same file to raw pixels.
// Usage: engine_open [work folder] [convert program]
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Bedrock/TempName.h"

#include <glog/logging.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace Zentor;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int WIDTH = 6000;
constexpr int HEIGHT = 4000;
constexpr int RUNS = 3;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

long PeakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A photo-like picture (smooth gradients with fine texture), written row by row.
void WritePpm(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << WIDTH << " " << HEIGHT << "\n255\n";
  std::vector<unsigned char> row(WIDTH * 3);
  for (int y = 0; y < HEIGHT; ++y) {
    for (int x = 0; x < WIDTH; ++x) {
      const double wave = std::sin(x * 0.003) * std::cos(y * 0.004);
      const int noise = static_cast<int>((x * 7919u + y * 104729u) % 23u);
      row[x * 3 + 0] = static_cast<unsigned char>(std::clamp(128 + 100 * wave + noise, 0.0, 255.0));
      row[x * 3 + 1] = static_cast<unsigned char>((x / 24 + y / 16 + noise) & 0xFF);
      row[x * 3 + 2] = static_cast<unsigned char>(std::clamp(255.0 * y / HEIGHT - noise, 0.0, 255.0));
    }
    out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
  }
}

double RunCommand(const std::string& command) {
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
  return Seconds(start);
}

class NoStatistics : public Glimra::IStatisticsEventHandler {
 public:
  void TrackEventString(const std::string&, const StringParameters&) override {}
  void TrackEventInt(const std::string&, const IntParameters&) override {}
  void TrackException(const std::string&, const std::string&, const std::string&) override {}
};

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
  WritePpm(ppm);
  RunCommand(convert + " " + ppm + " -quality 92 " + jpeg);
  std::remove(ppm.c_str());

  NoStatistics statistics;
  Glimra::IGlimraCore::Initializer init;
  init.version = "bench";
  init.filePath = jpeg;
  init.tempFolder = dir + "/session/";
  init.tempNameGenerator = [&init] {
    const std::string name = Core::GenerateTempFileName(init.tempFolder);
    return name.substr(name.find_last_of('/') + 1);
  };
  init.statisticsHandler = &statistics;

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
