// Progress protocol between effects, the engine and the progress dialog.
#pragma once

#include "Core/Interfaces/RefCountable.h"

namespace Zentor {
namespace Core {

class ZENTOR_API IProgressControllerClient {
 public:
  virtual ~IProgressControllerClient();
  virtual void Stop(bool stop) = 0;
};

class ZENTOR_API IProgressController : public virtual IRefCountable {
 public:
  enum NotifyEvent : int {
    EVENT_NONE = 0,
    EVENT_START = 1,
    EVENT_FINISHED = 2,
    EVENT_STOPPED = 3,
    EVENT_FAILED = 4,
  };
  ~IProgressController() override;
  virtual void Notify(NotifyEvent event) = 0;
  virtual void SetMaximum(int maximum) = 0;
  virtual void SetProgress(int progress) = 0;
  virtual void IncProgress(int step) = 0;
  // True once a stop was asked.
  virtual bool CheckForStop() const = 0;
  virtual void SetClient(IProgressControllerClient* client) = 0;
};

using ProgressControllerPtr = boost::intrusive_ptr<IProgressController>;

// A controller that ignores everything and never asks to stop.
class ZENTOR_API ProgressControllerStub {
 public:
  static ProgressControllerPtr Create();
};

}  // namespace Core
}  // namespace Zentor
