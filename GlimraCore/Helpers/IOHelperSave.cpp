#include "GlimraCore/Helpers/IOHelperSave.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Bedrock/TempName.h"
#include "Platform/FileIo/DataFile.h"

#include <fcntl.h>
#include <glog/logging.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace Zentor {
namespace Glimra {
namespace Helpers {

namespace {

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path, int error) {
  ZENTOR_THROW_DESC(Core::FileException, what + " \"" + path + "\": " + ErrorText(error));
}

// Folder part with its trailing separator ("" for a bare name) and the name itself.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

void SyncPath(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) ThrowFileError("Cannot open file", path, errno);
  if (::fsync(fd) != 0 && errno != EINVAL) {
    const int error = errno;
    ::close(fd);
    ThrowFileError("Cannot write file", path, error);
  }
  ::close(fd);
}

// Removes the temporary file unless it was renamed over the target.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
  ~TempFileGuard() {
    if (!done_ && ::unlink(path_.c_str()) != 0 && errno != ENOENT) {
      LOG(WARNING) << "Cannot remove temporary file \"" << path_ << "\": " << ErrorText(errno);
    }
  }
  void Done() { done_ = true; }
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;

 private:
  std::string path_;
  bool done_ = false;
};

}  // namespace

bool IOHelperSave::GetResolution(const Core::Property& info, int32_t& dpi) {
  if (info.GetType() != PT_GROUP) return false;
  const auto passThrough = info.FindChild(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS);
  if (passThrough == info.end() || passThrough->GetType() != PT_GROUP) return false;
  const auto resolution = passThrough->FindChild(ResizeHelper::RESOLUTION);
  if (resolution == passThrough->end()) return false;
  double value = 0;
  try {
    value = Core::GetValue<double>(*resolution);
  } catch (const Zentor::Exception& e) {
    LOG(WARNING) << "Ignoring unreadable resolution: " << GetDescription(e, "Unknown exception");
    return false;
  }
  const double rounded = value + 0.5;
  if (!std::isfinite(rounded) || rounded < 1.0 || rounded >= double(std::numeric_limits<int32_t>::max())) {
    LOG(WARNING) << "Ignoring unusable resolution " << value;
    return false;
  }
  dpi = static_cast<int32_t>(rounded);
  return true;
}

std::string IOHelperSave::ResolutionText(int32_t dpi) { return std::to_string(dpi); }

void IOHelperSave::CopyChildren(Core::Property& target, const Core::Property& group) {
  for (size_t i = 0; i < group.Count(); ++i) {
    const Core::Property& child = group[i];
    target.SetChild(child.GetName()).CopyDataFrom(child);
  }
}

bool IOHelperSave::GetFlag(const Core::Property& settings, const std::string& name, bool fallback) {
  if (settings.GetType() != PT_GROUP || !settings.ChildExists(name)) return fallback;
  return Core::GetValue<bool>(settings[name]);
}

void IOHelperSave::ThumbnailSize(uint32_t width, uint32_t height, uint32_t maxSide, uint32_t& thumbWidth,
                                 uint32_t& thumbHeight) {
  const uint64_t longer = std::max<uint64_t>(std::max(width, height), 1);
  // 64 bits: a 2^18-pixel side times the thumbnail side stays far inside the range.
  uint64_t w = uint64_t(width) * maxSide / longer;
  uint64_t h = uint64_t(height) * maxSide / longer;
  w &= ~uint64_t(1);
  h &= ~uint64_t(1);
  // The resize and the JPEG encoder need a picture; a sliver of a picture keeps two pixels.
  thumbWidth = static_cast<uint32_t>(std::max<uint64_t>(w, 2));
  thumbHeight = static_cast<uint32_t>(std::max<uint64_t>(h, 2));
}

bool IOHelperSave::IsBlankMask(const Proc::IDataVideo& mask) {
  const Proc::Picture& picture = mask.GetPicture();
  const size_t rowBytes = mask.GetWidth();
  for (uint32_t y = 0; y < mask.GetHeight(); ++y) {
    const uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
    if (std::find_if(row, row + rowBytes, [](uint8_t v) { return v != 0; }) != row + rowBytes) return false;
  }
  return true;
}

std::string IOHelperSave::ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::string target(size_t(info.st_size > 0 ? info.st_size : 256) + 1, '\0');
    const ssize_t length = ::readlink(current.c_str(), &target[0], target.size());
    if (length < 0) ThrowFileError("Cannot follow the link", current, errno);
    target.resize(size_t(length));
    if (!target.empty() && target[0] != '/') {
      std::string folder;
      std::string name;
      SplitPath(current, folder, name);
      target = folder + target;
    }
    current = target;
  }
  ThrowFileError("Cannot follow the link", path, ELOOP);
}

void IOHelperSave::CheckWritableTarget(const std::string& path) {
  std::string folder;
  std::string name;
  SplitPath(path, folder, name);
  if (name.empty()) ThrowFileError("Cannot create file", path, EISDIR);
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) ZENTOR_THROW_DESC(Core::FileException, "\"" + path + "\" is not a regular file");
    // The replacement is a new file: the other names of the old one would keep the old picture.
    if (info.st_nlink > 1) {
      ZENTOR_THROW_DESC(Core::FileException,
                        "\"" + path + "\" has other hard links; saving would separate it from them");
    }
    // The superuser may write anything; a file without any write permission still counts as
    // read-only for it.
    if (::access(path.c_str(), W_OK) != 0 || (::geteuid() == 0 && (info.st_mode & 0222) == 0)) {
      ZENTOR_THROW_DESC(Core::FileException, "\"" + path + "\" is read-only");
    }
  } else if (errno != ENOENT) {
    ThrowFileError("Cannot write file", path, errno);
  }
  const std::string dir = folder.empty() ? std::string(".") : folder;
  if (::access(dir.c_str(), W_OK | X_OK) != 0) ThrowFileError("Cannot write into the folder of", path, errno);
}

void IOHelperSave::WriteFileReplacing(const std::string& requested, const IBlob& bytes, const FileFinisher& finish) {
  // A link stays a link: the file it points to is the one replaced.
  const std::string path = ResolveLinks(requested);
  CheckWritableTarget(path);
  std::string folder;
  std::string name;
  SplitPath(path, folder, name);
  if (name.size() > 64) name.resize(64);

  // A hidden name beside the target: the rename stays inside one file system.
  const std::string unique = Core::GenerateTempFileName(folder.empty() ? std::string(".") : folder);
  const std::string tempPath = folder + "." + name + "." + unique.substr(unique.rfind('/') + 1) + ".tmp";
  Core::DataOutputPtr output = Core::DataOutputFile::Create(tempPath, Core::DataOutputFile::EXCLUSIVE);
  TempFileGuard guard(tempPath);
  output->Write(bytes.Data(), bytes.Size());
  if (finish) {
    // The finisher rewrites the file and the whole of it is flushed after that: here it only has
    // to hold every byte.
    output.reset();
    struct stat written {};
    if (::stat(tempPath.c_str(), &written) != 0 || static_cast<uint64_t>(written.st_size) != bytes.Size()) {
      ZENTOR_THROW_DESC(Core::FileException, "Cannot write file \"" + tempPath + "\": it is incomplete");
    }
  } else {
    // Flushes the file to disk and checks that it holds every byte.
    output->Commit();
    output.reset();
  }

  if (finish) {
    finish(tempPath);
    // The finisher may have rewritten the file: make that durable too.
    SyncPath(tempPath, O_RDONLY);
  }

  // Given only now: a read-only mode would keep the finisher from writing.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
      ::chmod(tempPath.c_str(), info.st_mode & 07777) != 0) {
    LOG(WARNING) << "Cannot give \"" << tempPath << "\" the permissions of \"" << path << "\": " << ErrorText(errno);
  }

  if (::rename(tempPath.c_str(), path.c_str()) != 0) ThrowFileError("Cannot replace file", path, errno);
  guard.Done();
  try {
    SyncPath(folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY);
  } catch (const Zentor::Exception& e) {
    // The file is complete; only the durability of the rename is in doubt.
    LOG(WARNING) << GetDescription(e, "Cannot sync the folder of " + path);
  }
}

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
