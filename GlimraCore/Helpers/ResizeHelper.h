// Resizing of effect inputs: the words of its settings, its preparation and its statistics.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/IGlimraCore.h"
#include "GlimraCore/IGlimraUndo.h"
#include "Platform/Bedrock/Property.h"
#include "Platform/Bedrock/Statistics.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <string>

namespace Zentor {
namespace Glimra {
namespace Helpers {

class GLIMRA_CORE_API ResizeHelper {
 public:
  static const std::string RESOLUTION;

  // Common preparation; moves a requested print resolution into the settings that saving reads and
  // adds the mask preset with point sampling.
  static void PrepareFrames(Core::PerformanceTimer& timer, const GlimraUndoPtr& undo, Proc::DataVideoPtr& first,
                            Proc::DataVideoPtr& second, Core::Property& info, const std::string& mode);
  static void ProcessStatisticsParameters(IStatisticsEventHandler::StringParameters& parameters);
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
