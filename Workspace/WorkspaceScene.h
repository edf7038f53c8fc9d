// The picture being edited, with the patches of the running stroke laid over it so that a stroke
// shows at once without asking the engine for the whole picture; mouse strokes become the drawer's
// painting calls, and every drawer event rebuilds the picture from the engine.
#pragma once

#include "Engine/DrawerEventHandlerUI.h"
#include "GlimraCore/IGlimraCore.h"

#include <QEvent>
#include <QGraphicsScene>

#include <array>
#include <cstdint>
#include <vector>

class QGraphicsItem;
class QGraphicsSceneDragDropEvent;
class QGraphicsSceneMouseEvent;

namespace Zentor {
namespace Glimra {

class FrameItem;

// GUI thread only.
class WorkspaceScene : public QGraphicsScene, public virtual DrawerEventHandlerUI {
  Q_OBJECT

 public:
  // Pixels of patches laid since the last rebuild beyond which the picture is rebuilt instead:
  // it bounds the memory a long stroke holds in patch pixmaps.
  static constexpr uint64_t MAX_PATCH_AREA = 50000000;

  // The drawer must outlive the scene.
  WorkspaceScene(IGlimraDrawer& drawer, QObject* parent = nullptr);
  ~WorkspaceScene() override;

  // Whether a view of the scene is in a hand-drag mode.
  bool IsDragModeActivated() const;
  void ApplyPatch(const IGlimraDrawer::PaintPatch& patch);
  // Drops the patches and shows the drawer's current picture; a null picture changes nothing.
  void RemoveAllPatches();
  // Rebuilds the picture once the widgets have shown the event (see the source).
  void HandleEventInternal() override;

 protected:
  bool event(QEvent* event) override;
  // The view and the drawing tools decide which events get here; only a move tests that a
  // button is held, since a hover move reaches the scene as a move too.
  void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
  void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
  void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
  void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;

 private:
  // Pixel format, width and height: a change of any means the picture's geometry changed.
  using FrameFormat = std::array<uint32_t, 3>;
  static FrameFormat FormatOf(const Proc::DataVideoPtr& frame);
  static QEvent::Type RebuildEventType();
  void Show(const IGlimraDrawer::VideoParts& shown);
  void Rebuild();

  IGlimraDrawer& drawer_;
  FrameFormat shownFormat_;
  // Shows the frame itself: no copy of a large picture is made to show it.
  FrameItem* picture_;
  // The selection laid over the picture within its bounds, so the picture is never copied for
  // it; null without a selection.
  FrameItem* selection_ = nullptr;
  std::vector<QGraphicsItem*> patches_;
  uint64_t patchArea_ = 0;
  uint64_t patchCount_ = 0;
  uint64_t maxPatchArea_ = 0;
  uint64_t maxPatchCount_ = 0;
  FrameFormat frameFormat_;
  bool rebuildPending_ = false;
};

}  // namespace Glimra
}  // namespace Zentor
