// libFuzzer target: arbitrary bytes as a selection mask file loaded into an engine, and through
// the per-format header readers.
//
// The engine holds a 12 x 8 picture, the size of the seed images, so that decoded masks of every
// pixel format go on past the grey conversion to the size check and into the mask history.
#include "FuzzEngineSupport.h"

#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/Helpers/FormatHelpers.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/FileIo/DataFile.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <glog/logging.h>

extern "C" {
#include <libavutil/log.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

using namespace Zentor;
using Proc::DataVideoPtr;

namespace {

FuzzSupport::NoStatistics g_statistics;
FuzzSupport::IgnoreErrors g_errors;
std::string g_folder;
std::string g_picture;
std::string g_mask;

void RemoveFolder() {
  ::unlink(g_mask.c_str());
  ::unlink(g_picture.c_str());
  ::rmdir(g_folder.c_str());
}

void ReadHeaders(const uint8_t* data, size_t size) {
  using Glimra::Helpers::FormatHelper;
  for (const char* codec : {Conf::IFormatCodecVideo::CODEC_ID_BMP, Conf::IFormatCodecVideo::CODEC_ID_PNG}) {
    FormatHelper::Create(codec, g_mask)->GetResolution();
    BlobPtr bytes = Blob::Create(size);
    if (size) std::memcpy(bytes->Data(), data, size);
    FormatHelper::Create(codec, bytes)->SetResolution(300.0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FLAGS_minloglevel = 3;  // quiet: every refused file logs warnings
  std::set_terminate(&FuzzSupport::SaveInputAndAbort);
  av_log_set_level(AV_LOG_QUIET);
  ::setenv("ZENTOR_PLUGIN_PATH", GLIMRA_FUZZ_PLUGIN_DIR, 0);
  g_folder = "/dev/shm/glimra-fuzz-mask-" + std::to_string(::getpid()) + "/";
  if (::mkdir(g_folder.c_str(), 0700) != 0 && errno != EEXIST) std::abort();
  std::atexit(&RemoveFolder);
  g_picture = g_folder + "picture.png";
  g_mask = g_folder + "mask.pgm";
  FuzzSupport::WritePng(g_picture, FuzzSupport::Picture(12, 8, 7));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSupport::SetInput(data, size);
  Glimra::IGlimraCore::Initializer init;
  init.version = "1.0";
  init.sessionId = "none";
  init.filePath = g_picture;
  init.tempFolder = g_folder;
  init.tempNameGenerator = [] { return std::string("swap"); };
  init.statisticsHandler = &g_statistics;
  boost::intrusive_ptr<Glimra::GlimraCore> engine(new Glimra::GlimraCore(init));
  engine->RegisterCoreEventHandler(&g_errors);
  // Written after the engine has started: its start-up removes stray files that look like swap files.
  Core::WriteWholeFileAtomic(g_mask, data, size);
  ReadHeaders(data, size);
  engine->LoadMask(g_mask);
  const DataVideoPtr mask = engine->GetUndoStore()->GetMask();
  if (mask && (mask->GetPixelFormat() != AV_PIX_FMT_GRAY8 || mask->GetWidth() != 12 || mask->GetHeight() != 8)) {
    std::abort();
  }
  return 0;
}
