// Where failures caught in event handlers and slots go, so that none crosses Qt's event loop.
// The main window takes them over while it exists; until then they are only logged.
#pragma once

#include <boost/exception_ptr.hpp>

#include <functional>

namespace Zentor {
namespace Glimra {

// GUI thread only.
class ErrorPath {
 public:
  using Handler = std::function<void(boost::exception_ptr)>;

  // The receiver of every reported failure; null leaves them to the log alone.
  static void SetHandler(Handler handler);
  // Hands the failure to the handler, which logs it; without one it is logged at ERROR.
  static void Report(const boost::exception_ptr& error);
  // Reports the exception being handled; call it from a catch block only.
  static void ReportCurrent();
};

}  // namespace Glimra
}  // namespace Zentor
