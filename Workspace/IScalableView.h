// Zooming a view between limits, in percent.
#pragma once

#include <QFlags>
#include <QMetaType>

namespace Zentor {
namespace Glimra {

class IScalableView {
 public:
  // As a restriction: the upper and the lower limit; as a flag: zooming in or out is possible.
  enum ScalePolicy { SCALE_UP = 1, SCALE_DOWN = 2 };
  Q_DECLARE_FLAGS(ScalePolicyFlags, ScalePolicy)

  virtual void ScaleToFit() = 0;
  virtual void ScaleToPercent(double percent) = 0;
  virtual double GetCurrentScalePercent() const = 0;
  virtual ScalePolicyFlags CanScale() const = 0;
  // False, with nothing changed, for an unknown policy or a limit that would cross the other one.
  virtual bool SetRestrictionForScale(ScalePolicy policy, double value) = 0;
  // -1 for an unknown policy.
  virtual double GetRestrictionForScale(ScalePolicy policy) const = 0;
  virtual void SetScaleStep(double step) = 0;
  virtual double GetScaleStep() const = 0;

  virtual ~IScalableView() = default;
};

}  // namespace Glimra
}  // namespace Zentor

Q_DECLARE_OPERATORS_FOR_FLAGS(Zentor::Glimra::IScalableView::ScalePolicyFlags)
Q_DECLARE_METATYPE(Zentor::Glimra::IScalableView::ScalePolicyFlags)
