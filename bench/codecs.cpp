// Decoding and encoding a generated 24-megapixel picture in JPEG, PNG and TIFF through our codec
// framework, beside ImageMagick's convert doing the same conversions on the same files.
// Usage: codecs [work folder] [convert program]
#include "BenchSupport.h"

#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/ServiceClient/ClientAPI.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

using namespace Zentor;
using namespace Bench;

namespace {

constexpr uint32_t WIDTH = 6000;
constexpr uint32_t HEIGHT = 4000;
constexpr int RUNS = 3;

// Smooth colour fields with fine noise: roughly what a photograph asks of a codec.
Proc::DataVideoPtr MakePhoto() {
  Proc::DataVideoPtr frame = Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, WIDTH, HEIGHT);
  Proc::Picture& p = frame->GetPicture();
  std::mt19937 random(7);
  for (uint32_t y = 0; y < HEIGHT; ++y) {
    uint8_t* row = p.data[0] + static_cast<size_t>(y) * p.linesize[0];
    for (uint32_t x = 0; x < WIDTH; ++x) {
      const int noise = static_cast<int>(random() % 9) - 4;
      row[3 * x] = static_cast<uint8_t>(std::clamp<int>(x * 255 / WIDTH + noise, 0, 255));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp<int>(y * 255 / HEIGHT + noise, 0, 255));
      row[3 * x + 2] = static_cast<uint8_t>(std::clamp<int>(((x / 64 + y / 64) % 2) * 120 + 60 + noise, 0, 255));
    }
  }
  return frame;
}

void WritePpm(const std::string& path, const Proc::DataVideoPtr& frame) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << WIDTH << " " << HEIGHT << "\n255\n";
  const Proc::Picture& p = frame->GetPicture();
  for (uint32_t y = 0; y < HEIGHT; ++y) {
    out.write(reinterpret_cast<const char*>(p.data[0] + static_cast<size_t>(y) * p.linesize[0]), WIDTH * 3);
  }
}

double Run(const std::string& command) {
  const Clock::time_point start = Clock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return -1;
  }
  return Seconds(start);
}

template <class Fn>
double Best(Fn fn) {
  double best = 1e9;
  for (int i = 0; i < RUNS; ++i) best = std::min(best, fn());
  return best;
}

long FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<long>(in.tellg());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp/glimra-bench-codecs";
  const std::string convert = argc > 2 ? argv[2] : (access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert");
  std::system(("mkdir -p " + dir).c_str());
  std::printf("Generating a %ux%u picture...\n", WIDTH, HEIGHT);
  const Proc::DataVideoPtr photo = MakePhoto();
  const std::string ppm = dir + "/source.ppm";
  WritePpm(ppm, photo);
  // ImageMagick encodes from its own memory-mapped cache format, so reading the source costs almost nothing.
  const std::string mpc = dir + "/source.mpc";
  Run(convert + " " + ppm + " " + mpc);
  const double imRead = Best([&] { return Run(convert + " " + mpc + " null:"); });

  struct Case {
    const char* name;
    const char* codecId;
    const char* extension;
    const char* imOptions;
  };
  const Case cases[] = {
      {"JPEG", Conf::IFormatCodecVideo::CODEC_ID_MJPEG, "jpg", "-quality 95"},
      {"PNG", Conf::IFormatCodecVideo::CODEC_ID_PNG, "png", ""},
      {"TIFF", Conf::IFormatCodecVideo::CODEC_ID_TIFF, "tif", "-compress RLE"},
  };
  std::printf("%-5s %10s %10s %6s | %10s %10s %6s | %9s %9s\n", "", "encode", "IM encode", "ratio", "decode",
              "IM decode", "ratio", "size", "IM size");
  for (const Case& c : cases) {
    const std::string ours = dir + "/ours." + c.extension;
    const std::string theirs = dir + "/magick." + c.extension;
    const Core::Property settings =
        Core::CreateDataHelper(Conf::IPreset::KEY_FILTER_VIDEO_CODEC, c.codecId)->GetSettings();

    const double encode = Best([&] {
      const Clock::time_point start = Clock::now();
      Proc::StreamVideoPtr stream(new Proc::StreamOneFrameVideo(photo));
      BlobPtr bytes = Core::GetCodecFactory()->CreateEncoder(stream, settings)->ReadPacket();
      std::FILE* f = std::fopen(ours.c_str(), "wb");
      std::fwrite(bytes->Data(), 1, bytes->Size(), f);
      std::fclose(f);
      return Seconds(start);
    });
    // ImageMagick's encode time: the conversion minus reading the cached source.
    const double imEncode =
        Best([&] { return Run(convert + " " + mpc + " " + c.imOptions + " " + theirs); }) - imRead;

    const double decode = Best([&] {
      const Clock::time_point start = Clock::now();
      ClientAPI::MediaSourcePtr source = ClientAPI::OpenSource(ours);
      Proc::StreamRawPtr raw(dynamic_cast<Proc::IStreamRaw*>(source->GetStream(0).get()));
      Proc::DataVideoPtr frame = Core::GetCodecFactory()->CreateDecoder(raw)->Read();
      if (!frame || frame->GetWidth() != WIDTH) std::fprintf(stderr, "decode failed\n");
      return Seconds(start);
    });
    const double imDecode = Best([&] { return Run(convert + " " + ours + " null:"); });

    std::printf("%-5s %9.3fs %9.3fs %6.2f | %9.3fs %9.3fs %6.2f | %8.1fM %8.1fM\n", c.name, encode, imEncode,
                encode / imEncode, decode, imDecode, decode / imDecode, FileSize(ours) / 1e6, FileSize(theirs) / 1e6);
  }
  std::printf("(best of %d runs; ratio = ours / ImageMagick; ImageMagick encode excludes reading its cached source)\n", RUNS);
  return 0;
}
