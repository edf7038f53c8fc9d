// Turns the desktop's requests to open a file into the same road as the Open command.
#pragma once

#include <QObject>

namespace Zentor {
namespace Glimra {

class Mediator;

class ApplicationEventFilter : public QObject {
 public:
  // The mediator must outlive the filter.
  ApplicationEventFilter(QObject* parent, Mediator& mediator);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Mediator& mediator_;
};

}  // namespace Glimra
}  // namespace Zentor
