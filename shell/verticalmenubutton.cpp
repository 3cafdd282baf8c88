#include "verticalmenubutton.h"

#include <QKeyEvent>

#include "platform/sjis.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"

VerticalMenuButton::VerticalMenuButton(QWidget *parent, const char *name, const QString &caption, const QRect &bounds)
    : TSpeedButtonTategaki(parent)
{
    setObjectName(QLatin1String(name));
    setGeometry(bounds);
    setCaption(platform::sjis::encode(caption));
    setFont(platform::fonts::font(QStringLiteral("@") + platform::fonts::MSPGothic, 19, true));
    setColor(platform::colors::clBtnFace);
    setTategaki(true);
    setFocusPolicy(Qt::StrongFocus);
    OnDrawButton = [](tategaki::TCustomSpeedButtonTategaki *b, tategaki::TDrawButtonZelInfo &info) {
        info.Focused = b->hasFocus();
    };
}

void VerticalMenuButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        if (!event->isAutoRepeat() && isEnabled())
            Click();
        return;
    }
    TSpeedButtonTategaki::keyPressEvent(event);
}

void VerticalMenuButton::focusInEvent(QFocusEvent *event)
{
    TSpeedButtonTategaki::focusInEvent(event);
    update();
}

void VerticalMenuButton::focusOutEvent(QFocusEvent *event)
{
    TSpeedButtonTategaki::focusOutEvent(event);
    update();
}
