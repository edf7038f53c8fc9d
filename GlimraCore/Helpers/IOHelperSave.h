// The small pieces of saving: encoder options from the save settings, the thumbnail's size and
// writing an image file so that a failure never damages the file it replaces.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "GlimraCore/Export.h"
#include "Platform/Bedrock/Property.h"
#include "Platform/Pipeline/Blob.h"
#include "Proc/Interfaces/IDataVideo.h"

namespace Zentor {
namespace Glimra {
namespace Helpers {

class GLIMRA_CORE_API IOHelperSave {
 public:
  // The print resolution of a frame information tree ("tagPassThroughSettings" / "RESOLUTION")
  // rounded to whole dots per inch. False when absent, not a number, or outside 1 .. 2^31 - 1
  // after rounding.
  static bool GetResolution(const Core::Property& info, int32_t& dpi);
  // The encoders' resolution text: decimal digits, the same under every locale ("1200").
  static std::string ResolutionText(int32_t dpi);

  // Every child of group, in order, over target's child of the same name (appended when absent),
  // which takes its value and children.
  static void CopyChildren(Core::Property& target, const Core::Property& group);
  // An optional bool child; fallback when absent.
  static bool GetFlag(const Core::Property& settings, const std::string& name, bool fallback);

  // Thumbnail sides for a width x height picture: the longer side becomes maxSide, the other one
  // keeps the proportion rounded down; both are then rounded down to even numbers, and never below 2.
  static void ThumbnailSize(uint32_t width, uint32_t height, uint32_t maxSide, uint32_t& thumbWidth,
                            uint32_t& thumbHeight);

  // True when plane 0 of the 8-bit mask holds no non-zero byte.
  static bool IsBlankMask(const Proc::IDataVideo& mask);

  // Work on the finished temporary file before it replaces the target (the metadata writer).
  using FileFinisher = std::function<void(const std::string& tempPath)>;
  // The file a path names once symbolic links are followed (the path itself when it is none; the
  // final target need not exist). Raises FileException for a loop.
  static std::string ResolveLinks(const std::string& path);
  // Raises FileException naming the file when path exists and is not a regular file, has other
  // hard links or is read-only, or when its folder cannot take a new file.
  static void CheckWritableTarget(const std::string& path);
  // Writes bytes into a new hidden file in the folder of the file path names (links followed, the
  // target checked first), runs finish on it, flushes it to disk and renames it over that file with
  // the permissions of the file it replaces. Any failure removes the temporary file, leaves the
  // target as it was and raises.
  static void WriteFileReplacing(const std::string& path, const IBlob& bytes, const FileFinisher& finish);
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
