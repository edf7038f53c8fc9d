// An interactive drawing tool. The view hands it every key press, mouse event and paint pass
// before doing its own work; a true result means the tool consumed the event.
#pragma once

#include <QObject>

#include <string>

class QKeyEvent;
class QMouseEvent;
class QPaintDevice;
class QPaintEvent;

namespace Zentor {
namespace Glimra {

class IDrawingTool : public QObject {
  Q_OBJECT

 public:
  ~IDrawingTool() override = default;

  // Abandons whatever the tool has under way.
  virtual void cancelDrawing() = 0;
  virtual bool keyPressEvent(QKeyEvent* event) = 0;
  virtual bool mousePressEvent(QMouseEvent* event) = 0;
  virtual bool mouseMoveEvent(QMouseEvent* event) = 0;
  virtual bool mouseReleaseEvent(QMouseEvent* event) = 0;
  virtual bool mouseDoubleClickEvent(QMouseEvent* event) = 0;
  // Draws over the view after the view's own painting; the device is the view's viewport.
  virtual void paintEvent(QPaintEvent* event, QPaintDevice* device) = 0;
  // A size of 0 redraws the cursor with the stored values.
  virtual void updateCursor(int size, int blur) = 0;

 signals:
  void finishDrawing();
  void effectCanceled(std::string effect);
};

}  // namespace Glimra
}  // namespace Zentor
