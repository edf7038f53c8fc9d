#include "Engine/CoreEventHandlerUI.h"

namespace Zentor {
namespace Glimra {

void CoreEventHandlerUI::Throw(boost::exception_ptr error) {
  Forward([this, error] { ThrowInternal(error); });
}

}  // namespace Glimra
}  // namespace Zentor
