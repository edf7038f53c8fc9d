// File permissions that hold for the test even when it runs as root.
#pragma once

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace TestSupport {

// Takes the capabilities that let root read and search anything out of the calling thread's
// effective set while it lives, and makes the file unreadable; both are undone at the end.
class UnreadableFile {
 public:
  explicit UnreadableFile(std::string path) : path_(std::move(path)) {
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (::syscall(SYS_capget, &header_, saved_) == 0) {
      __user_cap_data_struct lowered[2];
      std::memcpy(lowered, saved_, sizeof lowered);
      for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) lowered[cap / 32].effective &= ~(1u << (cap % 32));
      lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ::chmod(path_.c_str(), 0);
  }
  ~UnreadableFile() {
    if (lowered_) ::syscall(SYS_capset, &header_, saved_);
    ::chmod(path_.c_str(), 0644);
  }
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;

  // False where the file still opens (a file system without permissions): the case cannot be made.
  bool Holds() const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
    return fd < 0 && errno == EACCES;
  }

 private:
  std::string path_;
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool lowered_ = false;
};

}  // namespace TestSupport
