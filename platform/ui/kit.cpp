#include "kit.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace platform::ui::kit {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QRect &bounds,
                    const QFont &font, ButtonOptions options)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(bounds);
    b->setFont(options & NarrowToFit ? fittedFont(font, caption, bounds.width()) : font);
    if (options & EnterClicks)
        b->setAutoDefault(true);
    return b;
}

QFont fittedFont(QFont font, const QString &caption, int width)
{
    constexpr int padding = 8;
    const int advance = QFontMetrics(font).horizontalAdvance(caption);
    if (advance > width - padding) {
        const int stretch = std::max(75, 100 * (width - padding) / advance);
        font.setStretch(stretch);
    }
    return font;
}

QLabel *label(QWidget *parent, const QString &name, const QRect &bounds, const QFont &font, const QColor &color,
              Qt::Alignment alignment)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(bounds);
    l->setFont(font);
    l->setAlignment(alignment);
    l->setMargin(0);
    l->setIndent(0);
    l->setTextFormat(Qt::PlainText);
    setTextColor(l, color);
    return l;
}

Panel *panel(QWidget *parent, const QString &name, const QRect &bounds, const QColor &color)
{
    auto *p = new Panel(parent);
    p->setObjectName(name);
    p->setGeometry(bounds);
    p->setColor(color);
    p->setBevels(Bevel::Lowered, Bevel::Lowered, 1);
    return p;
}

void setTextColor(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    w->setPalette(pal);
}

} // namespace platform::ui::kit
