// The view's hint manager: a fresh bubble for every hint shown, so no timer, text or check box
// carries over from one hint to the next.
#pragma once

#include "DrawingTools/IToolTip.h"

#include <QPointer>

class QWidget;

namespace Zentor {
namespace Glimra {

class ToolTipWidget;

class ToolTipManager : public virtual IToolTip {
 public:
  explicit ToolTipManager(QWidget* parent);
  ~ToolTipManager() override;

  ToolTipManager(const ToolTipManager&) = delete;
  ToolTipManager& operator=(const ToolTipManager&) = delete;

  void hideToolTip() override;
  void changePosition() override;
  void showToolTip(const IToolTipProvider* provider) override;
  bool isToolTipVisible() const override;

 private:
  QWidget* parent;
  // The bubble is also a child of the parent widget; whichever goes first, it is deleted once.
  QPointer<ToolTipWidget> current;
};

}  // namespace Glimra
}  // namespace Zentor
