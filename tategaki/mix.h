#pragma once

#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

class QPainter;

// Blending a control's painting with what lies beneath it, in eighths.
//
// The work is done on bitmaps of blue, green and red bytes (MixFormat) and
// never on more than MixBandPixels pixels at a time, so a large control is
// mixed in horizontal bands and memory stays bounded.
//
// Areas and bands are in logical pixels; the work bitmaps are made at the
// canvas's own scale (its device pixel ratio), so on a high-density screen a
// mixed control is drawn at the screen's resolution like a plain one.
namespace tategaki {

// Largest number of (device) pixels mixed in one pass.
constexpr int MixBandPixels = 16384;

// The work bitmaps' format: Qt's own screen format, which it paints into and
// copies out of without converting (a 24-bit bitmap costs a conversion per
// row both ways and took three quarters of a mixed board's time). Each
// pixel's fourth byte is always 0xFF in both bitmaps and stays so, as the
// blend of two equal bytes is that byte.
constexpr QImage::Format MixFormat = QImage::Format_RGB32;

// The work bitmaps are never finer than this many device pixels per logical
// pixel (a printer's painter may ask for far more).
constexpr qreal MaxMixScale = 4;

// Mix levels run from 1 (one eighth of background) to 7 (seven eighths);
// 0 means "paint directly" and is never passed to the functions below.
constexpr int MinMixLevel = 1;
constexpr int MaxMixLevel = 7;

// Raised by drawMix for an empty or inverted area.
class MixError : public std::runtime_error {
public:
    MixError();
};

// The area one paint mixes: the clip intersected with the client rectangle,
// widened by one pixel at the right and at the bottom. Empty when the clip
// and the client rectangle do not meet.
QRect mixArea(const QRect &clip, const QRect &client);

// Device pixels per logical pixel of `canvas` (its device pixel ratio times
// any scaling of its own), kept within 1 .. MaxMixScale.
qreal mixScale(const QPainter &canvas);

// Whole device pixels that `logical` pixels cover at `scale`.
int deviceLength(int logical, qreal scale);

// Cuts `area` into horizontal bands of at most MixBandPixels device pixels
// at `scale` (at least one row each), top to bottom. Where the scale allows,
// band edges fall on whole device pixels (even rows at 1.5, for instance).
std::vector<QRect> mixBands(const QRect &area, qreal scale = 1);

// Logical rows of the largest band of `area` at `scale`.
int mixBandRows(const QRect &area, qreal scale = 1);

// One channel byte: `d` the control's painting, `g` the background.
// This is the plain reference; mixBytes computes the same four bytes at a time.
constexpr std::uint8_t mixChannel(int level, std::uint8_t d, std::uint8_t g)
{
    const int D = d, G = g;
    switch (level) {
    case 1: return std::uint8_t(D - D / 8 + G / 8);
    case 2: return std::uint8_t(D - D / 4 + G / 4);
    case 3: return std::uint8_t(D - D / 4 - D / 8 + G / 4 + G / 8);
    case 4: return std::uint8_t(D - D / 2 + G / 2);
    case 5: return std::uint8_t(D / 4 + D / 8 + G - G / 4 - G / 8);
    case 6: return std::uint8_t(D / 4 + G - G / 4);
    case 7: return std::uint8_t(D / 8 + G - G / 8);
    default: return d;
    }
}

// Replaces every byte of d[0 .. count) by mixChannel(level, d[i], g[i]),
// working on 32-bit words of four channel bytes with shifts and masks.
// `count` need not be a multiple of four (the tail is done byte by byte).
// A level outside 1..7 leaves `d` unchanged.
void mixBytes(std::uint8_t *d, const std::uint8_t *g, std::size_t count, int level);

// The same, one byte at a time with mixChannel: the reference the tests and
// the benchmark compare mixBytes with.
void mixBytesPlain(std::uint8_t *d, const std::uint8_t *g, std::size_t count, int level);

// Mixes the first `rows` rows of two work bitmaps of the same size and
// format (MixFormat), rows taken whole.
void mixRows(QImage &drawing, const QImage &background, int rows, int level);

// The two work bitmaps of one paint, created once and reused by every band.
// `width` x `rows` logical pixels at `scale`: the images hold the device
// pixels and carry the scale as their device pixel ratio, so a painter
// opened on them draws in logical coordinates.
struct MixBitmaps {
    QImage background; // B: what lies beneath, as its parent painted it
    QImage drawing;    // D: the control's painting over a copy of B

    MixBitmaps(int width, int rows, qreal scale = 1);
    qreal scale() const { return background.devicePixelRatio(); }
};

// Fills `into` (already sized, MixFormat, with the work scale as its
// device pixel ratio) with what lies beneath the control in `area`, given in
// the control's client coordinates; the bitmap's origin is the area's
// top-left corner.
using BackgroundSource = std::function<void(QImage &into, const QRect &area)>;

// The control's own drawing procedure, in its client coordinates.
using DrawProcedure = std::function<void(QPainter &)>;

// One blending pass over `area` (client coordinates) at the bitmaps' scale:
// captures the background, paints the control over a copy of it shifted so
// that the area's top-left falls on the bitmap's origin, mixes, and copies
// the result onto `canvas` at the area's position. Throws MixError for an
// area with no width or height.
void drawMix(QPainter &canvas, const QRect &area, MixBitmaps &bitmaps, const BackgroundSource &background,
             const DrawProcedure &draw, int level);

// The whole mixing of one paint at a level of 1..7: area, bands, one pair of
// work bitmaps at the canvas's scale, freed at the end (also when a band
// fails).
void paintMixedArea(QPainter &canvas, const QRect &clip, const QRect &client, const BackgroundSource &background,
                    const DrawProcedure &draw, int level);

} // namespace tategaki
