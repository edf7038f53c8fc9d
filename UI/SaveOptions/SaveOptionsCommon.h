// What the save-option dialogs share: their buttons and how an accepted value reaches the options.
#pragma once

#include "Core/Interfaces/Property.h"

#include <glog/logging.h>

#include <string>

class QDialog;
class QDialogButtonBox;

namespace Zentor {
namespace Glimra {
namespace SaveOptions {

// OK and Cancel with the "type" property that style sheets read.
void AddButtons(QDialogButtonBox& buttons);
// Once the contents are set: the buttons polished again for their property, the dialog fixed at
// its size hint.
void FixSize(QDialog& dialog, QDialogButtonBox& buttons);

// Sets the options' child tag. Runs from a slot, so it never throws: typeless options become a
// group, options holding a plain value are left alone with an error line.
template <class T>
void StoreOption(Core::Property& options, const std::string& tag, const T& value) {
  if (options.GetType() == PT_NONE) options = Core::Property(options.GetName());
  if (options.GetType() != PT_GROUP) {
    LOG(ERROR) << "Save options \"" << options.GetName() << "\" hold a value, not settings; " << tag << " not set";
    return;
  }
  options.SetChildT(tag, value);
}

}  // namespace SaveOptions
}  // namespace Glimra
}  // namespace Zentor
