#pragma once

#include <QByteArray>
#include <QCache>
#include <QImage>

#include <functional>

class QPainter;

namespace tategaki {

struct TDrawButtonZelInfo;

// Finished faces of opaque rectangular buttons, kept by everything that
// decides their pixels (caption, colours, font, state, size, scale), so a
// repaint, or a sort that moves captions between cards, copies pixels
// instead of laying the caption out again. Shared by all buttons of the
// program; bounded in kilobytes, least recently used out first.
class FaceCache {
public:
    explicit FaceCache(qsizetype maxKiB = 16 * 1024) : FFaces(maxKiB) {}

    // Whether `info` may come from a cached face on `canvas`: an opaque face
    // without images, on a plain painter (not a printer's, full opacity,
    // source-over) that maps logical pixels onto whole device pixels at one
    // scale.
    static bool usable(const QPainter &canvas, const TDrawButtonZelInfo &info, bool elliptic);

    // Draws the face at the painter's origin; `draw` paints a face that is
    // not cached yet, in the face's own coordinates.
    void paint(QPainter &canvas, const TDrawButtonZelInfo &info, const std::function<void(QPainter &)> &draw);

    int hits() const { return FHits; }
    int misses() const { return FMisses; }
    void clear() { FFaces.clear(); }

    static FaceCache &instance();

private:
    QCache<QByteArray, QImage> FFaces;
    int FHits = 0;
    int FMisses = 0;
};

} // namespace tategaki
