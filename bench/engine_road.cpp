// The editing road through the engine's interfaces on a generated 12-megapixel photo: open, select
// an object with the selection brush, erase it with the G'MIC inpainting, undo, redo, rotate,
// flip, crop and resize. Prints each step's time and the process's peak memory.
// Usage: engine_road [work folder]
#include "BenchSupport.h"

#include "Core/Interfaces/Property.h"
#include "GlimraCore/IGlimraBrush.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/FileIo/DataFile.h"
#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <glog/logging.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace Zentor;
using namespace Bench;
using Core::Property;

namespace {

constexpr int WIDTH = 4000;
constexpr int HEIGHT = 3000;
constexpr int CX = 2100;
constexpr int CY = 1400;
constexpr int RADIUS = 110;

double PeakMb() { return PeakKb() / 1024.0; }

// Smooth gradients with fine texture and a dark round object, encoded as JPEG by the framework.
void WritePhoto(const std::string& path) {
  Proc::DataVideoPtr frame = Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, WIDTH, HEIGHT);
  for (int y = 0; y < HEIGHT; ++y) {
    uint8_t* row = frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0];
    for (int x = 0; x < WIDTH; ++x) {
      const bool object = (x - CX) * (x - CX) + (y - CY) * (y - CY) <= RADIUS * RADIUS;
      const double wave = std::sin(x * 0.003) * std::cos(y * 0.004);
      const int noise = static_cast<int>((x * 7919u + y * 104729u) % 17u);
      row[x * 3 + 0] = object ? 25 : static_cast<uint8_t>(std::clamp(120 + 90 * wave + noise, 0.0, 255.0));
      row[x * 3 + 1] = object ? 25 : static_cast<uint8_t>(90 + (x / 40 + y / 30) % 60 + noise);
      row[x * 3 + 2] = object ? 160 : static_cast<uint8_t>(std::clamp(230.0 * y / HEIGHT - noise + 20, 0.0, 255.0));
    }
  }
  const Property settings =
      Core::CreateDataHelper(Conf::IPreset::KEY_FILTER_VIDEO_CODEC, Conf::IFormatCodecVideo::CODEC_ID_MJPEG)
          ->GetSettings();
  Proc::StreamVideoPtr stream(new Proc::StreamOneFrameVideo(frame));
  const BlobPtr bytes = Core::GetCodecFactory()->CreateEncoder(stream, settings)->ReadPacket();
  Core::WriteWholeFileAtomic(path, bytes->Data(), bytes->Size());
}

Property Preset(const char* classId) {
  Property preset(classId);
  preset.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(classId));
  return preset;
}

template <class F>
void Step(const char* name, F&& action) {
  const auto start = Clock::now();
  action();
  std::printf("%-34s %8.3f s   peak %7.1f MB\n", name, Seconds(start), PeakMb());
}

}  // namespace

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_minloglevel = google::GLOG_WARNING;
  const std::string dir = argc > 1 ? argv[1] : "/tmp/glimra-bench-road";
  if (std::system(("rm -rf " + dir + " && mkdir -p " + dir + "/session").c_str()) != 0) return 1;
  const std::string jpeg = dir + "/photo.jpg";
  std::printf("Generating a %dx%d JPEG...\n", WIDTH, HEIGHT);
  // In a child process, so that the peak memory below is the road's own.
  const pid_t child = fork();
  if (child == 0) {
    WritePhoto(jpeg);
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
  std::printf("process peak before the road      %8.1f MB\n", PeakMb());

  NoStatistics statistics;
  Failures failures;
  const Glimra::IGlimraCore::Initializer init = EngineInit(jpeg, dir + "/session/", "road", &statistics);

  boost::intrusive_ptr<Glimra::IGlimraCore> engine;
  Step("open (Create + GetVideo)", [&] {
    engine = Glimra::IGlimraCore::Create(init);
    engine->RegisterCoreEventHandler(&failures);
    engine->GetVideo();
  });
  Step("select the object (13 strokes)", [&] {
    Property brush(Glimra::IGlimraBrush::CLASS_ID);
    brush.SetChildT(Glimra::IGlimraBrush::TAG_BRUSH_TYPE, Glimra::IGlimraBrush::CIRCLE);
    brush.SetChildT(Conf::IFormatCodecVideo::TAG_WIDTH, 48);
    engine->SetBrush(brush);
    Property paint(Glimra::IGlimraDrawer::CLASS_ID);
    paint.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, Glimra::IGlimraDrawer::SEL_BRUSH);
    engine->PaintInit(paint);
    for (int y = CY - 130; y <= CY + 130; y += 20) {
      engine->PaintStart(CX - 140, y);
      for (int x = CX - 130; x < CX + 140; x += 10) engine->Paint(x, y);
      engine->PaintStop(CX + 140, y);
    }
  });
  Step("GetVideo with the selection", [&] { engine->GetVideo(); });
  Step("inpaint (G'MIC) and GetVideo", [&] {
    engine->ApplyEffect(Preset(Proc::IEffectInpaint::CLASS_ID), true);
    engine->GetVideo();
  });
  Step("undo and GetVideo", [&] {
    engine->Undo();
    engine->GetVideo();
  });
  Step("redo and GetVideo", [&] {
    engine->Redo();
    engine->GetVideo();
  });
  Step("rotate 90 and GetVideo", [&] {
    Property rotate = Preset(Proc::IRotate::CLASS_ID);
    rotate.SetChildT(Proc::IRotate::ANGLE, 90);
    engine->ApplyEffect(rotate, false);
    engine->GetVideo();
  });
  Step("flip and GetVideo", [&] {
    Property flip = Preset(Proc::IFlip::CLASS_ID);
    flip.SetChildT(Proc::IFlip::MODE_HORIZ, true);
    engine->ApplyEffect(flip, false);
    engine->GetVideo();
  });
  Step("crop to 2000x1500 and GetVideo", [&] {
    Property crop = Preset(Proc::IEffectCrop::CLASS_ID);
    crop.SetChildT(Proc::IEffectCrop::OFFSET_X, 300LL);
    crop.SetChildT(Proc::IEffectCrop::OFFSET_Y, 400LL);
    crop.SetChildT(Proc::IEffectCrop::WIDTH, 2000LL);
    crop.SetChildT(Proc::IEffectCrop::HEIGHT, 1500LL);
    engine->ApplyEffect(crop, false);
    engine->GetVideo();
  });
  Step("resize to 1000x750 and GetVideo", [&] {
    Property resize = Preset(Proc::IResize::CLASS_ID);
    resize.SetChildT(Proc::IResize::WIDTH, 1000LL);
    resize.SetChildT(Proc::IResize::HEIGHT, 750LL);
    engine->ApplyEffect(resize, false);
    engine->GetVideo();
  });
  Step("undo four times and GetVideo", [&] {
    for (int i = 0; i < 4; ++i) engine->Undo();
    engine->GetVideo();
  });
  engine.reset();
  std::printf("failures reported                  %d\n", failures.count);
  if (std::system(("rm -rf " + dir).c_str()) != 0) return 1;
  return failures.count == 0 ? 0 : 1;
}
