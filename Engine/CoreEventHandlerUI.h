// Engine failures, delivered on the GUI thread.
#pragma once

#include "Engine/EventHandlerUI.h"
#include "GlimraCore/IGlimraCore.h"

namespace Zentor {
namespace Glimra {

class CoreEventHandlerUI : public virtual EventHandlerUI<ICoreEventHandler> {
 public:
  // Any thread: the exception pointer is copied, so the failure lives until ThrowInternal ran.
  void Throw(boost::exception_ptr error) override;
  ~CoreEventHandlerUI() override = default;

  // GUI thread only.
  virtual void ThrowInternal(boost::exception_ptr error) = 0;
};

}  // namespace Glimra
}  // namespace Zentor
