#pragma once

#include <QImage>
#include <QRect>

#include "tategaki/mix.h"

class QPainter;
class QWidget;

namespace tategaki {

// Paints into `into` what lies beneath `control` in `area` (the control's
// client coordinates; the image's origin is the area's top-left corner):
// the ancestors that do not fill their own background, the parent, and the
// parent's children stacked below the control with everything on them.
// The control itself and the siblings above it are left out.
void paintBeneath(const QWidget &control, QImage &into, const QRect &area);

// The part of `client` a paint reaches: the paint event's region (the
// engine's system clip) and the painter's own clip, in logical coordinates.
QRect paintedRect(const QPainter &canvas, const QRect &client);

// A control's whole mixed paint at a level of 1..7: the area from the
// painter's clip (the paint event's rectangle), the bands, the background
// from paintBeneath.
void paintMixedWidget(QPainter &canvas, const QWidget &control, const QRect &clip, const DrawProcedure &draw,
                      int level);

} // namespace tategaki
