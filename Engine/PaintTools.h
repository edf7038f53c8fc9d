// The painting tools' state of one image: the paint mode, the brush size and blur, and the zoom
// the brush follows so that it keeps its size on the screen.
#pragma once

#include "GlimraCore/IGlimraCore.h"

#include <QButtonGroup>
#include <QObject>

#include <map>
#include <string>

class QAbstractButton;

namespace Zentor {
namespace Glimra {

// GUI thread only. The drawer's operations let their exceptions out; callers catch them.
class PaintTools : public QObject {
  Q_OBJECT

 public:
  enum Mode { BRUSH = 0, POLYGON = 1, LASSO = 2, MAGIC_WAND = 3, ERASER = 4, CLONE = 5, CROP = 6 };

  explicit PaintTools(IGlimraDrawer& drawer);
  IGlimraDrawer& GetGlimraDrawer() const { return drawer_; }

  // The group does not own the button; the mode is its id.
  void AddControlToGroup(QAbstractButton* button, Mode mode);
  QAbstractButton* GetActiveControl() const;

  void BrushModeOn(int size);
  void PolygonModeOn();
  void LassoModeOn();
  void WandModeOn(int tolerance);
  void EraseModeOn(int size);
  // blur -1 keeps the clone brush's earlier blur.
  void CloneModeOn(int size, int blur);
  void CropModeOn();
  // Makes the mode current and hands its paint type to the drawer. A value outside the modes
  // (a button id, say) throws std::invalid_argument and changes nothing.
  void ConfigurePainter(Mode mode);

  void UpdateBrushSize(int size, int blur);
  // percent must be positive and finite (std::invalid_argument otherwise, nothing changed).
  void OnScaleChanged(double percent);
  Mode GetActiveMode() const { return mode_; }

  bool HasSelectedArea() const;
  bool HasChange() const;
  void ClearSelection();
  void OnResizeSelectedArea(int step);
  // Starts the effect on the engine's threads and returns without waiting for it.
  void ApplyEffect(const Core::Property& settings);

  // Paint type of each mode; crop has no painter.
  static const std::map<Mode, std::string> s_paintModes;

 signals:
  void CurrentModeChanged();
  void BrushSettingsChanged(int size, int blur);
  void effectCanceled(std::string effect);

 public slots:
  // Leaves crop mode for the tool used before it.
  void ActivateLastPaintTool();

 private:
  void ConfigureBrush(int size, int blur);

  IGlimraDrawer& drawer_;
  Mode mode_ = BRUSH;
  Mode previousMode_ = BRUSH;
  int size_ = 0;
  int blur_ = 0;
  double scalePercent_ = 100.0;
  QButtonGroup buttons_;
};

}  // namespace Glimra
}  // namespace Zentor
