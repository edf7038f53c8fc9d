// Pieces shared by the benchmarks: timing, peak memory, shell commands, a generated photo and
// engine settings.
#pragma once

#include "GlimraCore/IGlimraCore.h"
#include "Platform/Bedrock/TempName.h"

#include <boost/exception/diagnostic_information.hpp>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace Bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The process's peak resident memory so far.
inline long PeakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Runs a shell command and gives its time; exits the benchmark when it fails.
inline double RunCommand(const std::string& command) {
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
  return Seconds(start);
}

// A photo-like RGB picture (smooth gradients with fine texture), written row by row as a PPM and,
// when raw is given, also as raw bytes.
inline void WritePhotoPpm(const std::string& ppm, int width, int height, const std::string& raw = std::string()) {
  std::ofstream out(ppm, std::ios::binary);
  std::ofstream rawOut;
  if (!raw.empty()) rawOut.open(raw, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  std::vector<unsigned char> row(size_t(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double wave = std::sin(x * 0.003) * std::cos(y * 0.004);
      const int noise = static_cast<int>((x * 7919u + y * 104729u) % 23u);
      row[x * 3 + 0] = static_cast<unsigned char>(std::clamp(128 + 100 * wave + noise, 0.0, 255.0));
      row[x * 3 + 1] = static_cast<unsigned char>((x / 24 + y / 16 + noise) & 0xFF);
      row[x * 3 + 2] = static_cast<unsigned char>(std::clamp(255.0 * y / height - noise, 0.0, 255.0));
    }
    out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
    if (rawOut.is_open()) {
      rawOut.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
    }
  }
}

class NoStatistics : public Zentor::Glimra::IStatisticsEventHandler {
 public:
  void TrackEventString(const std::string&, const StringParameters&) override {}
  void TrackEventInt(const std::string&, const IntParameters&) override {}
  void TrackException(const std::string&, const std::string&, const std::string&) override {}
};

// Counts the failures an engine reports, and prints each.
class Failures : public Zentor::Glimra::ICoreEventHandler {
 public:
  void Throw(boost::exception_ptr error) override {
    std::fprintf(stderr, "failure: %s\n", boost::diagnostic_information(error).c_str());
    ++count;
  }
  int count = 0;
};

// Engine settings for an image, with the temporary files in tempFolder (ending with a separator).
inline Zentor::Glimra::IGlimraCore::Initializer EngineInit(const std::string& image, const std::string& tempFolder,
                                                           const std::string& session,
                                                           Zentor::Glimra::IStatisticsEventHandler* statistics) {
  Zentor::Glimra::IGlimraCore::Initializer init;
  init.version = "bench";
  init.sessionId = session;
  init.filePath = image;
  init.tempFolder = tempFolder;
  init.tempNameGenerator = [tempFolder] {
    const std::string name = Zentor::Core::GenerateTempFileName(tempFolder);
    return name.substr(name.find_last_of('/') + 1);
  };
  init.statisticsHandler = statistics;
  return init;
}

}  // namespace Bench
