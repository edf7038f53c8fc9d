// The "Image Size" dialog: a new pixel size in one of six units, a new print resolution, or a
// fit-into preset. It changes nothing itself; its caller reads the result code and the getters.
// Everything is kept in pixels and pixels per inch; the spin boxes show the chosen units.
#pragma once

#include <QDialog>
#include <QString>

#include <map>

class QComboBox;
class QDoubleSpinBox;
class QAbstractItemDelegate;

namespace Ui {
class ResizeDialog;
}

namespace Zentor {
namespace Glimra {

class IGlimraDrawer;

namespace Settings {
// The values are the combo indexes and the statistics' unit codes.
namespace SizeUOM {
enum Values { PIXELS = 0, PERCENTS = 1, INCHES = 2, CM = 3, MM = 4, POINTS = 5 };
}
namespace ResolutionUOM {
enum Values { PPI = 0, PPC = 1 };
}
}  // namespace Settings

class ResizeDialog : public QDialog {
  Q_OBJECT

 public:
  template <class T>
  struct ComboValue {
    T value;
    QString text;
    bool enabled;
  };
  struct FitInto : ComboValue<Settings::SizeUOM::Values> {
    double width;
    double height;
    int resolution;  // pixels per inch
  };

  // Result bits of exec().
  static constexpr int RESIZED = 1;
  static constexpr int RESOLUTION_CHANGED = 2;
  static constexpr int MAX_PIXEL_SIZE = 10000;
  static constexpr double INCHES_PER_METER = 39.3700787;
  static constexpr double CM_PER_METER = 100.0;
  static constexpr double MM_PER_METER = 1000.0;
  static constexpr double PERCENTS_TOTAL = 100.0;
  static constexpr double RESOLUTION_72PPI = 72.0;
  static const char* const multiplicationSign;

  ResizeDialog(IGlimraDrawer& drawer, QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~ResizeDialog() override;

  // Without a picture there is nothing to size: returns 0 at once and shows nothing.
  int exec() override;

  int GetWidth() const;
  int GetHeight() const;
  double GetResolution() const;  // pixels per inch
  bool IsScaleProportionally() const;
  bool IsResampleImage() const;
  Settings::SizeUOM::Values GetSizeUOM() const;
  Settings::ResolutionUOM::Values GetResolutionUOM() const;

  static std::map<int, ComboValue<Settings::SizeUOM::Values>> s_uomValues;
  static std::map<int, ComboValue<Settings::ResolutionUOM::Values>> s_resolutionValues;
  static std::map<int, FitInto> s_fitIntoValues;

 protected:
  void changeEvent(QEvent* event) override;

 private slots:
  void OnUOMChanged(int index);
  void OnWidthChanged(double value);
  void OnHeightChanged(double value);
  void OnAccepted();
  void OnResolutionUOMChanged(int index);
  void OnResolutionChanged(double value);
  void OnScaleStateChanged(int state);
  void OnResampleStateChanged(int state);
  void OnFitIntoChanged(int index);

 private:
  static bool IsUOMHardware(Settings::SizeUOM::Values unit);
  static void FillUOMValues();
  static void FillResolutionValues();
  static void FillFitIntoValues(bool landscape);
  template <class Map>
  static void FillComboBoxValues(QComboBox* combo, const Map& values, QAbstractItemDelegate* delegate = nullptr);

  void ShowCurrentSize();
  void SetSizeConstraints();
  void SetSpinBoxConstraint(QDoubleSpinBox* spinBox, int limit, int sourceSize);
  // value is the resolution as the spin box shows it (in the resolution unit in force).
  void SetResolutionConstraints(double value);
  void SetSize(double pixels, QDoubleSpinBox* spinBox, Settings::SizeUOM::Values unit, int fullSize,
               double resolution);
  void SetWidth();
  void SetHeight();
  void ShowWidth();
  void ShowHeight();
  double ResolutionShown(double ppi) const;

  ::Ui::ResizeDialog* ui;
  int sourceWidth = 0;
  int sourceHeight = 0;
  double width = 0.0;
  double height = 0.0;
  Settings::SizeUOM::Values sizeUnit = Settings::SizeUOM::PIXELS;
  Settings::ResolutionUOM::Values resolutionUnit = Settings::ResolutionUOM::PPI;
  double sourceResolution = RESOLUTION_72PPI;
  double resolution = RESOLUTION_72PPI;
};

}  // namespace Glimra
}  // namespace Zentor
