#include "DrawingTools/DrawingToolsFactory.h"

#include "Core/Interfaces/Exception.h"
#include "DrawingTools/DrawingToolBrush.h"
#include "DrawingTools/DrawingToolClone.h"
#include "DrawingTools/DrawingToolCrop.h"
#include "DrawingTools/DrawingToolErase.h"
#include "DrawingTools/DrawingToolLasso.h"
#include "DrawingTools/DrawingToolPolygon.h"
#include "DrawingTools/DrawingToolWand.h"
#include "DrawingTools/IToolTip.h"
#include "DrawingTools/IToolTipProvider.h"
#include "Engine/ErrorPath.h"

#include <boost/throw_exception.hpp>

#include <stdexcept>
#include <string>

namespace Zentor {
namespace Glimra {

DrawingToolsFactory::DrawingToolsFactory(QGraphicsView& view, PaintTools& paintTools, IToolTip& toolTip)
    : view(view),
      paintTools(paintTools),
      toolTip(toolTip),
      creators{
          {PaintTools::BRUSH, &DrawingToolBrush::Create},
          {PaintTools::MAGIC_WAND, &DrawingToolWand::Create},
          {PaintTools::ERASER, &DrawingToolErase::Create},
          {PaintTools::POLYGON, &DrawingToolPolygon::Create},
          {PaintTools::LASSO, &DrawingToolLasso::Create},
          {PaintTools::CLONE, &DrawingToolClone::Create},
          {PaintTools::CROP, &DrawingToolCrop::Create},
      },
      cachedMode(paintTools.GetActiveMode()) {
  connect(&paintTools, &PaintTools::CurrentModeChanged, this, &DrawingToolsFactory::OnCurrentModeChanged);
  connect(&paintTools, &PaintTools::BrushSettingsChanged, this, &DrawingToolsFactory::OnBrushSettingsChanged);
}

boost::weak_ptr<IDrawingTool> DrawingToolsFactory::GetDrawingToolForCurrentPaintMode() {
  const int mode = paintTools.GetActiveMode();
  if (mode == cachedMode && tool) return tool;

  const bool changed = mode != cachedMode;
  cachedMode = mode;
  if (changed && tool) tool->cancelDrawing();

  const auto found = creators.find(PaintTools::Mode(mode));
  if (found == creators.end()) {
    BOOST_THROW_EXCEPTION(
        std::invalid_argument("Unknown PaintTools Mode: " + std::to_string(mode) + "\n" + GetCallStack()));
  }
  tool = found->second(view, paintTools.GetGlimraDrawer());

  connect(tool.get(), &IDrawingTool::finishDrawing, &paintTools, &PaintTools::ActivateLastPaintTool,
          Qt::UniqueConnection);
  connect(tool.get(), &IDrawingTool::effectCanceled, &paintTools, &PaintTools::effectCanceled,
          Qt::UniqueConnection);
  toolTip.showToolTip(dynamic_cast<const IToolTipProvider*>(tool.get()));
  return tool;
}

// Both slots run inside PaintTools' signals, that is inside a click or a slider move: a failure
// goes to the error path here, never back through the event loop.
void DrawingToolsFactory::OnCurrentModeChanged() {
  try {
    if (tool) tool->cancelDrawing();
    GetDrawingToolForCurrentPaintMode();
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void DrawingToolsFactory::OnBrushSettingsChanged(int size, int blur) {
  try {
    if (!tool) GetDrawingToolForCurrentPaintMode();
    tool->updateCursor(size, blur);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

}  // namespace Glimra
}  // namespace Zentor
