// Picture, mask and save-state changes of the engine's drawer, delivered on the GUI thread.
#pragma once

#include "Engine/EventHandlerUI.h"
#include "GlimraCore/IGlimraCore.h"

namespace Zentor {
namespace Glimra {

class DrawerEventHandlerUI : public virtual EventHandlerUI<IDrawerEventHandler> {
 public:
  // Any thread.
  void HandleEvent() override;
  void HandleEventChangeToSave(bool changed) override;
  ~DrawerEventHandlerUI() override = default;

  // GUI thread only; a receiver overrides the ones it cares about.
  virtual void HandleEventInternal() {}
  virtual void HandleEventChangeToSaveInternal(bool /*changed*/) {}
};

}  // namespace Glimra
}  // namespace Zentor
