// The pen of the outlines and guides the drawing tools lay over the view.
#pragma once

#include <QBrush>
#include <QPen>

namespace Zentor {
namespace Glimra {

// Dashed, one pixel wide, in the given colour or gradient.
inline QPen OutlinePen(const QBrush& brush) { return QPen(brush, 1.0, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin); }

}  // namespace Glimra
}  // namespace Zentor
