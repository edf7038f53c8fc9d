#include "Platform/AppShell/RegularFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <utility>

namespace Zentor {
namespace App {

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

FileReadResult ReadResource(const QString& path, qint64 maxSize, QByteArray& contents) {
  QFile file(path);
  if (!file.exists()) return FileReadResult::Missing;
  if (file.size() > maxSize) return FileReadResult::TooLarge;
  if (!file.open(QIODevice::ReadOnly)) return FileReadResult::Failed;
  contents = file.readAll();
  return FileReadResult::Read;
}

// The path a chain of symbolic links ends at (the path itself when it is no link). A chain that
// loops or is too long ends where it stopped; the write to it then fails or is refused.
std::string FollowLinks(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) break;
    target.resize(size_t(length));
    if (target.front() != '/') {
      const size_t slash = path.find_last_of('/');
      target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
    }
    path = std::move(target);
  }
  return path;
}

std::string ErrorText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

FileReadResult ReadRegularFile(const QString& path, qint64 maxSize, QByteArray& contents) {
  contents.clear();
  if (path.startsWith(QLatin1Char(':'))) return ReadResource(path, maxSize, contents);
  const QByteArray native = QFile::encodeName(path);
  struct stat info;
  if (::stat(native.constData(), &info) != 0) return errno == ENOENT ? FileReadResult::Missing : FileReadResult::Failed;
  if (!S_ISREG(info.st_mode)) return FileReadResult::NotRegular;
  if (info.st_size > maxSize) return FileReadResult::TooLarge;
  // Non-blocking, so that a FIFO put in its place since the check cannot hold the open.
  Descriptor fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.Get() < 0) return errno == ENOENT ? FileReadResult::Missing : FileReadResult::Failed;
  if (::fstat(fd.Get(), &info) != 0) return FileReadResult::Failed;
  if (!S_ISREG(info.st_mode)) return FileReadResult::NotRegular;
  if (info.st_size > maxSize) return FileReadResult::TooLarge;
  QByteArray read;
  read.resize(qsizetype(info.st_size) + 1);
  qsizetype used = 0;
  for (;;) {
    if (used == read.size()) {
      if (used > maxSize) return FileReadResult::TooLarge;
      read.resize(used * 2 + 1);
    }
    const ssize_t got = ::read(fd.Get(), read.data() + used, size_t(read.size() - used));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FileReadResult::Failed;
    if (got == 0) break;
    used += got;
  }
  if (used > maxSize) return FileReadResult::TooLarge;
  read.resize(used);
  contents = std::move(read);
  return FileReadResult::Read;
}

const char* DescribeFileRead(FileReadResult result) {
  switch (result) {
    case FileReadResult::Read: return "was read";
    case FileReadResult::Missing: return "does not exist";
    case FileReadResult::NotRegular: return "is not a regular file";
    case FileReadResult::TooLarge: return "is too large";
    case FileReadResult::Failed: break;
  }
  return "cannot be read";
}

bool WriteFileAtomically(const QString& path, const QByteArray& contents, std::string& error) {
  const std::string target = FollowLinks(QFile::encodeName(path).toStdString());
  struct stat info;
  const bool exists = ::stat(target.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    error = target + " is not a regular file; it is left as it is";
    return false;
  }
  const size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temporary = folder + "/." + name + ".XXXXXX";
  Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.Get() < 0) {
    error = ErrorText("Cannot write beside", target);
    return false;
  }
  const auto fail = [&](const std::string& what) {
    error = ErrorText(what, target);
    ::unlink(temporary.c_str());
    return false;
  };
  // A file that existed keeps its permissions; a new one gets those a plain create would give.
  mode_t mode = exists ? (info.st_mode & 07777) : 0666;
  if (!exists) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd.Get(), mode) != 0) return fail("Cannot set the permissions for");
  const char* data = contents.constData();
  size_t left = size_t(contents.size());
  while (left > 0) {
    const ssize_t written = ::write(fd.Get(), data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return fail("Cannot write");
    data += written;
    left -= size_t(written);
  }
  if (::fsync(fd.Get()) != 0) return fail("Cannot write");
  if (::close(fd.Release()) != 0) return fail("Cannot write");
  // Checked again right before the rename: what took the file's place meanwhile stays too.
  if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    ::unlink(temporary.c_str());
    error = target + " is not a regular file; it is left as it is";
    return false;
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail("Cannot replace");
  return true;
}

}  // namespace App
}  // namespace Zentor
