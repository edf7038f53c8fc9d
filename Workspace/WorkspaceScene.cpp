#include "Workspace/WorkspaceScene.h"

#include "Engine/ColorspaceConverter.h"
#include "Engine/DrawerCoordinate.h"
#include "Engine/ErrorPath.h"
#include "Workspace/FrameItem.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsPixmapItem>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace Glimra {

WorkspaceScene::WorkspaceScene(IGlimraDrawer& drawer, QObject* parent)
    : QGraphicsScene(parent), drawer_(drawer) {
  // Items come and go with every stroke step and are never looked up by position.
  setItemIndexMethod(QGraphicsScene::NoIndex);
  const IGlimraDrawer::VideoParts shown = drawer.GetVideoParts();
  picture_ = new FrameItem;
  addItem(picture_);
  Show(shown);
  shownFormat_ = frameFormat_ = FormatOf(shown.picture);
  if (shown.picture) setSceneRect(0, 0, shown.picture->GetWidth(), shown.picture->GetHeight());
}

WorkspaceScene::~WorkspaceScene() {
  LOG(INFO) << "MaxPatchCount: " << maxPatchCount_ << " MaxPatchSize: " << maxPatchArea_;
}

WorkspaceScene::FrameFormat WorkspaceScene::FormatOf(const Proc::DataVideoPtr& frame) {
  if (!frame) return {0, 0, 0};
  return {uint32_t(frame->GetPixelFormat()), frame->GetWidth(), frame->GetHeight()};
}

bool WorkspaceScene::IsDragModeActivated() const {
  const QList<QGraphicsView*> shown = views();
  return std::any_of(shown.begin(), shown.end(),
                     [](const QGraphicsView* view) { return view->dragMode() != QGraphicsView::NoDrag; });
}

void WorkspaceScene::mousePressEvent(QGraphicsSceneMouseEvent* event) {
  try {
    if (!IsDragModeActivated()) {
      const QPointF at = event->scenePos();
      ApplyPatch(drawer_.PaintStart(ToDrawerCoordinate(at.x()), ToDrawerCoordinate(at.y())));
    }
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
  QGraphicsScene::mousePressEvent(event);
}

void WorkspaceScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event) {
  try {
    // Moves the program makes up (a re-sent last position, say) are not the user's stroke, nor
    // are moves without a held button: tools that follow the cursor switch on mouse tracking.
    if (!IsDragModeActivated() && event->spontaneous() && event->buttons() != Qt::NoButton) {
      const QPointF at = event->scenePos();
      ApplyPatch(drawer_.Paint(ToDrawerCoordinate(at.x()), ToDrawerCoordinate(at.y())));
    }
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
  QGraphicsScene::mouseMoveEvent(event);
}

void WorkspaceScene::mouseReleaseEvent(QGraphicsSceneMouseEvent* event) {
  try {
    if (!IsDragModeActivated()) {
      const QPointF at = event->scenePos();
      drawer_.PaintStop(ToDrawerCoordinate(at.x()), ToDrawerCoordinate(at.y()));
    }
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
  QGraphicsScene::mouseReleaseEvent(event);
}

void WorkspaceScene::dragMoveEvent(QGraphicsSceneDragDropEvent* /*event*/) {}

void WorkspaceScene::ApplyPatch(const IGlimraDrawer::PaintPatch& patch) {
  if (!patch.frame) {
    LOG(INFO) << "Returned NULL frame when drawing patch.";
    return;
  }
  if (patchArea_ > MAX_PATCH_AREA) {
    LOG(INFO) << "Patch size too big! Reset picture.";
    RemoveAllPatches();
    return;
  }
  QGraphicsPixmapItem* item = addPixmap(ColorspaceConverter::FrameToPixmap(patch.frame));
  item->setPos(patch.left, patch.top);
  patches_.push_back(item);
  ++patchCount_;
  const int64_t width = std::max<int64_t>(0, int64_t(patch.right) - int64_t(patch.left));
  const int64_t height = std::max<int64_t>(0, int64_t(patch.bottom) - int64_t(patch.top));
  patchArea_ += uint64_t(width) * uint64_t(height);
}

// Called with no patches laid: the selection goes under the patches of the next stroke.
void WorkspaceScene::Show(const IGlimraDrawer::VideoParts& shown) {
  picture_->SetFrame(shown.picture);
  if (!shown.selection.frame) {
    delete selection_;
    selection_ = nullptr;
    return;
  }
  if (!selection_) {
    selection_ = new FrameItem;
    addItem(selection_);
  }
  selection_->SetFrame(shown.selection.frame);
  selection_->setPos(shown.selection.left, shown.selection.top);
}

void WorkspaceScene::RemoveAllPatches() {
  const IGlimraDrawer::VideoParts shown = drawer_.GetVideoParts();
  if (!shown.picture) return;
  for (QGraphicsItem* patch : patches_) delete patch;
  patches_.clear();
  Show(shown);
  shownFormat_ = FormatOf(shown.picture);
  maxPatchArea_ = std::max(maxPatchArea_, patchArea_);
  maxPatchCount_ = std::max(maxPatchCount_, patchCount_);
  patchCount_ = 0;
  patchArea_ = 0;
}

// The rebuild of a large picture takes a while. It waits behind the other receivers of the same
// event and then behind the repaints they ask for (posted at low priority): the buttons show at
// once that a stroke counted, and the picture, which shows the stroke's patches, follows.
void WorkspaceScene::HandleEventInternal() {
  if (rebuildPending_) return;
  rebuildPending_ = true;
  QMetaObject::invokeMethod(
      this, [this] { QCoreApplication::postEvent(this, new QEvent(RebuildEventType()), Qt::LowEventPriority); },
      Qt::QueuedConnection);
}

QEvent::Type WorkspaceScene::RebuildEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

bool WorkspaceScene::event(QEvent* event) {
  if (event->type() != RebuildEventType()) return QGraphicsScene::event(event);
  rebuildPending_ = false;
  Rebuild();
  return true;
}

void WorkspaceScene::Rebuild() {
  try {
    RemoveAllPatches();
    if (shownFormat_ == FrameFormat{} || shownFormat_ == frameFormat_) return;
    frameFormat_ = shownFormat_;
    setSceneRect(0, 0, frameFormat_[1], frameFormat_[2]);
    const QList<QGraphicsView*> shown = views();
    if (!shown.isEmpty()) shown.first()->centerOn(picture_);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

}  // namespace Glimra
}  // namespace Zentor
