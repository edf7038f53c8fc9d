#include "Engine/ErrorPath.h"

#include <boost/exception/diagnostic_information.hpp>
#include <glog/logging.h>

namespace Zentor {
namespace Glimra {

namespace {

ErrorPath::Handler& CurrentHandler() {
  static ErrorPath::Handler handler;
  return handler;
}

}  // namespace

void ErrorPath::SetHandler(Handler handler) { CurrentHandler() = std::move(handler); }

void ErrorPath::Report(const boost::exception_ptr& error) {
  if (!error) return;
  // A copy, so a handler that replaces itself does not run on freed state.
  const Handler handler = CurrentHandler();
  if (!handler) {
    LOG(ERROR) << boost::diagnostic_information(error);
    return;
  }
  try {
    handler(error);
  } catch (...) {
    LOG(ERROR) << "The error handler failed: " << boost::current_exception_diagnostic_information();
  }
}

void ErrorPath::ReportCurrent() { Report(boost::current_exception()); }

}  // namespace Glimra
}  // namespace Zentor
