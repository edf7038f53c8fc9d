// Gives each action the key sequences of its "hotkeyTag" in the hotkey map, after the shortcuts
// the form set itself. No two visible actions handed over end up sharing a key sequence: an
// action that would take a sequence a visible one holds already goes without it (WARNING line).
#pragma once

#include "Platform/MenuActions/ActionHandler.h"

#include <QKeySequence>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QString>

#include <vector>

namespace Zentor {
namespace App {

class HotkeyActionHandler : public ActionHandler {
  Q_OBJECT

 public:
  using HotkeyMap = QMap<QString, QList<QKeySequence>>;

  // Starts with the usual keys of the common tags ("open", "save", "quit"...).
  explicit HotkeyActionHandler(QObject* parent = nullptr);

  HotkeyMap hotkeyMap() const { return map_; }
  void setHotkeyMap(const HotkeyMap& map) { map_ = map; }

  void handleAction(QAction* action) override;

  static const char* const HOTKEY_TAG;

 private:
  QAction* VisibleHolder(const QKeySequence& sequence, const QAction* except) const;

  HotkeyMap map_;
  std::vector<QPointer<QAction>> handled_;
};

}  // namespace App
}  // namespace Zentor
