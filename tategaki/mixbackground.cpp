#include "mixbackground.h"

#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

namespace tategaki {
namespace {

bool fillsItsBackground(const QWidget &w)
{
    return w.isWindow() || w.autoFillBackground() || w.testAttribute(Qt::WA_OpaquePaintEvent);
}

// render() fills the widget it starts from with its palette unless told
// not to; only widgets that fill their background on screen may do so.
QWidget::RenderFlags ownBackground(const QWidget &w)
{
    return fillsItsBackground(w) ? QWidget::DrawWindowBackground : QWidget::RenderFlags();
}

// Renders `region` of `w` (w's coordinates) so that w's origin falls on
// `origin` in the painter's device.
void renderPart(QPainter &p, const QWidget &w, QRect region, const QPoint &origin, QWidget::RenderFlags flags)
{
    region &= w.rect();
    if (region.isEmpty())
        return;
    // render() places the top-left of the region's bounding rectangle at
    // the target offset.
    const_cast<QWidget &>(w).render(&p, origin + region.topLeft(), QRegion(region), flags);
}

// Paints what lies beneath `w` within `r` (w's coordinates); w's origin is
// at `origin` in the device.
void paintUnder(QPainter &p, const QWidget &w, const QRect &r, const QPoint &origin)
{
    const QWidget *parent = w.parentWidget();
    if (!parent || w.isWindow()) {
        p.fillRect(QRect(origin + r.topLeft(), r.size()), w.palette().window());
        return;
    }
    const QPoint parentOrigin = origin - w.pos();
    const QRect pr = r.translated(w.pos()) & parent->rect();
    if (pr.isEmpty())
        return;
    if (!fillsItsBackground(*parent))
        paintUnder(p, *parent, pr, parentOrigin);
    renderPart(p, *parent, pr, parentOrigin, ownBackground(*parent));
    // Children are stacked in the order of the parent's child list, the
    // last on top: only those before `w` lie beneath it.
    for (const QObject *o : parent->children()) {
        if (o == &w)
            break;
        const auto *s = qobject_cast<const QWidget *>(o);
        if (!s || s->isWindow() || !s->isVisibleTo(parent))
            continue;
        const QRect sr = s->geometry() & pr;
        if (sr.isEmpty())
            continue;
        renderPart(p, *s, sr.translated(-s->pos()), parentOrigin + s->pos(),
                   ownBackground(*s) | QWidget::DrawChildren);
    }
}

} // namespace

QRect paintedRect(const QPainter &canvas, const QRect &client)
{
    QRect r = client;
    // A widget's paint event region reaches the painter only as the
    // engine's system clip, in device coordinates.
    if (const QPaintEngine *engine = canvas.paintEngine()) {
        const QRegion system = engine->systemClip();
        if (!system.isEmpty()) {
            bool invertible = false;
            const QTransform toLogical = canvas.deviceTransform().inverted(&invertible);
            if (invertible)
                r &= toLogical.mapRect(QRectF(system.boundingRect())).toAlignedRect();
        }
    }
    if (canvas.hasClipping())
        r &= canvas.clipBoundingRect().toAlignedRect();
    return r;
}

void paintBeneath(const QWidget &control, QImage &into, const QRect &area)
{
    QPainter p(&into);
    paintUnder(p, control, area, -area.topLeft());
}

void paintMixedWidget(QPainter &canvas, const QWidget &control, const QRect &clip, const DrawProcedure &draw,
                      int level)
{
    const BackgroundSource background = [&control](QImage &into, const QRect &area) {
        paintBeneath(control, into, area);
    };
    paintMixedArea(canvas, clip, control.rect(), background, draw, level);
}

} // namespace tategaki
