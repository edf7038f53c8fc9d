// The usage tracker: receives the program's usage events once it has been initialised.
#pragma once

#include "Core/Interfaces/RefCountable.h"

#include <boost/container/flat_map.hpp>
#include <boost/intrusive_ptr.hpp>

#include <string>

namespace Zentor {
namespace Tracking {

class IApplicationTracker : public IRefCountable {
 public:
  using StringParameters = boost::container::flat_map<std::string, std::string>;
  using IntParameters = boost::container::flat_map<std::string, int>;

  // `initialization` is a list of KEY=value# entries (USER_ID, PRODUCT_VERSION); the numbers are
  // reserved and 0.
  virtual bool Initialize(const std::string& initialization, int, int, int, int) = 0;
  virtual bool Deinitialize() = 0;
  virtual bool TrackEvent(const std::string& name, const StringParameters& parameters) = 0;
  virtual bool TrackEvent(const std::string& name, const IntParameters& parameters) = 0;
  virtual bool TrackException(const std::string& first, const std::string& second, const std::string& third) = 0;

  static const std::string USER_ID;
  static const std::string PRODUCT_VERSION;
};

using ApplicationTrackerPtr = boost::intrusive_ptr<IApplicationTracker>;

}  // namespace Tracking
}  // namespace Zentor
