#include "statictext.h"

#include <QPainter>

#include "platform/gui/colors.h"
#include "platform/ui/panel.h"

namespace records {

using namespace platform;
using namespace platform::ui;

StaticText::StaticText(const QString &name, const QRect &geometry, Qt::Alignment alignment,
                       const QColor &background, QWidget *parent)
    : QLabel(parent), background_(background)
{
    setObjectName(name);
    setGeometry(geometry);
    setAlignment(alignment | Qt::AlignVCenter);
}

void StaticText::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect inside = frame3D(p, rect(), colors::clBtnShadow, colors::clBtnHighlight, 1);
    p.fillRect(inside, background_);
    p.setClipRect(inside);
    p.setFont(font());
    p.setPen(colors::clWindowText);
    // A pixel of air on either side; a text wider than that (a ten-character
    // date fills its cell to the pixel) is drawn narrower, never cut.
    QRectF box = inside.adjusted(1, 0, -1, 0);
    const qreal advance = p.fontMetrics().horizontalAdvance(text());
    if (advance > box.width()) {
        const qreal squeeze = box.width() / advance;
        p.translate(box.left(), 0);
        p.scale(squeeze, 1);
        box = QRectF(0, box.top(), advance, box.height());
    }
    p.drawText(box, int(alignment()), text());
}

} // namespace records
