// The lasso and polygon: a closed outline whose inside, outline included, is added to the selection.
#pragma once

#include "GlimraCore/GlimraPainter.h"

#include <utility>
#include <vector>

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API GlimraPainterSelLasso : public GlimraPainterImpl {
 public:
  // A point in the coordinates of the outline image, which has a one-pixel frame round the picture.
  using Point = std::pair<int32_t, int32_t>;
  using Points = std::vector<Point>;

  // Stored coordinates are kept within this distance of the origin, so that a point far off the
  // picture cannot make the outline chain unbounded.
  static constexpr int32_t MAX_COORDINATE = 1 << 20;

  explicit GlimraPainterSelLasso(const GlimraUndoPtr& undo);

  // Records the point; nothing is drawn during the stroke.
  PaintPatch Paint(uint32_t x, uint32_t y) override;
  // Fills the closed outline into the mask; an open or too short outline commits nothing.
  void Save() override;
  Proc::DataVideoPtr GetVideo() override { return Proc::DataVideoPtr(); }

  const Points& GetPoints() const { return points_; }
  // The points joined into a chain of neighbouring points.
  void GetPointsCompact(Points& out) const;
  // Draws the chain (clamped into the image) as value 128; returns its bounds.
  static Proc::CropInfo PaintImpl(const Points& chain, Proc::IDataVideo& outline);
  // Draws one point, clamped into the image in place.
  static void PaintImpl(Point& point, Proc::IDataVideo& outline, int32_t width, int32_t height,
                        Proc::CropInfo& bounds);
  // A border byte of 255 (outside, not flooded yet).
  static bool FindSeed(const Proc::IDataVideo& outline, uint32_t& x, uint32_t& y);

 private:
  Points points_;
};

}  // namespace Glimra
}  // namespace Zentor
