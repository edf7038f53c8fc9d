// Draws the fit-into list's disabled rows as thin separator lines.
#pragma once

#include <QItemDelegate>

namespace Zentor {
namespace Glimra {

class FitIntoItemDelegate : public QItemDelegate {
  Q_OBJECT

 public:
  explicit FitIntoItemDelegate(QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  static constexpr int SEPARATOR_HEIGHT = 11;
};

}  // namespace Glimra
}  // namespace Zentor
