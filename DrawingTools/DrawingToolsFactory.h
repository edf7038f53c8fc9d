// Keeps the one tool of the current paint mode: a change of mode cancels the old tool and makes a
// fresh one, so no tool state survives a change of tool.
#pragma once

#include "DrawingTools/IDrawingTool.h"
#include "Engine/PaintTools.h"

#include <QObject>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <map>

class QGraphicsView;

namespace Zentor {
namespace Glimra {

class IGlimraDrawer;
class IToolTip;

// GUI thread only. View, paint tools and hint manager must outlive the factory.
class DrawingToolsFactory : public QObject {
  Q_OBJECT

 public:
  using Creator = boost::function<boost::shared_ptr<IDrawingTool>(QGraphicsView&, IGlimraDrawer&)>;

  DrawingToolsFactory(QGraphicsView& view, PaintTools& paintTools, IToolTip& toolTip);

  // Makes the tool when the mode changed since the last call. Throws std::invalid_argument for a
  // mode without a tool.
  boost::weak_ptr<IDrawingTool> GetDrawingToolForCurrentPaintMode();

 public slots:
  void OnCurrentModeChanged();
  void OnBrushSettingsChanged(int size, int blur);

 private:
  QGraphicsView& view;
  PaintTools& paintTools;
  IToolTip& toolTip;
  std::map<PaintTools::Mode, Creator> creators;
  int cachedMode;
  boost::shared_ptr<IDrawingTool> tool;
};

}  // namespace Glimra
}  // namespace Zentor
