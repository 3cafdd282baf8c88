#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

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

inline QColor px(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}
