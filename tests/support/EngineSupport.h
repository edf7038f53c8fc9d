// Pieces shared by the engine, save and operation tests: a temporary folder, pictures encoded
// through the codec framework, recording handlers, a log capture and engine initializers.
#pragma once

#include "support/FrameSupport.h"

#include "Core/Interfaces/Property.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/FileIo/DataFile.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <boost/exception_ptr.hpp>
#include <boost/filesystem.hpp>
#include <glog/logging.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

namespace Glimra = Zentor::Glimra;

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix)
      : path_(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path(prefix + "-%%%%-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
  }
  // Ends with a separator, as the engine expects.
  std::string Folder() const { return path_.string() + "/"; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of the files in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : boost::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  boost::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) { return Zentor::Core::ReadWholeFile(path); }

inline void WriteFile(const std::string& path, const std::string& bytes) {
  Zentor::Core::WriteWholeFileAtomic(path, bytes.data(), bytes.size());
}

// The codec framework's preset for the codec.
inline Zentor::Core::Property CodecPreset(const char* codecId) {
  return Zentor::Core::CreateDataHelper(Zentor::Conf::IPreset::KEY_FILTER_VIDEO_CODEC, codecId)->GetSettings();
}

// Encodes a frame with the given codec settings and writes the file.
inline void WriteEncoded(const std::string& path, const Zentor::Proc::DataVideoPtr& frame,
                         const Zentor::Core::Property& settings) {
  Zentor::Proc::StreamVideoPtr stream(new Zentor::Proc::StreamOneFrameVideo(frame));
  const Zentor::BlobPtr bytes = Zentor::Core::GetCodecFactory()->CreateEncoder(stream, settings)->ReadPacket();
  Zentor::Core::WriteWholeFileAtomic(path, bytes->Data(), bytes->Size());
}

class NoStatistics : public Glimra::IStatisticsEventHandler {
 public:
  void TrackEventString(const std::string&, const StringParameters&) override {}
  void TrackEventInt(const std::string&, const IntParameters&) override {}
  void TrackException(const std::string&, const std::string&, const std::string&) override {}
};

// Records the names of the events.
class StatisticsHandler : public NoStatistics {
 public:
  void TrackEventString(const std::string& name, const StringParameters&) override { names.push_back(name); }
  void TrackEventInt(const std::string& name, const IntParameters&) override { names.push_back(name); }
  std::vector<std::string> names;
};

class CoreHandler : public Glimra::ICoreEventHandler {
 public:
  void Throw(boost::exception_ptr error) override { errors.push_back(error); }
  // Rethrows error i so that a test can look at its type.
  void Rethrow(size_t i) const { boost::rethrow_exception(errors.at(i)); }
  std::vector<boost::exception_ptr> errors;
};

class DrawerHandler : public Glimra::IDrawerEventHandler {
 public:
  void HandleEvent() override { ++events; }
  void HandleEventChangeToSave(bool changed) override { changes.push_back(changed); }
  int events = 0;
  std::vector<bool> changes;
};

// Collects the log lines of the given severity and above while it exists; they reach it even
// when the run hides them.
class LogCapture : public google::LogSink {
 public:
  explicit LogCapture(google::LogSeverity lowest = google::GLOG_INFO) : level_(FLAGS_minloglevel) {
    FLAGS_minloglevel = std::min<int>(level_, lowest);
    google::AddLogSink(this);
  }
  ~LogCapture() override {
    google::RemoveLogSink(this);
    FLAGS_minloglevel = level_;
  }
  void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
            const char* message, size_t length) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.emplace_back(severity, std::string(message, length));
  }
  std::vector<std::pair<google::LogSeverity, std::string>> Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // The texts of the lines of exactly this severity.
  std::vector<std::string> Texts(google::LogSeverity severity) {
    std::vector<std::string> texts;
    for (const auto& line : Lines()) {
      if (line.first == severity) texts.push_back(line.second);
    }
    return texts;
  }

 private:
  const int level_;
  std::mutex mutex_;
  std::vector<std::pair<google::LogSeverity, std::string>> lines_;
};

// Names that never repeat, as the program's temporary-name function gives them.
inline std::function<std::string()> NameGenerator(const std::string& prefix = "swap") {
  auto counter = std::make_shared<std::atomic<int>>(0);
  return [counter, prefix] { return prefix + std::to_string(++*counter); };
}

// Engine settings for an image with the given temporary folder (ending with a separator).
inline Glimra::IGlimraCore::Initializer MakeInitializer(const std::string& tempFolder, const std::string& image,
                                                        Glimra::IStatisticsEventHandler* statistics,
                                                        const std::string& session = "last") {
  Glimra::IGlimraCore::Initializer init;
  init.version = "1.0";
  init.sessionId = session;
  init.filePath = image;
  init.tempFolder = tempFolder;
  init.tempNameGenerator = NameGenerator();
  init.statisticsHandler = statistics;
  return init;
}

}  // namespace TestSupport
