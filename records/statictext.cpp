#include "statictext.h"

#include <QPainter>

#include "platform/ui/colors.h"
#include "platform/ui/panel.h"

namespace records {

using namespace platform;

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
    p.drawText(inside, int(alignment()), text());
}

} // namespace records
