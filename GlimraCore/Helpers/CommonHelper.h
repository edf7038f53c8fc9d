// Frame preparation of effect runs: the words of the preparation table and the common preparation.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/IGlimraUndo.h"
#include "Platform/Bedrock/Property.h"
#include "Platform/Bedrock/Statistics.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <string>

namespace Zentor {
namespace Glimra {
namespace Helpers {

class GLIMRA_CORE_API CommonHelper {
 public:
  static const std::string APPLY_WITH_MASK;
  static const std::string APPLY_AND_SET_MASK;
  static const std::string APPLY_STOP;

  // Records mode in the helper node and moves the undo-set flag out of the preset copy.
  static void PrepareFramesCommon(Core::PerformanceTimer& timer, const GlimraUndoPtr& undo, Proc::DataVideoPtr& first,
                                  Proc::DataVideoPtr& second, Core::Property& info, const std::string& mode);
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
