#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include "panel.h"
#include "platform/gui/colors.h"

class QLabel;
class QPushButton;
class QTimer;
class QWidget;

// The few ways every window makes its controls, in one place.
namespace platform::ui::kit {

enum ButtonOption {
    PlainButton = 0x0,
    NarrowToFit = 0x1, // the font narrowed as fittedFont() does for the caption
    EnterClicks = 0x2, // the focused button answers Enter as well as Space
};
Q_DECLARE_FLAGS(ButtonOptions, ButtonOption)

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QRect &bounds,
                    const QFont &font, ButtonOptions options = PlainButton);

// A caption wider than `width` less a little padding narrows its font (to
// 75 % at most) rather than being cut at both ends; face and height stay.
QFont fittedFont(QFont font, const QString &caption, int width);

// A fixed-size plain-text label, its text clipped to `bounds`.
QLabel *label(QWidget *parent, const QString &name, const QRect &bounds, const QFont &font, const QColor &color,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

// A panel with both bevels lowered by one pixel, the windows' only kind.
Panel *panel(QWidget *parent, const QString &name, const QRect &bounds, const QColor &color = colors::clNavy);

void setTextColor(QWidget *w, const QColor &color);

// Interval 0 is a stopped timer (it stays 0 until the next start); any other
// interval (re)starts it. Every window stops its timers this one way, QTimer
// or TickTimer alike.
template <typename Timer>
void setInterval(Timer *timer, int ms)
{
    if (ms == 0) {
        timer->stop();
        timer->setInterval(0);
        return;
    }
    timer->setInterval(ms);
    timer->start();
}

} // namespace platform::ui::kit

Q_DECLARE_OPERATORS_FOR_FLAGS(platform::ui::kit::ButtonOptions)
