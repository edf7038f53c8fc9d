#include "UI/FitIntoItemDelegate.h"

#include <QPainter>

namespace Zentor {
namespace Glimra {

namespace {

bool IsSeparator(const QModelIndex& index) { return !(index.flags() & Qt::ItemIsEnabled); }

}  // namespace

FitIntoItemDelegate::FitIntoItemDelegate(QObject* parent) : QItemDelegate(parent) {}

void FitIntoItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  if (!IsSeparator(index)) {
    QItemDelegate::paint(painter, option, index);
    return;
  }
  const QRect& r = option.rect;
  const int y = (r.top() + r.bottom()) / 2;
  painter->drawLine(r.left() + 2, y, r.right() - 2, y);
}

QSize FitIntoItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (!IsSeparator(index)) return QItemDelegate::sizeHint(option, index);
  return QSize(0, SEPARATOR_HEIGHT);
}

}  // namespace Glimra
}  // namespace Zentor
