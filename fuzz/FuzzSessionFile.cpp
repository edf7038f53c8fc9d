// libFuzzer target: arbitrary bytes as the last-session file of an engine that starts up.
//
// Each process first builds a real session in a folder of its own: a picture, image steps, mask
// steps and their swap files. An input is written as the session file, with every "$TMP" in it
// standing for that folder, so that inputs made from the real session reach the swap files. The
// engine then restores it or starts afresh from the picture; the restored history is walked to
// both ends, which reads the swap files of the other steps, and saved, which writes the session's
// metadata and step settings into the saved file.
#include "FuzzEngineSupport.h"

#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/IGlimraBrush.h"
#include "GlimraCore/IGlimraUndo.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <glog/logging.h>

extern "C" {
#include <libavutil/log.h>
}

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <string>

using namespace Zentor;
using FuzzSupport::Picture;
using Proc::DataVideoPtr;

namespace {

const char PLACEHOLDER[] = "$TMP";
const char SESSION_ID[] = "last";

FuzzSupport::NoStatistics g_statistics;
FuzzSupport::IgnoreErrors g_errors;
std::string g_folder;
std::string g_picture;
// Swap files of the real session by path, written again before each input.
std::map<std::string, std::string> g_swapFiles;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

DataVideoPtr Mask(uint32_t width, uint32_t height, uint32_t left, uint32_t top, uint32_t size) {
  DataVideoPtr mask = Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width, height);
  for (uint32_t y = top; y < top + size; ++y) {
    std::fill_n(mask->GetPicture().data[0] + ptrdiff_t(y) * mask->GetPicture().linesize[0] + left, size, uint8_t(90));
  }
  return mask;
}

// A PNG with EXIF values, so that the session carries metadata entries.
void WritePngWithExif(const std::string& path, const DataVideoPtr& frame) {
  FuzzSupport::WritePng(path, frame);
  Core::Property exif(Proc::IImageMetadata::SAVE_SETTINGS);
  exif.SetChildT(Conf::IFormatFile::TAG_FILENAME, path);
  Core::Property& replace = exif.SetChild(Proc::IImageMetadata::REPLACE_SETTINGS);
  replace.SetChildT("Exif.Image.Make", std::string("Glimra"));
  replace.SetChildT("Exif.Image.Orientation", std::string("1"));
  replace.SetChildT("Exif.Photo.UserComment", std::string("charset=Ascii fuzz"));
  Proc::ImageMetadata::Create(path, nullptr)->Write(exif, nullptr);
}

// Save settings for a file in the temporary folder, with every metadata flag set.
Core::Property SaveSettings(bool jpeg) {
  Core::Property settings(Proc::IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(Conf::IFormatFile::TAG_FILENAME, g_folder + (jpeg ? "saved.jpg" : "saved.png"));
  settings.SetChildT(Conf::IFormatCodec::TAG_CODEC_ID,
                     std::string(jpeg ? Conf::IFormatCodecVideo::CODEC_ID_MJPEG : Conf::IFormatCodecVideo::CODEC_ID_PNG));
  settings.SetChildT(Conf::IFormatFile::TAG_FILE_EXTENSION, std::string(jpeg ? "jpg" : "png"));
  for (const char* flag : {Proc::IImageMetadata::SAVE_EXIF, Proc::IImageMetadata::SAVE_IPTC,
                           Proc::IImageMetadata::SAVE_COMMENT, Proc::IImageMetadata::SAVE_XMP,
                           Proc::IImageMetadata::SAVE_THUMBNAIL, Proc::IImageMetadata::UPDATE_THUMBNAIL}) {
    settings.SetChildT(flag, true);
  }
  return settings;
}

Glimra::IGlimraCore::Initializer MakeInit() {
  Glimra::IGlimraCore::Initializer init;
  init.version = "1.0";
  init.sessionId = SESSION_ID;
  init.filePath = g_picture;
  init.tempFolder = g_folder;
  auto counter = std::make_shared<int>(0);
  init.tempNameGenerator = [counter] { return "swap" + std::to_string(++*counter); };
  init.statisticsHandler = &g_statistics;
  return init;
}

// The folder without its separator, as the metadata records it.
std::string Folder() { return g_folder.substr(0, g_folder.size() - 1); }

std::string SessionPath() { return g_folder + SESSION_ID + ".json"; }

// Removes everything in the folder but the picture.
void ClearFolder() {
  DIR* dir = ::opendir(g_folder.c_str());
  if (!dir) std::abort();
  while (const dirent* entry = ::readdir(dir)) {
    const std::string path = g_folder + entry->d_name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && path != g_picture) ::unlink(path.c_str());
  }
  ::closedir(dir);
}

// An edited session as the program leaves it: three image steps, the second current, with mask
// steps and brush and paint settings.
std::string BuildRealSession() {
  boost::intrusive_ptr<Glimra::GlimraCore> engine(new Glimra::GlimraCore(MakeInit()));
  const Glimra::GlimraUndoPtr& store = engine->GetUndoStore();
  const uint32_t w = store->GetVideo()->GetWidth();
  const uint32_t h = store->GetVideo()->GetHeight();
  Core::Property info(Glimra::IGlimraUndo::TAG_FRAME_INFO);
  info.SetChild(Glimra::IGlimraDrawer::TAG_EFFECT_SETTINGS).SetChildT("value", 7);
  store->Add(info, Picture(w, h, 3), DataVideoPtr());
  store->AddMask(Mask(w, h, 4, 5, 6));
  store->AddMask(Mask(w, h, 10, 2, 3));
  store->Add(info, Picture(w, h, 7), Mask(w, h, 1, 1, 2));
  engine->Undo();
  Core::Property brush(Glimra::IGlimraBrush::CLASS_ID);
  brush.SetChildT(Glimra::IGlimraBrush::TAG_BRUSH_TYPE, Glimra::IGlimraBrush::SQUARE);
  brush.SetChildT(Conf::IFormatCodecVideo::TAG_WIDTH, 9LL);
  engine->SetBrush(brush);
  Core::Property paint(Glimra::IGlimraDrawer::CLASS_ID);
  paint.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, Glimra::IGlimraDrawer::SEL_LASSO);
  engine->PaintInit(paint);
  engine->SaveSession();
  engine.reset();

  std::string session = Core::ReadWholeFile(SessionPath());
  DIR* dir = ::opendir(g_folder.c_str());
  if (!dir) std::abort();
  while (const dirent* entry = ::readdir(dir)) {
    const std::string path = g_folder + entry->d_name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (path == g_picture || path == SessionPath()) continue;
    g_swapFiles[path] = Core::ReadWholeFile(path);
  }
  ::closedir(dir);
  if (g_swapFiles.empty()) std::abort();
  ReplaceAll(session, Folder(), PLACEHOLDER);
  return session;
}

void RemoveFolder() {
  if (g_folder.empty()) return;
  ClearFolder();
  ::unlink(g_picture.c_str());
  ::rmdir(g_folder.c_str());
}

// Writes the swap files and the session; answers whether the engine restored it.
bool Restore(const std::string& text) {
  ClearFolder();
  for (const auto& file : g_swapFiles) Core::WriteWholeFileAtomic(file.first, file.second.data(), file.second.size());
  std::string session = text;
  ReplaceAll(session, PLACEHOLDER, Folder());
  Core::WriteWholeFileAtomic(SessionPath(), session.data(), session.size());

  // A refused session falls back to the picture: the engine is made either way.
  boost::intrusive_ptr<Glimra::GlimraCore> engine(new Glimra::GlimraCore(MakeInit()));
  engine->RegisterCoreEventHandler(&g_errors);
  const DataVideoPtr video = engine->GetVideo();
  if (!video || video->GetWidth() == 0 || video->GetHeight() == 0) std::abort();
  if (engine->IsSessionRestored()) {
    for (int i = 0; i < 64 && engine->IsUndoEnabled(); ++i) engine->Undo();
    for (int i = 0; i < 64 && engine->IsRedoEnabled(); ++i) engine->Redo();
    engine->GetVideo();
    engine->Save(SaveSettings(text.size() % 2 == 0));
  }
  return engine->IsSessionRestored();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FLAGS_minloglevel = 3;  // quiet: every refused session logs warnings
  std::set_terminate(&FuzzSupport::SaveInputAndAbort);
  av_log_set_level(AV_LOG_QUIET);
  ::setenv("ZENTOR_PLUGIN_PATH", GLIMRA_FUZZ_PLUGIN_DIR, 0);
  g_folder = "/dev/shm/glimra-fuzz-session-" + std::to_string(::getpid()) + "/";
  if (::mkdir(g_folder.c_str(), 0700) != 0 && errno != EEXIST) std::abort();
  std::atexit(&RemoveFolder);
  g_picture = g_folder + "picture.png";
  WritePngWithExif(g_picture, Picture(40, 30, 1));
  const std::string session = BuildRealSession();
  // Inputs made from the real session only reach the swap files if it restores.
  if (!Restore(session)) std::abort();
  // GLIMRA_FUZZ_WRITE_SEED=file: write the real session as a seed input and stop.
  if (const char* seed = std::getenv("GLIMRA_FUZZ_WRITE_SEED")) {
    Core::WriteWholeFileAtomic(seed, session.data(), session.size());
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSupport::SetInput(data, size);
  Restore(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
