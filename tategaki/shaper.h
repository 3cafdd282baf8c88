#pragma once

#include <QFont>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

#include "tategaki/measurer.h"

class QPainter;

// Shaping with HarfBuzz. Vertical runs are shaped top to bottom, so the
// font's vertical forms apply; each character stands upright or lies on its
// side by its Unicode Vertical_Orientation.
namespace tategaki {

enum class GlyphOrientation : std::uint8_t {
    Upright,  // drawn as is, advancing downward
    Sideways, // turned 90 degrees clockwise, advancing by its horizontal width
};

// Vertical_Orientation of `c`, reduced to what drawing needs: U and Tu stand
// upright; Tr stands upright when the font has a vertical form for it
// (`hasVerticalForm`), otherwise it is turned like R.
GlyphOrientation orientationOf(char32_t c, bool hasVerticalForm);

struct ShapedGlyph {
    quint32 id = 0;
    int cluster = 0;    // index of the first unit it belongs to
    int advance = 0;    // whole pixels along the writing direction
    QPointF offset;     // from the pen position, painter axes of its orientation
    GlyphOrientation orientation = GlyphOrientation::Upright;
};

struct ShapedRun {
    QString text;
    std::vector<ShapedGlyph> glyphs;
    std::vector<int> unitAdvances; // per unit; 0 for units inside a cluster
};

// One font at one size, ready to shape. Costly to create (the font tables
// are loaded into HarfBuzz): get it through `forFont`, which keeps one per
// font and size.
class FontShaper {
public:
    static std::shared_ptr<FontShaper> forFont(const QFont &font);
    ~FontShaper();

    bool isValid() const;
    const QRawFont &rawFont() const { return raw_; }
    int pixelSize() const { return pixelSize_; }
    // Baseline of sideways glyphs and of horizontal lines, from the column's
    // right edge (the line's top): the font's ascent scaled to pixelSize.
    qreal ascent() const { return ascent_; }

    ShapedRun shape(QStringView text, bool vertical) const;

    // Draws the first `offsets.size() - 1` units of `run`, unit i at
    // offsets[i] along the writing direction from `origin` (the column's
    // right edge and top, or the line's left and top).
    void draw(QPainter &painter, const ShapedRun &run, const std::vector<int> &offsets, QPoint origin,
              bool vertical) const;

private:
    explicit FontShaper(const QFont &font);
    struct Private;
    std::unique_ptr<Private> d;
    QRawFont raw_;
    int pixelSize_ = 0;
    qreal ascent_ = 0;
};

// Measures with a real font along one writing direction. Keeps the runs it
// shaped last, so the extents of a column's prefixes and the column's glyphs
// come from one shaping. Meant to live for one layout or paint.
class FontMeasurer final : public TategakiMeasurer {
public:
    FontMeasurer(const QFont &font, bool vertical);

    bool isValid() const { return shaper_ && shaper_->isValid(); }
    int fontSize() const override { return fontSize_; }
    void prefixExtents(QStringView run, std::vector<int> &out) override;

    // The shaped run whose first units are `run`.
    const ShapedRun &shaped(QStringView run);
    const FontShaper *shaper() const { return shaper_.get(); }
    bool vertical() const { return vertical_; }

private:
    std::shared_ptr<FontShaper> shaper_;
    bool vertical_;
    int fontSize_;
    static constexpr std::size_t kRecentRuns = 16;
    std::vector<ShapedRun> recent_; // one paint's runs, oldest first
};

// Absolute character height of a font in pixels.
int fontPixelSize(const QFont &font);

} // namespace tategaki
