#include "facecache.h"

#include <QDataStream>
#include <QIODevice>
#include <QPainter>

#include <cmath>

#include "tategaki/customtategaki.h"
#include "tategaki/speedbuttontategaki.h"

namespace tategaki {
namespace {

bool whole(qreal v)
{
    return std::abs(v - std::round(v)) < 1e-9;
}

// The scale of a painter that maps logical pixels onto whole device pixels,
// or 0 for any other painter.
qreal pixelExactScale(const QPainter &canvas)
{
    const QTransform t = canvas.deviceTransform();
    if (t.type() > QTransform::TxScale || t.m11() != t.m22())
        return 0;
    const qreal s = t.m11();
    if (s < 1 || s > 4 || !whole(t.dx()) || !whole(t.dy()))
        return 0;
    return s;
}

QByteArray faceKey(const TDrawButtonZelInfo &info, qreal scale, QPainter::RenderHints hints)
{
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << info.Caption << info.Color.rgba() << info.FontColor.rgba() << info.Font.key() << info.Enabled
        << info.Focused << info.Frame << int(info.FrameStyle) << info.Offset << info.Rect.toQRect()
        << info.MultiLine << info.Tategaki << int(info.Layout) << scale << int(hints);
    return key;
}

} // namespace

bool FaceCache::usable(const QPainter &canvas, const TDrawButtonZelInfo &info, bool elliptic)
{
    const bool hasImage = info.Images && info.ImageIndex >= 0 && info.ImageIndex < info.Images->Count();
    return !elliptic && !hasImage && info.Color.isValid() && info.Color.alpha() == 255
        && info.Rect.Width() > 0 && info.Rect.Height() > 0 && !TCustomTategaki::IsPrinterCanvas(canvas)
        && canvas.opacity() == 1 && canvas.compositionMode() == QPainter::CompositionMode_SourceOver
        && pixelExactScale(canvas) > 0;
}

void FaceCache::paint(QPainter &canvas, const TDrawButtonZelInfo &info,
                      const std::function<void(QPainter &)> &draw)
{
    const qreal scale = pixelExactScale(canvas);
    const QByteArray key = faceKey(info, scale, canvas.renderHints());
    const QRect rect = info.Rect.toQRect();
    if (const QImage *face = FFaces.object(key)) {
        ++FHits;
        canvas.drawImage(rect.topLeft(), *face);
        return;
    }
    ++FMisses;
    auto *face = new QImage(int(std::lround(rect.width() * scale)), int(std::lround(rect.height() * scale)),
                            QImage::Format_RGB32);
    face->setDevicePixelRatio(scale);
    face->fill(info.Color);
    {
        QPainter p(face);
        p.setRenderHints(canvas.renderHints());
        p.translate(-rect.topLeft());
        draw(p);
    }
    canvas.drawImage(rect.topLeft(), *face);
    const qsizetype kib = std::max<qsizetype>(1, face->sizeInBytes() / 1024);
    FFaces.insert(key, face, kib); // deletes the face at once if it can never fit
}

FaceCache &FaceCache::instance()
{
    static FaceCache cache;
    return cache;
}

} // namespace tategaki
