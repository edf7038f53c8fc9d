#include "Platform/FFmpeg/Libraries.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/FFmpeg/Dependencies.h"

extern "C" {
#include <libavcodec/version.h>
#include <libavformat/version.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
#include <libswscale/version.h>
}

#include <dlfcn.h>

#include <array>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace Zentor {
namespace FFmpeg {
namespace {

constexpr size_t LIBRARY_COUNT = 4;

struct Libraries {
  std::mutex mutex;
  // In the order of their dependencies, as Library numbers them.
  std::array<std::string, LIBRARY_COUNT> files = {
      "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
      "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
      "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
      "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR)};
  std::array<void*, LIBRARY_COUNT> handles = {};
  std::atomic<bool> loaded{false};
};

// Never destroyed: the stubs may run from other objects' destructors at exit.
Libraries& State() {
  static Libraries* const libraries = new Libraries;
  return *libraries;
}

// The background load, joined when the process ends so that no dlopen runs while it unwinds.
class Loader {
 public:
  void Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable()) return;
    thread_ = std::thread([] {
      try {
        Load();
      } catch (...) {  // reported by the first use
      }
    });
  }
  ~Loader() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::mutex mutex_;
  std::thread thread_;
};

}  // namespace

void Load() {
  Libraries& state = State();
  if (state.loaded.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.loaded.load(std::memory_order_relaxed)) return;
  const std::vector<std::string> folders = {SystemFolder()};
  std::set<std::string> seen = LoadedNames();
  for (size_t i = 0; i < LIBRARY_COUNT; ++i) {
    if (state.handles[i]) continue;
    seen.insert(state.files[i]);
    state.handles[i] = OpenAfterDependencies(state.files[i], folders, seen);
    if (!state.handles[i]) {
      const char* error = dlerror();
      ZENTOR_THROW_DESC(Exception, "Cannot load FFmpeg's library " + state.files[i] + ": " +
                                       (error ? error : "unknown error"));
    }
  }
  state.loaded.store(true, std::memory_order_release);
}

void LoadInBackground() {
  static Loader loader;
  loader.Start();
}

void SetFileName(Library library, const std::string& file) {
  Libraries& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.files[static_cast<size_t>(library)] = file;
}

bool Loaded() { return State().loaded.load(std::memory_order_acquire); }

void* Find(Library library, const char* name) {
  Load();
  const size_t index = static_cast<size_t>(library);
  void* function = dlsym(State().handles[index], name);
  if (!function)
    ZENTOR_THROW_DESC(Exception, std::string("FFmpeg's library ") + State().files[index] + " has no function " + name);
  return function;
}

}  // namespace FFmpeg
}  // namespace Zentor
