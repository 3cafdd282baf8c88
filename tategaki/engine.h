#pragma once

#include <QByteArrayView>
#include <QRect>
#include <QStringView>

#include <cstdint>
#include <vector>

#include "tategaki/measurer.h"

class QFont;
class QPainter;

// The vertical text engine: column breaking under the kinsoku rules, block
// placement, justification, drawing and measuring.
//
// Pipeline: Shift-JIS bytes -> UTF-16 -> columns (BreakTategakiLine, with a
// TategakiMeasurer) -> placement (LayoutTategakiText, pure values) ->
// glyphs drawn by QPainter (DrawTategakiText). Columns run top to bottom
// and follow each other from right to left.
namespace tategaki {

enum TAlignment : std::uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TTextLayout : std::uint8_t { tlTop = 0, tlCenter = 1, tlBottom = 2 };

// A rectangle whose Right and Bottom are exclusive (Width = Right - Left),
// the convention every box in the engine is computed in. QRect's right() is
// inclusive, so convert only through fromQRect / toQRect.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    void Offset(int dx, int dy)
    {
        Left += dx;
        Right += dx;
        Top += dy;
        Bottom += dy;
    }
    static TRect fromQRect(const QRect &r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TRect &) const = default;
};

struct TTategakiTextParams {
    TAlignment Alignment = taLeftJustify; // along each column; 0 justifies broken columns
    TTextLayout Layout = tlTop;           // the block: flush right, centred, flush left
    bool MultiLine = false;
    std::int32_t LineMargin = 0;          // pixels between adjacent columns
    bool Tategaki = true;                 // false: horizontal lines
    bool MeasureOnly = false;             // fit the rectangle to the text, draw nothing
    std::int32_t KinsokuLevel = 2;        // 2 or more: small kana may not begin a column
    std::int32_t KinsokuMargin = 0;       // pixels kept free at every column's end for hanging
};

// Returns how many units of text[Position ..] form the next column and
// advances Position past them and past a CR LF that ends them. `Length` is
// the number of units of `Text` to consider.
int BreakTategakiLine(TategakiMeasurer &Measurer, QStringView Text, int Length, int &Position, int MaxExtent,
                      int HangExtent, int KinsokuLevel);

// Number of columns the text takes in `Rect` (1 when not MultiLine, 0 for an
// empty multi-line text).
int CountTategakiLines(TategakiMeasurer &Measurer, QStringView Text, int Length, const TRect &Rect,
                       const TTategakiTextParams &Params);

// One column (or horizontal line) as placed.
struct TategakiColumn {
    int first = 0;    // index of its first unit in the text
    int count = 0;    // units drawn; 0 for the empty column of a CR LF
    int x = 0;        // vertical: the column's right edge; horizontal: the line's left
    int y = 0;        // vertical: where the first unit starts; horizontal: the line's top
    int extent = 0;   // advance of the `count` units, unspaced
    int spacing = 0;  // justified: extra pixels after each unit of the first gaps
    int wideGaps = 0; // justified: the last `wideGaps` gaps get spacing + 1
    bool justified = false;
    // offsets[i]: start of unit first + i along the writing direction,
    // relative to (x, y), spacing included; offsets[count] is the end.
    std::vector<int> offsets;
};

struct TategakiLayout {
    int fontSize = 0;
    int linePitch = 0; // fontSize + LineMargin
    std::vector<TategakiColumn> columns;
};

// Breaks and places `Text` in `Rect` without drawing (MeasureOnly is
// ignored). The result is what DrawTategakiText draws.
TategakiLayout LayoutTategakiText(TategakiMeasurer &Measurer, QStringView Text, const TRect &Rect,
                                  const TTategakiTextParams &Params);

// The rectangle that MeasureOnly produces.
TRect MeasureTategakiText(TategakiMeasurer &Measurer, QStringView Text, const TRect &Rect,
                          const TTategakiTextParams &Params);

// Shift-JIS caption -> UTF-16 units; a trailing first byte of a
// double-byte character is dropped, the complete characters stay.
QString TategakiUnits(QByteArrayView Text);

// Draws the Shift-JIS text in Rect with the painter's font and pen colour,
// or, with MeasureOnly, changes Rect to the text's extent and draws nothing.
// Vertical text is shaped top to bottom: full-width characters upright in
// their vertical forms, half-width characters turned 90 degrees clockwise.
void DrawTategakiText(QPainter &Canvas, TRect &Rect, QByteArrayView Text, const TTategakiTextParams &Params);

// Sets the font on the painter, then draws once (enabled) or embossed: the
// text in clBtnHighlight one pixel down and right, then in clBtnShadow.
void DrawTategakiTextState(QPainter &Canvas, const QFont &Font, QByteArrayView Text, bool Enabled,
                           const TTategakiTextParams &Params, TRect &Rect);

} // namespace tategaki
