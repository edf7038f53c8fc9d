#include "Engine/DrawerEventHandlerUI.h"

namespace Zentor {
namespace Glimra {

void DrawerEventHandlerUI::HandleEvent() {
  Forward([this] { HandleEventInternal(); });
}

void DrawerEventHandlerUI::HandleEventChangeToSave(bool changed) {
  Forward([this, changed] { HandleEventChangeToSaveInternal(changed); });
}

}  // namespace Glimra
}  // namespace Zentor
