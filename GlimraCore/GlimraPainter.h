// The painter factory, the common painter base with its statistics, and the stamp stroke shared by
// the selection brush, the eraser and the clone stamp.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/GlimraBrush.h"
#include "GlimraCore/IGlimraPainter.h"
#include "GlimraCore/IGlimraUndo.h"
#include "Platform/Bedrock/Property.h"
#include "Proc/Interfaces/CropInfo.h"
#include "Proc/Interfaces/IEffect.h"

#include <cstdint>
#include <memory>

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API GlimraPainterImpl : public virtual IGlimraPainter {
 public:
  // A coordinate meaning "no previous point".
  static constexpr int32_t MAX_POS = 0x7fffffff;

  // The painter named by the paint settings' IGlimraDrawer::TAG_PAINT_TYPE. PainterException for
  // settings not named IGlimraDrawer::CLASS_ID, an unknown paint type, or a missing brush, undo
  // store, picture or effect that the painter needs.
  static std::unique_ptr<IGlimraPainter> Create(const Core::Property& settings, const GlimraBrushPtr& brush,
                                                const GlimraUndoPtr& undo, const Proc::TwoInputEffectPtr& blend,
                                                const Proc::OneInputEffectPtr& alphaExtractor,
                                                const Proc::TwoInputEffectPtr& alphaInserter);

  // A new frame: source with picture laid in through alpha inside r. The picture pixel laid at
  // (X, Y) is picture (X - ox, Y - oy). Neither source, alpha nor picture is written.
  static Proc::DataVideoPtr BlendImpl(const Proc::DataVideoPtr& source, const Proc::DataVideoPtr& alpha,
                                      const Proc::CropInfo& r, const Proc::TwoInputEffectPtr& blend,
                                      const Proc::OneInputEffectPtr& alphaExtractor,
                                      const Proc::TwoInputEffectPtr& alphaInserter, const Proc::DataVideoPtr& picture,
                                      int32_t ox, int32_t oy);

  Core::Property GetStatistic() const override;

 protected:
  explicit GlimraPainterImpl(const GlimraUndoPtr& undo);

  // A copy of the current mask (unless fresh), else an all-zero GRAY8 frame shaped like the picture.
  Proc::DataVideoPtr CreateAlpha(bool fresh) const;
  // The current picture; PainterException when the store holds none.
  Proc::DataVideoPtr CurrentVideo() const;

  static PaintPatch EmptyPatch() { return PaintPatch(); }
  static Proc::CropInfo EmptyRect(uint32_t width, uint32_t height) { return Proc::CropInfo{width, 0, height, 0}; }
  static void Grow(Proc::CropInfo& rect, uint32_t x, uint32_t y) {
    if (x < rect.left) rect.left = x;
    if (rect.right <= x) rect.right = x + 1;
    if (y < rect.top) rect.top = y;
    if (rect.bottom <= y) rect.bottom = y + 1;
  }

  GlimraUndoPtr undo_;
  int64_t totalTime_ = 0;
  int64_t paintingTime_ = 0;
  int64_t patchingTime_ = 0;
  int64_t totalCount_ = 0;
  int64_t paintedCount_ = 0;
  int64_t patchedCount_ = 0;
};

class GLIMRA_CORE_API GlimraPainterBrush : public GlimraPainterImpl {
 public:
  Proc::DataVideoPtr GetVideo() override;
  PaintPatch GetPatch(const Proc::CropInfo& area);

  const Proc::DataVideoPtr& GetAlpha() const { return alpha_; }
  const Proc::CropInfo& GetMaskBounds() const { return maskBounds_; }
  const Proc::CropInfo& GetStrokeRect() const { return strokeRect_; }
  bool IsPainted() const { return painted_; }

 protected:
  // What a stamp value does to an alpha pixel.
  enum class PixelRule {
    RAISE,  // alpha = max(alpha, s); grows the step area and the mask bounds
    CLEAR,  // alpha = 0; grows the step area only
  };

  // Signed so that a clip beyond the picture (clone offsets) writes nothing.
  struct ClipRect {
    int64_t left = 0;
    int64_t right = 0;
    int64_t top = 0;
    int64_t bottom = 0;
  };

  GlimraPainterBrush(bool fresh, const GlimraBrushPtr& brush, const GlimraUndoPtr& undo,
                     const Proc::TwoInputEffectPtr& blend, const Proc::OneInputEffectPtr& alphaExtractor,
                     const Proc::TwoInputEffectPtr& alphaInserter);

  // The mask's bounds (unless fresh), else the empty rectangle of the alpha.
  Proc::CropInfo CreateAlphaInfo(bool fresh) const;

  // Hands the alpha to the undo store as a mask step over the stroke rectangle when any pixel
  // changed; later painting works on a copy, since the store keeps the frame.
  void CommitMask();

  // One step of the stamp stroke to (x, y); keepStroke merges the changed area into the stroke
  // rectangle. Returns the step's patch.
  PaintPatch PaintStroke(uint32_t x, uint32_t y, int brightness, PixelRule rule, bool keepStroke);

  Proc::DataVideoPtr alpha_;
  Proc::CropInfo maskBounds_;
  Proc::CropInfo strokeRect_;
  ClipRect clip_;
  GlimraBrushPtr brush_;
  Proc::TwoInputEffectPtr blend_;
  Proc::TwoInputEffectPtr alphaInserter_;
  Proc::OneInputEffectPtr alphaExtractor_;
  Proc::DataVideoPtr picture_;
  int32_t previousX_ = MAX_POS;
  int32_t previousY_ = MAX_POS;
  bool painted_ = false;
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
  // The undo store holds alpha_: copy it before painting on.
  bool alphaShared_ = false;

 private:
  template <PixelRule Rule>
  bool Stroke(int32_t x, int32_t y, const Proc::IDataVideo& stamp, Proc::CropInfo& area);
};

}  // namespace Glimra
}  // namespace Zentor
