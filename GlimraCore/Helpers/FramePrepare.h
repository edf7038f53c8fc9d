// Frame preparation before an effect runs: the table row type and the per-effect helpers.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/Helpers/CommonHelper.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "GlimraCore/IGlimraCore.h"
#include "GlimraCore/IGlimraUndo.h"
#include "Platform/Bedrock/Property.h"
#include "Platform/Bedrock/Statistics.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <string>

namespace Zentor {
namespace Glimra {
namespace Helpers {

// (timer, undo store, first frame, second frame, step settings, mode); refusals are thrown.
using PrepareFunction = void (*)(Core::PerformanceTimer&, const GlimraUndoPtr&, Proc::DataVideoPtr&,
                                 Proc::DataVideoPtr&, Core::Property&, const std::string&);

// One row of the preparation table.
struct FactoryItemType {
  PrepareFunction prepare = nullptr;
  std::string mode;
  bool synchronous = true;
};

// The helper node ("tagEffectSettings"/"tagEffectSettingsHelper") and the preset copy (first child
// of "tagEffectSettings"/"tagEffectSettingsImage") of step settings; both must exist.
GLIMRA_CORE_API Core::Property& HelperNode(Core::Property& info);
GLIMRA_CORE_API Core::Property& PresetCopy(Core::Property& info);

class GLIMRA_CORE_API CropHelper {
 public:
  // Clips the rectangle to the first frame; a rectangle of the whole picture stops the run.
  static void PrepareFrames(Core::PerformanceTimer& timer, const GlimraUndoPtr& undo, Proc::DataVideoPtr& first,
                            Proc::DataVideoPtr& second, Core::Property& info, const std::string& mode);
  static void ProcessStatisticsParameters(IStatisticsEventHandler::StringParameters& parameters);
};

class GLIMRA_CORE_API InpaintHelper {
 public:
  // Percentage of the picture a selection may cover at most.
  static constexpr uint64_t MAX_SELECTION_PERCENT = 40;
  // The selection mask becomes the second frame; refuses no selection and too large a one.
  static void PrepareFrames(Core::PerformanceTimer& timer, const GlimraUndoPtr& undo, Proc::DataVideoPtr& first,
                            Proc::DataVideoPtr& second, Core::Property& info, const std::string& mode);
};

class GLIMRA_CORE_API BlendHelper {
 public:
  // The second frame is converted to the first frame's pixel format.
  static void PrepareFrames(Core::PerformanceTimer& timer, const GlimraUndoPtr& undo, Proc::DataVideoPtr& first,
                            Proc::DataVideoPtr& second, Core::Property& info, const std::string& mode);
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
