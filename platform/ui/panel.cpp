#include "panel.h"

#include <QPainter>

#include "platform/gui/colors.h"

namespace platform::ui {

QRect frame3D(QPainter &p, QRect rect, const QColor &topLeft, const QColor &bottomRight, int width)
{
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
        p.setPen(topLeft);
        p.drawLine(l, b, l, t);
        p.drawLine(l, t, r, t);
        p.setPen(bottomRight);
        p.drawLine(r, t, r, b);
        p.drawLine(r, b, l, b);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

Panel::Panel(QWidget *parent)
    : QWidget(parent), color_(colors::clBtnFace), fontColor_(colors::clWindowText)
{
}

void Panel::setColor(const QColor &c)
{
    color_ = c;
    update();
}

void Panel::setBevels(Bevel outer, Bevel inner, int width)
{
    outer_ = outer;
    inner_ = inner;
    bevelWidth_ = width;
    update();
}

void Panel::setBorderLine(bool on)
{
    borderLine_ = on;
    update();
}

void Panel::setCaption(const QString &caption)
{
    if (caption_ == caption)
        return;
    caption_ = caption;
    update();
}

void Panel::setFontColor(const QColor &c)
{
    fontColor_ = c;
    update();
}

void Panel::setCaptionAlignment(Qt::Alignment a)
{
    alignment_ = a;
    update();
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect r = rect();
    if (borderLine_)
        r = frame3D(p, r, colors::clWindowText, colors::clWindowText, 1);
    auto bevel = [&](Bevel b) {
        if (b == Bevel::Raised)
            r = frame3D(p, r, colors::clBtnHighlight, colors::clBtnShadow, bevelWidth_);
        else if (b == Bevel::Lowered)
            r = frame3D(p, r, colors::clBtnShadow, colors::clBtnHighlight, bevelWidth_);
    };
    bevel(outer_);
    bevel(inner_);
    p.fillRect(r, color_);
    if (!caption_.isEmpty()) {
        p.setFont(font());
        p.setPen(fontColor_);
        // A caption wider than the panel keeps its start in view: trailing
        // spaces that push the text aside then fall off the right edge.
        Qt::Alignment a = alignment_ | Qt::AlignVCenter;
        if (p.fontMetrics().horizontalAdvance(caption_) > r.width())
            a = (a & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
        p.drawText(r, int(a), caption_);
    }
}

} // namespace platform::ui
