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

inline int countPixels(const QImage &image, QColor color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == color.rgb();
    return n;
}
