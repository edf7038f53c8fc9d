#include "Platform/Bedrock/TempName.h"

#include "Core/Interfaces/Exception.h"

#include <sys/stat.h>

#include <chrono>
#include <mutex>
#include <random>
#include <thread>
#include <unordered_set>

namespace Zentor {
namespace Core {

namespace {

constexpr size_t kNameLength = 16;
constexpr int kMaxAttempts = 1000;

std::string RandomName() {
  static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 engine = [] {
    std::random_device device;
    std::seed_seq seed{static_cast<uint64_t>(device()), static_cast<uint64_t>(device()),
                       static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()),
                       static_cast<uint64_t>(std::hash<std::thread::id>()(std::this_thread::get_id()))};
    return std::mt19937_64(seed);
  }();
  std::uniform_int_distribution<size_t> pick(0, sizeof(alphabet) - 2);
  std::string name(kNameLength, '\0');
  for (char& c : name) c = alphabet[pick(engine)];
  return name;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string GenerateTempFileName(const std::string& folder, const std::string& extension) {
  static std::mutex issuedLock;
  static std::unordered_set<std::string> issued;

  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  std::string suffix = extension;
  if (!suffix.empty() && suffix[0] != '.') suffix.insert(0, 1, '.');

  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    const std::string name = RandomName();
    const std::string bare = prefix + name;
    const std::string path = bare + suffix;
    if (Exists(path) || Exists(bare)) continue;
    std::lock_guard<std::mutex> lock(issuedLock);
    if (issued.insert(name).second) return path;
  }
  ZENTOR_THROW_DESC(FileException, "Cannot find a free temporary file name in \"" + folder + "\".");
}

}  // namespace Core
}  // namespace Zentor
