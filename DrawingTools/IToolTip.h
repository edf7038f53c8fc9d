// Showing and hiding the hint of the tool just chosen.
#pragma once

namespace Zentor {
namespace Glimra {

class IToolTipProvider;

class IToolTip {
 public:
  // The bubble stays while the mouse is over it.
  virtual void hideToolTip() = 0;
  // Re-places the bubble next to its parent widget.
  virtual void changePosition() = 0;
  // A null provider, or one without a text or a settings name, hides the bubble.
  virtual void showToolTip(const IToolTipProvider* provider) = 0;
  virtual bool isToolTipVisible() const = 0;
  virtual ~IToolTip() = default;
};

}  // namespace Glimra
}  // namespace Zentor
