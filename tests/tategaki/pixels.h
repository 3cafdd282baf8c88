#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include "platform/ui/panel.h"

// Where a drawing left ink: the bounding box of the pixels that differ from
// the background (empty when none do).
inline QRect inkBox(const QImage &image, QColor background, QRect within = QRect())
{
    const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
    const QRgb bg = background.rgb();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) != bg)
                box |= QRect(x, y, 1, 1);
    return box;
}

inline int countPixels(const QImage &image, QColor color, QRect within = QRect())
{
    const QRect area = within.isNull() ? image.rect() : within.intersected(image.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == color.rgb();
    return n;
}

// What a widget shows, in a format whose pixels compare as plain RGB.
inline QImage render(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QColor px(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// A borderless panel of one colour: a known background to draw over.
inline void plain(platform::Panel &panel, QColor color, QSize size)
{
    panel.setBevels(platform::Bevel::None, platform::Bevel::None);
    panel.setColor(color);
    panel.resize(size);
}

inline platform::Panel *plain(QWidget *parent, QColor color, QRect geometry)
{
    auto *panel = new platform::Panel(parent);
    plain(*panel, color, geometry.size());
    panel->move(geometry.topLeft());
    return panel;
}
