#include "Platform/FileIo/DataFile.h"

#include "Core/Interfaces/Exception.h"

#include <boost/exception/errinfo_errno.hpp>
#include <glog/logging.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>
#include <system_error>

namespace Zentor {
namespace Core {

IDataInput::~IDataInput() = default;
IDataOutput::~IDataOutput() = default;

namespace {

std::string ErrorText(int error) { return std::error_code(error, std::generic_category()).message(); }

// The system's error number travels along, so callers can tell a full disk from other causes.
[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path, int error) {
  ZENTOR_THROW(FileException() << TagDescription(what + " \"" + path + "\": " + ErrorText(error))
                               << boost::errinfo_errno(error));
}

// Reads up to size bytes, retrying on interruption; returns the count read (short only at the end).
size_t ReadFully(int fd, uint8_t* buffer, size_t size, const std::string& path) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buffer + done, size - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("Cannot read file", path, errno);
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

void WriteFully(int fd, const uint8_t* buffer, size_t size, const std::string& path) {
  while (size > 0) {
    const ssize_t put = ::write(fd, buffer, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      ThrowFileError("Cannot write file", path, errno);
    }
    buffer += put;
    size -= static_cast<size_t>(put);
  }
}

// Opens without blocking (a FIFO or device would hold open() or read() for good) and accepts only
// regular files; the path is looked at before the open so that no device sees an open at all.
int OpenForReading(const std::string& path, struct stat& info) {
  if (::stat(path.c_str(), &info) != 0) ThrowFileError("Cannot open file", path, errno);
  if (!S_ISREG(info.st_mode)) ZENTOR_THROW_DESC(FileException, "\"" + path + "\" is not a regular file");
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) ThrowFileError("Cannot open file", path, errno);
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    ThrowFileError("Cannot open file", path, error);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    ZENTOR_THROW_DESC(FileException, "\"" + path + "\" is not a regular file");
  }
  return fd;
}

class InputFile : public RefCounted<IDataInput> {
 public:
  explicit InputFile(const std::string& path) : path_(path) {
    struct stat info {};
    fd_ = OpenForReading(path, info);
    size_ = static_cast<uint64_t>(info.st_size);
  }
  ~InputFile() override { ::close(fd_); }

  void Read(void* buffer, size_t size) override {
    auto* out = static_cast<uint8_t*>(buffer);
    const size_t fromBuffer = std::min(size, bufferEnd_ - bufferPos_);
    if (fromBuffer > 0) {
      std::memcpy(out, buffer_.get() + bufferPos_, fromBuffer);
      bufferPos_ += fromBuffer;
      out += fromBuffer;
      size -= fromBuffer;
    }
    if (size == 0) return;
    // Large reads go straight into the caller's memory; small ones through the buffer.
    if (size >= BUFFER_SIZE) {
      const size_t got = ReadFully(fd_, out, size, path_);
      if (got < size) ThrowShortRead(size - got);
      return;
    }
    if (!buffer_) buffer_.reset(new uint8_t[BUFFER_SIZE]);
    bufferPos_ = 0;
    bufferEnd_ = ReadFully(fd_, buffer_.get(), BUFFER_SIZE, path_);
    if (bufferEnd_ < size) {
      const size_t missing = size - bufferEnd_;
      bufferPos_ = bufferEnd_;
      ThrowShortRead(missing);
    }
    std::memcpy(out, buffer_.get(), size);
    bufferPos_ = size;
  }

  uint64_t GetSize() const override { return size_; }

 private:
  static constexpr size_t BUFFER_SIZE = 256 * 1024;

  [[noreturn]] void ThrowShortRead(size_t missing) const {
    ZENTOR_THROW_DESC(FileException, "Unexpected end of file \"" + path_ + "\": " + std::to_string(missing) +
                                         " more bytes were expected");
  }

  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t bufferPos_ = 0;
  size_t bufferEnd_ = 0;
};

std::string RandomSuffix() {
  static const char ALPHABET[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 engine{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof(ALPHABET) - 2);
  std::string suffix(12, ' ');
  for (char& c : suffix) c = ALPHABET[pick(engine)];
  return suffix;
}

class OutputFile : public RefCounted<IDataOutput> {
 public:
  OutputFile(const std::string& path, DataOutputFile::Mode mode) : path_(path), mode_(mode) {
    switch (mode) {
      case DataOutputFile::TRUNCATE:
        fd_ = OpenNew(path, O_TRUNC);
        break;
      case DataOutputFile::EXCLUSIVE:
        fd_ = OpenNew(path, O_EXCL);
        break;
      case DataOutputFile::ATOMIC:
        OpenTemporary();
        break;
    }
  }

  ~OutputFile() override {
    if (fd_ >= 0 && ::close(fd_) != 0) {
      LOG(ERROR) << "Closing \"" << WrittenPath() << "\" failed: " << ErrorText(errno);
    }
    if (mode_ == DataOutputFile::ATOMIC && !committed_ && ::unlink(tempPath_.c_str()) != 0) {
      LOG(WARNING) << "Cannot remove temporary file \"" << tempPath_ << "\": " << ErrorText(errno);
    }
  }

  void Write(const void* buffer, size_t size) override {
    if (fd_ < 0) {
      ZENTOR_THROW_DESC(FileException, "Cannot write file \"" + path_ + "\": it was already finished");
    }
    WriteFully(fd_, static_cast<const uint8_t*>(buffer), size, WrittenPath());
    written_ += size;
  }

  void Commit() override {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::fsync(fd) != 0) {
      const int error = errno;
      ::close(fd);
      ThrowFileError("Cannot write file", WrittenPath(), error);
    }
    // What the file system holds must be what was handed over.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || static_cast<uint64_t>(info.st_size) != written_) {
      ::close(fd);
      ZENTOR_THROW_DESC(FileException, "Cannot write file \"" + WrittenPath() + "\": it holds " +
                                           std::to_string(info.st_size) + " bytes instead of " +
                                           std::to_string(written_));
    }
    if (::close(fd) != 0) ThrowFileError("Cannot write file", WrittenPath(), errno);
    if (mode_ != DataOutputFile::ATOMIC) return;
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) ThrowFileError("Cannot replace file", path_, errno);
    committed_ = true;
    SyncFolder();
  }

 private:
  const std::string& WrittenPath() const { return mode_ == DataOutputFile::ATOMIC ? tempPath_ : path_; }

  // Never blocks on a FIFO and never writes into anything but a regular file.
  static int OpenNew(const std::string& path, int extraFlags) {
    int fd;
    do {
      fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | extraFlags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) ThrowFileError("Cannot create file", path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      ZENTOR_THROW_DESC(FileException, "\"" + path + "\" is not a regular file");
    }
    return fd;
  }

  std::string Folder() const {
    const size_t slash = path_.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path_.substr(0, slash);
  }

  // A new hidden file next to the target; it takes the target's permissions when the target exists.
  void OpenTemporary() {
    const size_t slash = path_.rfind('/');
    const std::string prefix = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    if (base.empty()) ThrowFileError("Cannot create file", path_, EISDIR);
    if (base.size() > 64) base.resize(64);
    for (int attempt = 0; attempt < 100; ++attempt) {
      tempPath_ = prefix + "." + base + "." + RandomSuffix() + ".tmp";
      do {
        fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
      } while (fd_ < 0 && errno == EINTR);
      if (fd_ >= 0) break;
      if (errno != EEXIST) ThrowFileError("Cannot create a temporary file for", path_, errno);
    }
    if (fd_ < 0) ThrowFileError("Cannot create a temporary file for", path_, EEXIST);
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::fchmod(fd_, info.st_mode & 07777);
  }

  // Makes the rename durable; a failure here leaves a finished file, so it is only logged.
  void SyncFolder() const {
    const int dir = ::open(Folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    if (::fsync(dir) != 0 && errno != EINVAL) {
      LOG(WARNING) << "Cannot sync folder of \"" << path_ << "\": " << ErrorText(errno);
    }
    ::close(dir);
  }

  std::string path_;
  std::string tempPath_;
  DataOutputFile::Mode mode_;
  int fd_ = -1;
  uint64_t written_ = 0;
  bool committed_ = false;
};

}  // namespace

DataInputPtr DataInputFile::Create(const std::string& path) { return DataInputPtr(new InputFile(path)); }

DataOutputPtr DataOutputFile::Create(const std::string& path, Mode mode) {
  return DataOutputPtr(new OutputFile(path, mode));
}

std::string ReadWholeFile(const std::string& path) {
  struct stat info {};
  const int fd = OpenForReading(path, info);
  std::string content;
  try {
    // The size is a hint only: files that report none (or change meanwhile) are read to their end.
    size_t capacity = info.st_size > 0 ? static_cast<size_t>(info.st_size) + 1 : 4096;
    size_t used = 0;
    for (;;) {
      content.resize(capacity);
      used += ReadFully(fd, reinterpret_cast<uint8_t*>(&content[0]) + used, capacity - used, path);
      if (used < capacity) break;
      capacity *= 2;
    }
    content.resize(used);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return content;
}

void WriteWholeFileAtomic(const std::string& path, const void* data, size_t size) {
  DataOutputPtr out = DataOutputFile::Create(path, DataOutputFile::ATOMIC);
  out->Write(data, size);
  out->Commit();
}

}  // namespace Core
}  // namespace Zentor
