// The magic wand: the scene sends its clicks to the drawer; the tool shows the wand cursor and a
// hint on how the wand selects.
#pragma once

#include "DrawingTools/DrawingToolEmpty.h"
#include "DrawingTools/IToolTipProvider.h"

namespace Zentor {
namespace Glimra {

class DrawingToolWand : public DrawingToolEmpty, public virtual IToolTipProvider {
  Q_OBJECT

 public:
  explicit DrawingToolWand(QGraphicsView& view);

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  // Both arguments are ignored: the wand's cursor has one size.
  void updateCursor(int size, int blur) override;

  QString GetDescription() const override;
  std::string GetSettingsName() const override;
};

}  // namespace Glimra
}  // namespace Zentor
