#include "stripbutton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "platform/sjis.h"
#include "platform/ui/colors.h"
#include "platform/ui/fonts.h"

using namespace platform;

StripButton::StripButton(QWidget *parent, const char *name, const QString &caption, const QRect &bounds)
    : TSpeedButtonTategaki(parent)
{
    setObjectName(QLatin1String(name));
    setGeometry(bounds);
    setFont(fonts::font(fonts::MSPGothic, 19, true));
    setColor(colors::clBtnFace);
    setTategaki(true);
    setMultiLine(false);
    setCaption(sjis::encode(caption));
    setFocusPolicy(Qt::StrongFocus);
}

void StripButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat() && isEnabled())
            Click();
        event->accept();
        return;
    }
    TSpeedButtonTategaki::keyPressEvent(event);
}

void StripButton::paintEvent(QPaintEvent *event)
{
    TSpeedButtonTategaki::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter p(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(4, 4, -4, -4);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
}

void StripButton::focusInEvent(QFocusEvent *event)
{
    TSpeedButtonTategaki::focusInEvent(event);
    update();
}

void StripButton::focusOutEvent(QFocusEvent *event)
{
    TSpeedButtonTategaki::focusOutEvent(event);
    update();
}
