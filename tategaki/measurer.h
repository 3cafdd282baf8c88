#pragma once

#include <QStringView>

#include <vector>

// What the column breaker and the placement need from a font: the width of a
// column and the advance of a run along the writing direction. The breaker
// and the placement never touch a font themselves, so every rule can be
// tested with fixed advances.
namespace tategaki {

class TategakiMeasurer {
public:
    virtual ~TategakiMeasurer() = default;

    // Width of one column (height of one horizontal line) in pixels: the
    // absolute character height of the font.
    virtual int fontSize() const = 0;

    // Fills out[k] with the extent in whole pixels of run[0 .. k), for
    // k = 0 .. run.size(); out[0] is 0. The run is measured as one piece, so
    // every prefix extent comes from a single measurement of the run.
    virtual void prefixExtents(QStringView run, std::vector<int> &out) = 0;

    int extent(QStringView run);
};

// Advances by rule instead of by font: `full` pixels for a full-width unit,
// `half` for a half-width one (ASCII, Latin-1, half-width kana), 0 for
// control characters. The measurer of the layout tests and of
// `tategaki_dump --fixed`.
class FixedMeasurer final : public TategakiMeasurer {
public:
    explicit FixedMeasurer(int full = 16, int half = 8, int fontSize = -1);

    static bool isHalfWidth(char16_t c);

    int fontSize() const override { return fontSize_; }
    void prefixExtents(QStringView run, std::vector<int> &out) override;

private:
    int full_;
    int half_;
    int fontSize_;
};

} // namespace tategaki
