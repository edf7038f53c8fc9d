#include "DrawingTools/ToolTipManager.h"

#include "UI/ToolTipWidget.h"

namespace Zentor {
namespace Glimra {

ToolTipManager::ToolTipManager(QWidget* parent) : parent(parent) {}

ToolTipManager::~ToolTipManager() { delete current.data(); }

void ToolTipManager::hideToolTip() {
  if (current) current->hideToolTip();
}

void ToolTipManager::changePosition() {
  if (current) current->changePosition();
}

void ToolTipManager::showToolTip(const IToolTipProvider* provider) {
  ToolTipWidget* bubble = new ToolTipWidget(parent);
  delete current.data();
  current = bubble;
  bubble->showToolTip(provider);
}

bool ToolTipManager::isToolTipVisible() const { return current && current->isToolTipVisible(); }

}  // namespace Glimra
}  // namespace Zentor
