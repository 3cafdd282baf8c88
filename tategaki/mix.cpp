#include "mix.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tategaki {
namespace {

// Byte-wise x div 2^n on four packed bytes: the shift moves bits across byte
// boundaries, the mask drops them again.
template <int N>
constexpr std::uint32_t shr(std::uint32_t w)
{
    constexpr std::uint32_t mask = (0xFFu >> N) * 0x01010101u;
    return (w >> N) & mask;
}

// Every formula is ordered so that each partial result stays within 0..255
// in every byte: no borrow or carry ever crosses into the neighbouring byte.
template <int Level>
constexpr std::uint32_t mixWord(std::uint32_t d, std::uint32_t g)
{
    if constexpr (Level == 1)
        return d - shr<3>(d) + shr<3>(g);
    else if constexpr (Level == 2)
        return d - shr<2>(d) + shr<2>(g);
    else if constexpr (Level == 3)
        return d - shr<2>(d) - shr<3>(d) + shr<2>(g) + shr<3>(g);
    else if constexpr (Level == 4)
        return d - shr<1>(d) + shr<1>(g);
    else if constexpr (Level == 5)
        return g - shr<2>(g) - shr<3>(g) + shr<2>(d) + shr<3>(d);
    else if constexpr (Level == 6)
        return g - shr<2>(g) + shr<2>(d);
    else
        return g - shr<3>(g) + shr<3>(d);
}

template <int Level>
void mixWords(std::uint8_t *d, const std::uint8_t *g, std::size_t count)
{
    const std::size_t words = count / 4;
    for (std::size_t i = 0; i < words; ++i) {
        std::uint32_t dw, gw;
        std::memcpy(&dw, d + 4 * i, 4);
        std::memcpy(&gw, g + 4 * i, 4);
        dw = mixWord<Level>(dw, gw);
        std::memcpy(d + 4 * i, &dw, 4);
    }
    for (std::size_t i = 4 * words; i < count; ++i)
        d[i] = mixChannel(Level, d[i], g[i]);
}

QImage workBitmap(int width, int rows, qreal scale)
{
    QImage image(std::max(deviceLength(width, scale), 1), std::max(deviceLength(rows, scale), 1),
                 MixFormat);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::black); // padding bytes too, so no uninitialised byte is ever mixed
    return image;
}

// Smallest number of logical rows that covers whole device rows at `scale`
// (2 at 1.5, 4 at 1.25), or 1 when no small number does.
int wholeDeviceRowStep(qreal scale)
{
    for (int k = 1; k <= 8; ++k) {
        const qreal device = k * scale;
        if (std::abs(device - std::round(device)) < 1e-6)
            return k;
    }
    return 1;
}

} // namespace

MixError::MixError() : std::runtime_error("abnormal params in DrawMix") {}

QRect mixArea(const QRect &clip, const QRect &client)
{
    const QRect visible = clip.intersected(client);
    if (visible.isEmpty())
        return {};
    return visible.adjusted(0, 0, 1, 1);
}

qreal mixScale(const QPainter &canvas)
{
    const QTransform t = canvas.deviceTransform();
    const qreal scale = t.type() <= QTransform::TxScale ? std::max(std::abs(t.m11()), std::abs(t.m22()))
                                                         : std::sqrt(std::abs(t.determinant()));
    return std::clamp(scale, qreal(1), MaxMixScale);
}

int deviceLength(int logical, qreal scale)
{
    // The tolerance keeps 3 x (1/3) at 1 rather than 2.
    return int(std::ceil(logical * scale - 1e-6));
}

int mixBandRows(const QRect &area, qreal scale)
{
    const int w = area.width(), h = area.height();
    if (w <= 0 || h <= 0)
        return 0;
    const qint64 deviceWidth = std::max(deviceLength(w, scale), 1);
    if (deviceWidth * deviceLength(h, scale) <= MixBandPixels)
        return h;
    int rows = int((MixBandPixels / deviceWidth) / scale);
    const int step = wholeDeviceRowStep(scale);
    if (rows >= step)
        rows -= rows % step;
    return std::max(rows, 1);
}

std::vector<QRect> mixBands(const QRect &area, qreal scale)
{
    std::vector<QRect> bands;
    const int rows = mixBandRows(area, scale);
    if (rows <= 0)
        return bands;
    const int bottom = area.top() + area.height(); // one past the last row
    int top = area.top();
    while (top + rows <= bottom) {
        bands.emplace_back(area.left(), top, area.width(), rows);
        top += rows;
    }
    if (top < bottom)
        bands.emplace_back(area.left(), top, area.width(), bottom - top);
    return bands;
}

void mixBytes(std::uint8_t *d, const std::uint8_t *g, std::size_t count, int level)
{
    switch (level) {
    case 1: mixWords<1>(d, g, count); break;
    case 2: mixWords<2>(d, g, count); break;
    case 3: mixWords<3>(d, g, count); break;
    case 4: mixWords<4>(d, g, count); break;
    case 5: mixWords<5>(d, g, count); break;
    case 6: mixWords<6>(d, g, count); break;
    case 7: mixWords<7>(d, g, count); break;
    default: break;
    }
}

void mixBytesPlain(std::uint8_t *d, const std::uint8_t *g, std::size_t count, int level)
{
    if (level < MinMixLevel || level > MaxMixLevel)
        return;
    for (std::size_t i = 0; i < count; ++i)
        d[i] = mixChannel(level, d[i], g[i]);
}

void mixRows(QImage &drawing, const QImage &background, int rows, int level)
{
    Q_ASSERT(drawing.format() == MixFormat && background.format() == MixFormat);
    Q_ASSERT(drawing.size() == background.size());
    rows = std::clamp(rows, 0, drawing.height());
    // Rows are contiguous with their padding, so the whole block is one run.
    const std::size_t bytes = std::size_t(drawing.bytesPerLine()) * std::size_t(rows);
    mixBytes(drawing.bits(), background.constBits(), bytes, level);
}

MixBitmaps::MixBitmaps(int width, int rows, qreal scale)
    : background(workBitmap(width, rows, scale)), drawing(workBitmap(width, rows, scale))
{
}

void drawMix(QPainter &canvas, const QRect &area, MixBitmaps &bitmaps, const BackgroundSource &background,
             const DrawProcedure &draw, int level)
{
    const int w = area.width(), h = area.height();
    if (w <= 0 || h <= 0)
        throw MixError();
    const qreal scale = bitmaps.scale();
    const int dw = deviceLength(w, scale), dh = deviceLength(h, scale);
    if (bitmaps.background.width() < dw || bitmaps.background.height() < dh)
        bitmaps = MixBitmaps(w, h, scale);

    QImage &B = bitmaps.background;
    QImage &D = bitmaps.drawing;
    B.fill(Qt::black);
    background(B, area);

    // D starts as a copy of B; copying the bytes keeps D's buffer (no
    // reallocation per band).
    std::memcpy(D.bits(), B.constBits(), std::size_t(B.sizeInBytes()));
    {
        QPainter p(&D);
        p.setClipRect(0, 0, w, h);
        p.translate(-area.left(), -area.top());
        p.setFont(canvas.font());
        p.setPen(canvas.pen());
        p.setBrush(canvas.brush());
        p.setRenderHints(canvas.renderHints());
        draw(p);
    }
    mixRows(D, B, dh, level);
    // Device pixels of the bitmap onto the area's logical rectangle: one to
    // one when the bitmaps were made at the canvas's scale.
    canvas.drawImage(QRectF(area), D, QRectF(0, 0, w * scale, h * scale));
}

void paintMixedArea(QPainter &canvas, const QRect &clip, const QRect &client, const BackgroundSource &background,
                    const DrawProcedure &draw, int level)
{
    const QRect area = mixArea(clip, client);
    if (area.isEmpty())
        return;
    // One pair of work bitmaps for the whole paint; freed on every way out.
    const qreal scale = mixScale(canvas);
    MixBitmaps bitmaps(area.width(), mixBandRows(area, scale), scale);
    for (const QRect &band : mixBands(area, scale))
        drawMix(canvas, band, bitmaps, background, draw, level);
}

} // namespace tategaki
