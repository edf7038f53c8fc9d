// The brush: a table of weights made from the brush settings, and the 8-bit stamp made from it.
#pragma once

#include "Core/Interfaces/RefCountable.h"
#include "GlimraCore/Export.h"
#include "GlimraCore/IGlimraBrush.h"
#include "Platform/Bedrock/Property.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <cstdint>
#include <vector>

namespace Zentor {
namespace Glimra {

// The brush's operations beside the words of IGlimraBrush.
class GLIMRA_CORE_API IGlimraBrushStamp : public virtual IRefCountable, public IGlimraBrush {
 public:
  ~IGlimraBrushStamp() override;
  // The GRAY8 stamp whose pixels are the weights scaled by brightness; cached per brightness.
  virtual Proc::DataVideoPtr GetBrush(int brightness) = 0;
  // Brightness of the cached stamp, -1 before the first stamp.
  virtual int32_t GetBrightness() const = 0;
};

using GlimraBrushPtr = boost::intrusive_ptr<IGlimraBrushStamp>;

class GLIMRA_CORE_API GlimraBrush : public RefCounted<IGlimraBrushStamp> {
 public:
  // Largest stamp width or height.
  static constexpr uint32_t MAX_SIZE = 16384;

  // A brush from settings named IGlimraBrush::CLASS_ID; BrushException for another name or a size
  // outside 0..MAX_SIZE, PainterException for an unknown shape.
  static GlimraBrushPtr Create(const Core::Property& settings);
  // A brush whose stamp is the given GRAY8 image, returned as it is for every brightness.
  static GlimraBrushPtr Create(const Proc::DataVideoPtr& stamp);

  Proc::DataVideoPtr GetBrush(int brightness) override;
  int32_t GetBrightness() const override { return brightness_; }

  uint32_t GetWidth() const { return width_; }
  uint32_t GetHeight() const { return height_; }
  uint32_t GetSmoothing() const { return smoothing_; }

 private:
  explicit GlimraBrush(const Core::Property& settings);
  explicit GlimraBrush(const Proc::DataVideoPtr& stamp);

  // Size and smoothing from the settings; a weight table of that size.
  void ReadRectangle(const Core::Property& settings);
  void MakeEllipse(const Core::Property& settings);

  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint32_t smoothing_ = 0;
  int32_t brightness_ = -1;
  std::vector<float> weights_;
  Proc::DataVideoPtr stamp_;
  // Made from an image: the stamp is fixed and there are no weights.
  bool fixed_ = false;
};

}  // namespace Glimra
}  // namespace Zentor
