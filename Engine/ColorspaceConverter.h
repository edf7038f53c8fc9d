// Engine frames as Qt pictures, and the pixel formats the program can show.
#pragma once

#include "Platform/Bedrock/Property.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <QImage>
#include <QPixmap>

#include <map>
#include <vector>

namespace Zentor {
namespace Glimra {

// GUI thread only.
class ColorspaceConverter {
 public:
  // The pixel formats (FFmpeg numbering) that convert without a pixel copy, ascending.
  static std::vector<int> GetSupportedColorspaces();
  // Those formats with alpha kept, as the engine's SetOutputColorSpace takes them.
  static Core::Property GetSupportedColorspaceSettings();

  // Wraps plane 0 of the frame without a copy, read-only: the image is valid only while the frame
  // lives and its plane 0 stays unchanged (writing to the image detaches it). A null frame, a
  // format not in the table or a line size too short for the width gives a null image and one
  // ERROR log line.
  static QImage FrameToImage(const Proc::DataVideoPtr& frame);
  // A picture owning its pixels: the frame may be changed or released afterwards.
  static QPixmap FrameToPixmap(const Proc::DataVideoPtr& frame);

 private:
  static const std::map<int, QImage::Format> s_colorspaceMapping;
};

}  // namespace Glimra
}  // namespace Zentor
