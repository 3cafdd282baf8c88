#include "decidedmark.h"

#include <QPainter>
#include <QPolygon>

#include "platform/gui/colors.h"
#include "tategaki/engine.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/shaper.h"

DecidedMark::DecidedMark(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DecidedMark"));
    resize(kWidth, kHeight);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void DecidedMark::placeAtEndOf(const tategaki::TLabelTategaki *label)
{
    Q_ASSERT(label->parentWidget() == parentWidget());
    using namespace tategaki;
    FontMeasurer measurer(label->font(), label->Tategaki());
    int end = 0;
    if (measurer.isValid()) {
        const TategakiLayout layout = LayoutTategakiText(measurer, TategakiUnits(label->Caption()),
                                                         TRect::fromQRect(label->rect()), label->TextParams());
        if (!layout.columns.empty() && !layout.columns.back().offsets.empty())
            end = layout.columns.back().y + layout.columns.back().offsets.back();
    }
    move(label->x() + label->width() + 1, label->y() + end - kHeight / 2);
    show();
    raise();
}

void DecidedMark::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(platform::colors::clRed);
    // Pointing left, at the column.
    p.drawPolygon(QPolygon({QPoint(0, kHeight / 2), QPoint(kWidth, 0), QPoint(kWidth, kHeight - 1)}));
}
