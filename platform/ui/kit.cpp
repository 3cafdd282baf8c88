#include "kit.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace platform::ui::kit {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QRect &bounds,
                    const QFont &font)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(bounds);
    b->setFont(font);
    return b;
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
