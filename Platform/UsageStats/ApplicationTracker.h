// The usage tracker of this build. Nothing leaves the machine: once initialised, every event is
// appended as one JSON line to `usage.jsonl` in the program's data folder, where the user can
// read what would have been sent. Before Initialize and after Deinitialize nothing is written.
#pragma once

#include "Platform/UsageStats/IApplicationTracker.h"

#include <QJsonObject>
#include <QString>

namespace Zentor {
namespace Tracking {

// GUI thread only, like the statistics handler that drives it.
class ApplicationTracker : public RefCounted<IApplicationTracker> {
 public:
  ApplicationTracker();

  // Fails when the data folder cannot be made.
  bool Initialize(const std::string& initialization, int, int, int, int) override;
  bool Deinitialize() override;
  bool TrackEvent(const std::string& name, const StringParameters& parameters) override;
  bool TrackEvent(const std::string& name, const IntParameters& parameters) override;
  bool TrackException(const std::string& first, const std::string& second, const std::string& third) override;

  QString FilePath() const;

  static const char* const FILE_NAME;

 private:
  bool Append(QJsonObject line) const;

  QString folder_;
  bool initialized_ = false;
  QString userId_;
  QString productVersion_;
};

}  // namespace Tracking
}  // namespace Zentor
