// Saves a 24-megapixel picture through the engine as JPEG (default quality), PNG and TIFF (each
// compression), with metadata and thumbnail as the program asks for them, and compares each with
// ImageMagick's convert writing the same picture from a raw file.
// Usage: engine_save [work folder] [convert program]
#include "BenchSupport.h"

#include "GlimraCore/Settings.h"
#include "Platform/ImageTags/ImageMetadata.h"

#include <boost/exception/diagnostic_information.hpp>
#include <glog/logging.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace Zentor;
using namespace Bench;

namespace {

constexpr int WIDTH = 6000;
constexpr int HEIGHT = 4000;
constexpr int RUNS = 3;


double FileMb(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_size / (1024.0 * 1024.0) : 0.0;
}

class ExitOnFailure : public Glimra::ICoreEventHandler {
 public:
  void Throw(boost::exception_ptr error) override {
    std::fprintf(stderr, "save failed: %s\n", boost::diagnostic_information(error).c_str());
    std::exit(1);
  }
};

struct Case {
  const char* label;
  const char* codecId;
  const char* extension;
  const char* tiffCompression;  // null: the preset's
  const char* convertOptions;
};

Core::Property SaveSettings(const Case& c, const std::string& path) {
  using Proc::IImageMetadata;
  Core::Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(Conf::IFormatFile::TAG_FILENAME, path);
  settings.SetChildT(Conf::IFormatCodec::TAG_CODEC_ID, std::string(c.codecId));
  settings.SetChildT(Conf::IFormatFile::TAG_FILE_EXTENSION, std::string(c.extension));
  for (const char* flag :
       {IImageMetadata::SAVE_EXIF, IImageMetadata::SAVE_IPTC, IImageMetadata::SAVE_COMMENT, IImageMetadata::SAVE_XMP,
        IImageMetadata::SAVE_THUMBNAIL, IImageMetadata::UPDATE_THUMBNAIL}) {
    settings.SetChildT(flag, true);
  }
  if (c.tiffCompression) {
    settings.SetChild(Glimra::Settings::FORMAT_SAVE_SETTINGS_ENCODE)
        .SetChildT(Glimra::Settings::SaveOptions::Tiff::TAG_COMPRESSION_ALGORITHM, std::string(c.tiffCompression));
  }
  return settings;
}

}  // namespace

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_minloglevel = google::GLOG_WARNING;
  const std::string dir = argc > 1 ? argv[1] : "/tmp/glimra-bench-save";
  const std::string convert =
      argc > 2 ? argv[2] : (access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert");
  RunCommand("rm -rf " + dir + " && mkdir -p " + dir + "/session");
  const std::string ppm = dir + "/source.ppm";
  const std::string raw = dir + "/source.raw";
  std::printf("Generating a %dx%d picture...\n", WIDTH, HEIGHT);
  WritePhotoPpm(ppm, WIDTH, HEIGHT, raw);

  NoStatistics statistics;
  ExitOnFailure failures;
  boost::intrusive_ptr<Glimra::IGlimraCore> engine =
      Glimra::IGlimraCore::Create(EngineInit(ppm, dir + "/session/", "save", &statistics));
  engine->RegisterCoreEventHandler(&failures);
  const long baseKb = PeakKb();

  namespace Tiff = Glimra::Settings::SaveOptions::Tiff;
  const Case cases[] = {
      {"JPEG (default quality)", Conf::IFormatCodecVideo::CODEC_ID_MJPEG, "jpg", nullptr, "-quality 92"},
      {"PNG", Conf::IFormatCodecVideo::CODEC_ID_PNG, "png", nullptr, ""},
      {"TIFF raw", Conf::IFormatCodecVideo::CODEC_ID_TIFF, "tif", Tiff::VAL_COMPRESSION_ALGORITHM_RAW.c_str(),
       "-compress None"},
      {"TIFF packbits", Conf::IFormatCodecVideo::CODEC_ID_TIFF, "tif", Tiff::VAL_COMPRESSION_ALGORITHM_PACKBITS.c_str(),
       "-compress RLE"},
      {"TIFF lzw", Conf::IFormatCodecVideo::CODEC_ID_TIFF, "tif", Tiff::VAL_COMPRESSION_ALGORITHM_LZW.c_str(),
       "-compress LZW"},
      {"TIFF deflate", Conf::IFormatCodecVideo::CODEC_ID_TIFF, "tif", Tiff::VAL_COMPRESSION_ALGORITHM_DEFLATE.c_str(),
       "-compress Zip"},
  };

  std::printf("%-24s %10s %9s %10s %9s %7s\n", "format", "engine s", "MB", "convert s", "MB", "ratio");
  for (const Case& c : cases) {
    const std::string ours = dir + "/engine." + c.extension;
    const std::string theirs = dir + "/convert." + c.extension;
    double engineTime = 1e9;
    double convertTime = 1e9;
    for (int run = 0; run < RUNS; ++run) {
      const auto start = Clock::now();
      engine->Save(SaveSettings(c, ours));
      engineTime = std::min(engineTime, Seconds(start));
      convertTime =
          std::min(convertTime, RunCommand(convert + " -size " + std::to_string(WIDTH) + "x" + std::to_string(HEIGHT) +
                                           " -depth 8 rgb:" + raw + " " + c.convertOptions + " " + theirs));
    }
    std::printf("%-24s %10.3f %9.1f %10.3f %9.1f %7.2f\n", c.label, engineTime, FileMb(ours), convertTime,
                FileMb(theirs), engineTime / convertTime);
  }
  std::printf("peak memory added by the saves %.1f MB (process peak %.1f MB)\n", (PeakKb() - baseKb) / 1024.0,
              PeakKb() / 1024.0);
  engine.reset();
  RunCommand("rm -rf " + dir);
  return 0;
}
