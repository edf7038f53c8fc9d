// Image loading and the session file of the engine object.
#include "GlimraCore/GlimraCoreIO.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/IOHelper.h"
#include "GlimraCore/Settings.h"
#include "Platform/Bedrock/PropertySerializer.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/ServiceClient/ClientAPI.h"
#include "Proc/Interfaces/IEffectVideoIO.h"

#include <boost/exception/errinfo_errno.hpp>
#include <boost/exception/errinfo_file_name.hpp>
#include <glog/logging.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>
#include <utility>

namespace Zentor {
namespace Glimra {

using Proc::DataVideoPtr;

namespace {

bool HasPicture(const DataVideoPtr& frame) { return frame && frame->GetWidth() > 0 && frame->GetHeight() > 0; }

// One warning for a decoder that failed.
void LogDecodeFailure() {
  try {
    throw;
  } catch (const Zentor::Exception& e) {
    LOG(WARNING) << GetDescription(e, "Unknown io error");
  } catch (const std::exception& e) {
    LOG(WARNING) << e.what();
  } catch (...) {
    LOG(WARNING) << "Unknown io error";
  }
}

// The file name travels with a failure to reach the file, so the program can tell it from a
// file that is no picture.
[[noreturn]] void ThrowCannotOpen(const std::string& path, int error) {
  ZENTOR_THROW(IOException() << TagDescription("Cannot open \"" + path + "\": " +
                                               std::error_code(error, std::generic_category()).message())
                             << boost::errinfo_errno(error) << boost::errinfo_file_name(path));
}

// Only a regular file that may be read is handed to the decoders: a FIFO or a device would block
// them for good, and each decoder would report an unreadable file as no picture.
void CheckPictureFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) ThrowCannotOpen(path, errno);
  if (!S_ISREG(info.st_mode)) {
    ZENTOR_THROW(IOException() << TagDescription("\"" + path + "\" is not a regular file")
                               << boost::errinfo_file_name(path));
  }
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) ThrowCannotOpen(path, errno);
  ::close(fd);
}

// Device and inode of every swap file a session data tree names.
void CollectSwapFiles(const Core::Property& node, std::set<std::pair<dev_t, ino_t>>& files) {
  if (node.GetType() == PT_STRING && node.GetName() == Conf::IFormatFile::TAG_FILENAME) {
    struct stat info {};
    if (::stat(node.GetString().c_str(), &info) == 0) files.insert({info.st_dev, info.st_ino});
    return;
  }
  if (node.GetType() != PT_GROUP) return;
  for (const Core::Property& child : node) CollectSwapFiles(child, files);
}

// True for a file that starts with the leading field every swap file has.
bool IsSwapFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  char leading[8];
  const bool swap = ::read(fd, leading, sizeof leading) == ssize_t(sizeof leading) &&
                    std::memcmp(leading, Proc::DataVideoFF::LEADING_FIELD, sizeof leading) == 0;
  ::close(fd);
  return swap;
}

// The single child of a wrapping node.
const Core::Property& FirstChild(const Core::Property& node) { return node[size_t(0)]; }

Core::Property CopyFirstChildOrEmpty(const Core::Property& session, const std::string& name) {
  if (!session.ChildExists(name)) return Core::Property(std::string());
  return FirstChild(session[name]);
}

}  // namespace

namespace IO {

DataVideoPtr DecodeImage(const Decoder& viaStream, const Decoder& viaEffectIO, Conf::FormatCodecVideoPtr& codec,
                         uint32_t smallSide) {
  DataVideoPtr frame = viaStream(codec);
  if (!HasPicture(frame)) frame.reset();
  if (frame && frame->GetWidth() < smallSide && frame->GetHeight() < smallSide) {
    // A small picture may be a preview the codec framework found first.
    const Conf::FormatCodecVideoPtr remembered = codec;
    DataVideoPtr other = viaEffectIO(codec);
    const bool better = HasPicture(other) && (other->GetWidth() > frame->GetWidth() ||
                                              (other->GetWidth() <= frame->GetWidth() &&
                                               other->GetHeight() > frame->GetHeight()));
    if (better) {
      frame = other;
    } else {
      codec = remembered;
    }
  } else if (!frame) {
    frame = viaEffectIO(codec);
    if (!HasPicture(frame)) ZENTOR_THROW(IOException());
  }
  return frame;
}

}  // namespace IO

Proc::StreamRawPtr GlimraCore::GetStreamRaw(const std::string& path) {
  CheckPictureFile(path);
  ClientAPI::MediaSourcePtr source = ClientAPI::OpenSource(path);
  const int count = source->GetStreamCount();
  for (int i = 0; i < count; ++i) {
    if (source->GetStreamType(i) != ClientAPI::IMediaSource::STREAM_TYPE_VIDEO) continue;
    Proc::StreamPtr stream = source->GetStream(i);
    Proc::StreamRawPtr raw(dynamic_cast<Proc::IStreamRaw*>(stream.get()));
    if (raw) return raw;
  }
  ZENTOR_THROW_DESC(Proc::DecoderException, "Cannot find raw video stream");
}

DataVideoPtr GlimraCore::LoadViaStream(const std::string& path, Conf::FormatCodecVideoPtr& codec) const {
  try {
    Proc::StreamRawPtr raw = GetStreamRaw(path);
    Proc::StreamVideoPtr decoder = Core::GetCodecFactory()->CreateDecoder(raw);
    DataVideoPtr frame = decoder->Read();
    Conf::FormatCodecVideoPtr description = decoder->GetFormatCodec();
    codec = description;
    return frame;
  } catch (...) {
    LogDecodeFailure();
  }
  return DataVideoPtr();
}

DataVideoPtr GlimraCore::LoadViaEffectIO(const std::string& path, Conf::FormatCodecVideoPtr& codec) const {
  try {
    Core::Property settings(Proc::IEffectVideoIO::CLASS_ID);
    settings.SetChildT(Proc::IEffectVideoIO::OPERATION, std::string(Proc::IEffectVideoIO::READ));
    settings.SetChildT(Conf::IFormatFile::TAG_FILENAME, path);
    Proc::OneInputEffectPtr reader = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
        Proc::IEffectVideoIO::CLASS_ID, Proc::ImplNames::DEFAULT);
    reader->SetSettings(settings);
    DataVideoPtr frame;
    reader->Process(frame);
    Conf::FormatCodecVideoPtr description = Conf::IFormatCodecVideo::Create();
    reader->UpdateFormatCodec(*description);
    codec = description;
    return frame;
  } catch (...) {
    LogDecodeFailure();
  }
  return DataVideoPtr();
}

Core::Property GlimraCore::LoadPrepare(DataVideoPtr& frame, const std::string& path,
                                       const Conf::FormatCodecVideoPtr& codec,
                                       const Proc::ImageMetadataPtr& imageMetadata) const {
  workingConverter->Process(frame);
  Core::Property tree(IGlimraUndo::TAG_FRAME_INFO);
  tree.SetChild(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS).SetChild(Settings::FORMAT_SAVE_SETTINGS);
  Helpers::IOHelper::LoadPrepareOrientation(tree, frame, imageMetadata);
  const std::string codecId = codec ? codec->GetCodecId() : std::string(Conf::IFormatCodec::CODEC_ID_NONE);
  Helpers::IOHelper::LoadPrepareResolution(tree, path, codecId, imageMetadata);
  Helpers::IOHelper::LoadPrepareCompression(tree, imageMetadata);
  return tree;
}

std::string GlimraCore::NormalizeFolder(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + '/';
}

std::string GlimraCore::GetSessionPath() const { return tempFolder + sessionId + Settings::SAVE_PROPERTY_EXTENTION; }

std::string GlimraCore::GetRefusedSessionPath() const {
  return tempFolder + sessionId + ".refused" + Settings::SAVE_PROPERTY_EXTENTION;
}

void GlimraCore::KeepRefusedSession() const {
  const std::string path = GetSessionPath();
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return;
  if (::rename(path.c_str(), GetRefusedSessionPath().c_str()) == 0) {
    LOG(WARNING) << "The refused session is kept as " << GetRefusedSessionPath();
  } else {
    LOG(WARNING) << "Cannot keep the refused session " << path << ": " << std::strerror(errno);
  }
}

GlimraCore::SessionState GlimraCore::LoadSessionImpl(const std::string& path) const {
  SessionState state;
  state.filePath = path;
  Conf::FormatCodecVideoPtr codec = formatCodec;
  const IO::Decoder viaStream = [this, &path](Conf::FormatCodecVideoPtr& c) { return LoadViaStream(path, c); };
  const IO::Decoder viaEffectIO = [this, &path](Conf::FormatCodecVideoPtr& c) { return LoadViaEffectIO(path, c); };
  CheckPictureFile(path);
  DataVideoPtr frame;
  try {
    frame = IO::DecodeImage(viaStream, viaEffectIO, codec, SMALL_PICTURE_SIDE);
  } catch (IOException& e) {
    e << TagDescription("\"" + path + "\" is not a picture");
    throw;
  }
  LOG(INFO) << "Decoded " << frame->GetWidth() << "x" << frame->GetHeight();
  state.formatCodec = codec;
  state.metadata = Proc::ImageMetadata::Create(path, codec);
  state.undoStore = IGlimraUndo::Create(tempFolder, sessionId, tempNameGenerator);
  const Core::Property info = LoadPrepare(frame, path, codec, state.metadata);
  // Nothing else holds the freshly decoded picture: the store keeps it rather than a copy.
  state.undoStore->AddWithoutCopy(info, frame, DataVideoPtr());
  state.undoStore->SetSaved(true);
  return state;
}

GlimraCore::SessionState GlimraCore::LoadSessionImpl(const Core::Property& session) const {
  if (session.GetName() != Settings::SAVE_PROPERTY_NAME) ZENTOR_THROW(IOException());
  std::string written;
  if (!Core::GetValue(written, session, Settings::VERSION_NUMBER) || written != version) {
    LOG(WARNING) << "Version was changed from last session";
  }

  SessionState state;
  state.undoStore = IGlimraUndo::Create(tempFolder, sessionId, tempNameGenerator);
  state.undoStore->Load(session[Settings::SAVE_PROPERTY_DATA]);
  // The current picture and mask come back from their swap files now, so a damaged current
  // state refuses the session here rather than on first use.
  if (!state.undoStore->GetVideo()) ZENTOR_THROW_DESC(IOException, "The session has no current picture");
  state.undoStore->GetMask();

  state.saveSettings = CopyFirstChildOrEmpty(session, Settings::SAVE_PROPERTY_SAVE);
  state.brushSettings = CopyFirstChildOrEmpty(session, Settings::SAVE_PROPERTY_BRUSH);
  state.paintSettings = CopyFirstChildOrEmpty(session, Settings::SAVE_PROPERTY_PAINT);

  state.formatCodec = Conf::IFormatCodecVideo::Create();
  state.formatCodec->SetSettings(FirstChild(session[Settings::SAVE_PROPERTY_FORMAT_CODEC]));
  state.filePath = Core::GetValue<std::string>(session[Settings::FILE]);

  state.metadata = Proc::ImageMetadata::Create(session);
  if (!state.metadata) state.metadata = Proc::ImageMetadata::Create(state.filePath, state.formatCodec);
  return state;
}

void GlimraCore::LoadSession() {
  const std::string path = GetSessionPath();
  SessionState state;
  bool restored = false;
  try {
    LOG(INFO) << "Trying to load last session";
    Core::Property session{std::string()};
    {
      Core::DataInputPtr input = Core::DataInputFile::Create(path);
      Core::PropertySerializer::Deserialize(session, *input, true);
    }
    state = LoadSessionImpl(session);
    LOG(INFO) << "Last session loaded";
    restored = true;
    RemoveOrphanFiles(session[Settings::SAVE_PROPERTY_DATA]);
  } catch (const Zentor::Exception& e) {
    LOG(WARNING) << path << ": " << GetDescription(e, "Unknown exception");
  } catch (const std::exception& e) {
    LOG(WARNING) << path << ": " << e.what();
  }
  if (!restored) {
    // Nothing of the refused session is used, and its files stay until the program removes the
    // folder. Without a session file, the swap files left by a run that ended before it wrote
    // one go before the new session writes any.
    state = SessionState();
    KeepRefusedSession();
    RemoveOrphanFiles(Core::Property(std::string()));
    LOG(INFO) << "Trying to create new session";
    state = LoadSessionImpl(filePath);
    LOG(INFO) << "New session created";
  }

  sessionRestored = restored;
  undoStore = std::move(state.undoStore);
  formatCodec = std::move(state.formatCodec);
  metadata = std::move(state.metadata);
  filePath = std::move(state.filePath);
  if (restored) {
    saveSettings = std::move(state.saveSettings);
    brushSettings = std::move(state.brushSettings);
    paintSettings = std::move(state.paintSettings);
    // Painting right after the restore needs the brush of the restored settings.
    if (!Core::IsEmptyProperty(brushSettings)) {
      try {
        brush = GlimraBrush::Create(brushSettings);
      } catch (const Zentor::Exception& e) {
        LOG(WARNING) << "Cannot rebuild the brush of the last session: " << GetDescription(e, "Unknown exception");
      } catch (const std::exception& e) {
        LOG(WARNING) << "Cannot rebuild the brush of the last session: " << e.what();
      }
    }
  }
}

void GlimraCore::RemoveOrphanFiles(const Core::Property& data) const {
  std::set<std::pair<dev_t, ino_t>> kept;
  CollectSwapFiles(data, kept);
  const std::string folder = tempFolder.empty() ? std::string("./") : tempFolder;
  // Leftovers of an interrupted atomic write of the session file.
  const std::string sessionName = sessionId + Settings::SAVE_PROPERTY_EXTENTION;
  const std::string temporaryPrefix = "." + sessionName.substr(0, 64) + ".";
  struct stat refused {};
  const bool keepSwapFiles = ::lstat(GetRefusedSessionPath().c_str(), &refused) == 0;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    LOG(WARNING) << "Cannot list the temporary folder " << folder << ": " << std::strerror(errno);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    const std::string path = folder + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (kept.count({info.st_dev, info.st_ino}) != 0 || name == sessionName) continue;
    const bool temporary = name.compare(0, temporaryPrefix.size(), temporaryPrefix) == 0 &&
                           name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    if (!temporary && (keepSwapFiles || !IsSwapFile(path))) continue;
    if (::unlink(path.c_str()) == 0) {
      VLOG(1) << "Removed unused file " << path;
    } else {
      LOG(WARNING) << "Cannot remove unused file " << path << ": " << std::strerror(errno);
    }
  }
  ::closedir(dir);
}

void GlimraCore::SaveSessionImpl() {
  Core::Property root(Settings::SAVE_PROPERTY_NAME);
  root.SetChildT(Settings::VERSION_NUMBER, version);
  root.SetChildT(Settings::FILE, filePath);
  const Core::Property codecTree = formatCodec ? formatCodec->GetSettings() : Core::Property(std::string());
  root.SetChild(Settings::SAVE_PROPERTY_FORMAT_CODEC).Add(codecTree);

  const std::pair<const std::string*, const Core::Property*> settings[] = {
      {&Settings::SAVE_PROPERTY_PAINT, &paintSettings},
      {&Settings::SAVE_PROPERTY_BRUSH, &brushSettings},
      {&Settings::SAVE_PROPERTY_SAVE, &saveSettings},
  };
  for (const auto& entry : settings) {
    if (!Core::IsEmptyProperty(*entry.second)) root.SetChild(*entry.first).Add(*entry.second);
  }

  if (metadata) {
    const Core::Property& tree = metadata->GetMetadata();
    if (!Core::IsEmptyProperty(tree)) root.Add(tree);
  }

  // Every swap write has ended when Save returns; a failed one leaves the old session file alone.
  undoStore->Save(root.SetChild(Settings::SAVE_PROPERTY_DATA));

  // Written beside the old file and renamed over it only when complete.
  Core::DataOutputPtr output = Core::DataOutputFile::Create(GetSessionPath(), Core::DataOutputFile::ATOMIC);
  Core::PropertySerializer::Serialize(root, *output, true);
  output->Commit();
  output.reset();
  RemoveOrphanFiles(root[Settings::SAVE_PROPERTY_DATA]);
}

}  // namespace Glimra
}  // namespace Zentor
