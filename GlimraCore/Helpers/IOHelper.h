// Finishing a freshly decoded picture from its file's metadata before it becomes the first undo
// step: upright orientation, print resolution and TIFF compression.
#pragma once

#include "GlimraCore/Export.h"
#include "Platform/Bedrock/Property.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <map>
#include <string>

namespace Zentor {
namespace Glimra {
namespace Helpers {

class GLIMRA_CORE_API IOHelper {
 public:
  // Resolution used when the file states none or an unusable one.
  static constexpr double DEFAULT_RESOLUTION = 72.0;

  // TIFF compression code -> TIFF save algorithm.
  static const std::map<int, std::string> s_exif2FFCompressionMapping;

  // The tree is the frame information: "tagUndoFrameInfo" / "tagPassThroughSettings" /
  // "FormatSaveSettings" exist already.

  // Turns the frame upright by its EXIF orientation 2..8 and notes the normal orientation in
  // IImageMetadata::REPLACE_SETTINGS; anything else leaves both alone.
  static void LoadPrepareOrientation(Core::Property& tree, Proc::DataVideoPtr& frame,
                                     const Proc::ImageMetadataPtr& metadata);
  // "RESOLUTION" (dots per inch) from the EXIF resolution, else from the format helper, else 72.
  static void LoadPrepareResolution(Core::Property& tree, const std::string& path, const std::string& codecId,
                                    const Proc::ImageMetadataPtr& metadata);
  // The file's TIFF compression as the default save option.
  static void LoadPrepareCompression(Core::Property& tree, const Proc::ImageMetadataPtr& metadata);

  // An optional sign and decimal digits only, within 32 bits; false (out unchanged) otherwise.
  static bool ParseCode(const std::string& text, int& out);
  // A resolution text to dots per unit: positive ratios only (a ratio below 1 is inverted);
  // anything else gives DEFAULT_RESOLUTION.
  static double ParseResolution(const std::string& text);
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
