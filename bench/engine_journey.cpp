// The engine's side of the program benchmark: the steps the editor takes for a user who opens a
// photo, brushes a selection and erases it, then undoes, made straight through the engine's
// interfaces with the program's settings, and the decode alone through the codec framework.
// Prints one "name value" line a figure.
// Usage: engine_journey <photo> <work folder> <stroke file>
//   The stroke file's first line is "brush <width in picture pixels>", then one "x y" line a
//   point in picture coordinates: the press, the moves, the release.
#include "BenchSupport.h"

#include "GlimraCore/IGlimraBrush.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/ServiceClient/ClientAPI.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"
#include "Proc/Interfaces/IEffectInpaint.h"

#include <glog/logging.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace Zentor;
using namespace Bench;
using Core::Property;

namespace {

constexpr int OPEN_RUNS = 3;
// The sensitivity the tools panel starts with.
constexpr double LOOKUP_SIZE = 15.0;

// The pixel formats the program shows without a copy, as it asks them of the engine.
Property ProgramColorspaces() {
  Property settings = Proc::IColorSpaceConverter::MakeSettings(
      {AV_PIX_FMT_RGB24, AV_PIX_FMT_MONOBLACK, AV_PIX_FMT_BGRA, AV_PIX_FMT_RGB565LE, AV_PIX_FMT_RGB555LE,
       AV_PIX_FMT_RGB444LE, AV_PIX_FMT_BGR0});
  settings.SetChildT(Proc::IColorSpaceConverter::HAZ_ALPHA, true);
  return settings;
}

// A memory figure of this process from /proc, in kB: "VmHWM:" (the peak) or "VmRSS:" (now).
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
  }
  return 0;
}

// The photo's decode alone, as the engine's load makes it: media source, decoder, one frame.
double DecodeSeconds(const std::string& photo) {
  const auto start = Clock::now();
  ClientAPI::MediaSourcePtr source = ClientAPI::OpenSource(photo);
  Proc::StreamPtr stream = source->GetStream(0);
  Proc::StreamRawPtr raw(dynamic_cast<Proc::IStreamRaw*>(stream.get()));
  if (!raw || !Core::CoreManager::Instance().GetCodecFactory()->CreateDecoder(raw)->Read()) return -1;
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  FLAGS_minloglevel = google::GLOG_WARNING;
  if (argc != 4) {
    std::fprintf(stderr, "usage: engine_journey <photo> <work folder> <stroke file>\n");
    return 2;
  }
  const std::string photo = argv[1];
  const std::string dir = std::string(argv[2]) + "/";
  std::ifstream strokeFile(argv[3]);
  std::string word;
  long long brushWidth = 0;
  strokeFile >> word >> brushWidth;
  std::vector<std::pair<int, int>> stroke;
  for (int x = 0, y = 0; strokeFile >> x >> y;) stroke.emplace_back(x, y);
  if (word != "brush" || brushWidth <= 0 || stroke.size() < 3) {
    std::fprintf(stderr, "a bad stroke file: %s\n", argv[3]);
    return 2;
  }

  NoStatistics statistics;
  Failures failures;
  Glimra::IGlimraCore::Initializer init = EngineInit(photo, dir, std::string(), &statistics);
  boost::intrusive_ptr<Glimra::IGlimraCore> engine;
  double open = 1e9;
  for (int run = 0; run < OPEN_RUNS; ++run) {
    engine.reset();
    init.sessionId = "journey" + std::to_string(run);
    const auto start = Clock::now();
    engine = Glimra::IGlimraCore::Create(init);
    engine->SetOutputColorSpace(ProgramColorspaces());
    if (!engine->GetVideo()) return 1;
    open = std::min(open, Seconds(start));
    // The first open in a fresh process, as a program's start meets it; its arrival is timed.
    if (run == 0) {
      std::printf("first_open %.6f\n", open);
      std::fflush(stdout);
    }
  }
  engine->RegisterCoreEventHandler(&failures);
  std::printf("open %.6f\n", open);
  std::printf("rss_open_kb %ld\n", StatusKb("VmRSS:"));

  Property brush(Glimra::IGlimraBrush::CLASS_ID);
  brush.SetChildT(Glimra::IGlimraBrush::TAG_BRUSH_TYPE, Glimra::IGlimraBrush::CIRCLE);
  brush.SetChildT(Conf::IFormatCodecVideo::TAG_WIDTH, brushWidth);
  brush.SetChildT(Conf::IFormatCodecVideo::TAG_HEIGHT, brushWidth);
  engine->SetBrush(brush);
  Property paint(Glimra::IGlimraDrawer::CLASS_ID);
  paint.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, Glimra::IGlimraDrawer::SEL_BRUSH);
  engine->PaintInit(paint);
  engine->PaintStart(stroke.front().first, stroke.front().second);
  // The program asks for the patch of every move; its time is the engine's part of a move.
  std::printf("moves");
  for (size_t i = 1; i + 1 < stroke.size(); ++i) {
    const auto start = Clock::now();
    const Glimra::IGlimraDrawer::PaintPatch patch = engine->Paint(stroke[i].first, stroke[i].second);
    std::printf(" %.6f", Seconds(start));
  }
  std::printf("\n");
  auto start = Clock::now();
  engine->PaintStop(stroke.back().first, stroke.back().second);
  std::printf("stop %.6f\n", Seconds(start));
  engine->GetVideo();
  std::printf("release %.6f\n", Seconds(start));

  Property inpaint(Proc::IEffectInpaint::CLASS_ID);
  inpaint.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Proc::IEffectInpaint::CLASS_ID));
  inpaint.SetChildT(Proc::IEffectInpaint::LOOKUP_SIZE, LOOKUP_SIZE);
  start = Clock::now();
  engine->ApplyEffect(inpaint, true);
  engine->GetVideo();
  std::printf("inpaint %.6f\n", Seconds(start));
  std::printf("rss_inpaint_kb %ld\n", StatusKb("VmRSS:"));

  start = Clock::now();
  engine->Undo();
  engine->GetVideo();
  std::printf("undo %.6f\n", Seconds(start));
  std::printf("rss_undo_kb %ld\n", StatusKb("VmRSS:"));
  std::printf("peak_kb %ld\n", StatusKb("VmHWM:"));
  start = Clock::now();
  engine->Redo();
  engine->GetVideo();
  std::printf("redo %.6f\n", Seconds(start));

  double decode = 1e9;
  for (int run = 0; run < OPEN_RUNS; ++run) decode = std::min(decode, DecodeSeconds(photo));
  std::printf("decode %.6f\n", decode);
  std::printf("failures %d\n", failures.count);
  engine.reset();
  return failures.count == 0 ? 0 : 1;
}
