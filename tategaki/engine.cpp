#include "engine.h"

#include <QPainter>

#include <algorithm>

#include "platform/sjis.h"
#include "platform/gui/colors.h"
#include "tategaki/kinsoku.h"
#include "tategaki/shaper.h"

namespace tategaki {
namespace {

constexpr char16_t CR = 0x000D;

// Length along the writing direction, where every column is broken.
int alongExtent(const TRect &rect, bool tategaki)
{
    return tategaki ? rect.Height() : rect.Width();
}

int clampedLength(QStringView text, int length)
{
    return std::clamp<int>(length, 0, static_cast<int>(text.size()));
}

} // namespace

int BreakTategakiLine(TategakiMeasurer &Measurer, QStringView Text, int Length, int &Position, int MaxExtent,
                      int HangExtent, int KinsokuLevel)
{
    const int length = clampedLength(Text, Length);
    const int start = Position;
    if (start < 0 || start >= length)
        return 0;

    // Units are counted from the column's start.
    auto unit = [&](int i) { return Text[start + i].unicode(); };
    auto cannotBegin = [&](int i) { return CannotBeginColumn(unit(i), KinsokuLevel); };
    auto cannotEnd = [&](int i) { return CannotEndColumn(unit(i)); };

    // One measurement of the run up to the next CR gives extent[k] (the first
    // k units) for every k the rules below can ask for: they never look past
    // a CR.
    int runEnd = start;
    while (runEnd < length && Text[runEnd].unicode() != CR)
        ++runEnd;
    std::vector<int> extent;
    Measurer.prefixExtents(Text.sliced(start, runEnd - start), extent);

    // Units in this column: first as many as fit, then moved by the rules.
    int count = -1;
    for (int k = 1; start + k <= length; ++k) {
        if (unit(k - 1) == CR || extent[k] > MaxExtent) {
            count = k - 1;
            break;
        }
    }

    if (count >= 0) {
        if (unit(count) == CR) {
            // Hard break: the CR and the unit after it go with this column.
            Position = start + count + 2;
            return count;
        }
        if (count >= 2 && (cannotEnd(count - 1) || cannotBegin(count))) {
            if (extent[count + 1] <= HangExtent && cannotBegin(count)) {
                int hanging = count;
                while (start + hanging < length && cannotBegin(hanging) && extent[hanging + 1] <= HangExtent)
                    ++hanging;
                if (start + hanging < length && cannotBegin(hanging) && cannotEnd(count - 1) && !cannotEnd(count - 2))
                    count = count - 1; // the opening mark moves to the next column
                else
                    count = hanging;
            } else {
                count = count - 1;
                if (cannotEnd(count - 1) && count > 1)
                    count = count - 1;
            }
        }
    } else {
        count = length - start;
    }

    if (count <= 0)
        count = 1; // a unit wider than the column still makes a column
    int next = start + count;
    // A CR LF right after an automatic break ends this column too, so it
    // does not produce an empty one; after another CR LF it does.
    if (next < length && Text[next].unicode() == CR && (next < 2 || Text[next - 2].unicode() != CR))
        next += 2;
    Position = next;
    return count;
}

int CountTategakiLines(TategakiMeasurer &Measurer, QStringView Text, int Length, const TRect &Rect,
                       const TTategakiTextParams &Params)
{
    if (!Params.MultiLine)
        return 1;
    const int length = clampedLength(Text, Length);
    const int hang = alongExtent(Rect, Params.Tategaki);
    const int max = hang - Params.KinsokuMargin;
    int columns = 0;
    for (int pos = 0; pos < length; ++columns)
        BreakTategakiLine(Measurer, Text, length, pos, max, hang, Params.KinsokuLevel);
    return columns;
}

TategakiLayout LayoutTategakiText(TategakiMeasurer &Measurer, QStringView Text, const TRect &Rect,
                                  const TTategakiTextParams &Params)
{
    TategakiLayout layout;
    layout.fontSize = Measurer.fontSize();
    layout.linePitch = layout.fontSize + Params.LineMargin;

    const int length = static_cast<int>(Text.size());
    const int along = alongExtent(Rect, Params.Tategaki);
    const int hang = along;
    const int max = hang - Params.KinsokuMargin;
    const int columns = CountTategakiLines(Measurer, Text, length, Rect, Params);
    const int block = columns * layout.linePitch - Params.LineMargin; // across all columns

    int across; // first column's right edge, or first line's top
    if (Params.Tategaki) {
        switch (Params.Layout) {
        case tlCenter: across = (Rect.Left + Rect.Right + block) / 2; break;
        case tlBottom: across = Rect.Left + block; break;
        default: across = Rect.Right; break;
        }
    } else {
        switch (Params.Layout) {
        case tlCenter: across = (Rect.Top + Rect.Bottom - block + 1) / 2; break;
        case tlBottom: across = Rect.Bottom - block; break;
        default: across = Rect.Top; break;
        }
    }

    std::vector<int> prefix;
    int pos = 0;
    while (pos < length) {
        TategakiColumn col;
        col.first = pos;
        if (Params.MultiLine) {
            col.count = BreakTategakiLine(Measurer, Text, length, pos, max, hang, Params.KinsokuLevel);
        } else {
            col.count = length;
            pos = length;
        }

        Measurer.prefixExtents(Text.sliced(col.first, col.count), prefix);
        col.extent = prefix.back();

        int offset = 0;
        if (Params.Alignment == taRightJustify || Params.Alignment == taCenter) {
            offset = along - col.extent;
            if (Params.Alignment == taCenter)
                offset /= 2;
        } else {
            const int after = col.first + col.count;
            col.justified = col.extent < max && col.count > 1 && pos < length && Text[after].unicode() > 13;
            if (col.justified) {
                const int gaps = col.count - 1;
                const int room = max - col.extent;
                col.spacing = room / gaps;
                col.wideGaps = room % gaps;
            }
        }

        // Unit i follows i gaps; of the g gaps the first g - r take q extra
        // pixels and the last r take q + 1, so a justified column ends
        // exactly at MaxExtent.
        const int narrowGaps = col.count - 1 - col.wideGaps;
        col.offsets.resize(col.count + 1);
        for (int i = 0; i <= col.count; ++i) {
            int extra = 0;
            if (col.justified) {
                const int gaps = std::min(i, col.count - 1);
                extra = gaps * col.spacing + std::max(0, gaps - narrowGaps);
            }
            col.offsets[i] = prefix[i] + extra;
        }

        const int k = static_cast<int>(layout.columns.size());
        if (Params.Tategaki) {
            col.x = across - k * layout.linePitch;
            col.y = Rect.Top + offset;
        } else {
            col.x = Rect.Left + offset;
            col.y = across + k * layout.linePitch;
        }
        layout.columns.push_back(std::move(col));
    }
    return layout;
}

TRect MeasureTategakiText(TategakiMeasurer &Measurer, QStringView Text, const TRect &Rect,
                          const TTategakiTextParams &Params)
{
    TRect r = Rect;
    const int fontSize = Measurer.fontSize();
    if (Params.MultiLine) {
        const int columns = CountTategakiLines(Measurer, Text, static_cast<int>(Text.size()), Rect, Params);
        const int block = columns * (fontSize + Params.LineMargin) - Params.LineMargin;
        if (Params.Tategaki)
            r.Left = r.Right - block;
        else
            r.Bottom = r.Top + block;
    } else {
        const int w = Measurer.extent(Text);
        if (Params.Tategaki) {
            r.Left = r.Right - fontSize;
            r.Bottom = r.Top + w;
        } else {
            r.Right = r.Left + w;
            r.Bottom = r.Top + fontSize;
        }
    }
    return r;
}

QString TategakiUnits(QByteArrayView Text)
{
    return platform::sjis::decode(Text);
}

void DrawTategakiText(QPainter &Canvas, TRect &Rect, QByteArrayView Text, const TTategakiTextParams &Params)
{
    const QString units = TategakiUnits(Text);
    FontMeasurer measurer(Canvas.font(), Params.Tategaki);
    if (!measurer.isValid())
        return; // no usable font: nothing to draw, nothing to measure
    if (Params.MeasureOnly) {
        Rect = MeasureTategakiText(measurer, units, Rect, Params);
        return;
    }
    const TategakiLayout layout = LayoutTategakiText(measurer, units, Rect, Params);
    for (const TategakiColumn &col : layout.columns) {
        if (col.count == 0)
            continue;
        const ShapedRun &run = measurer.shaped(QStringView(units).sliced(col.first, col.count));
        measurer.shaper()->draw(Canvas, run, col.offsets, QPoint(col.x, col.y), Params.Tategaki);
    }
}

void DrawTategakiTextState(QPainter &Canvas, const QFont &Font, QByteArrayView Text, bool Enabled,
                           const TTategakiTextParams &Params, TRect &Rect)
{
    Canvas.setFont(Font);
    if (Enabled || Params.MeasureOnly) {
        DrawTategakiText(Canvas, Rect, Text, Params);
        return;
    }
    const QPen pen = Canvas.pen();
    Rect.Offset(1, 1);
    Canvas.setPen(platform::colors::clBtnHighlight);
    DrawTategakiText(Canvas, Rect, Text, Params);
    Rect.Offset(-1, -1);
    Canvas.setPen(platform::colors::clBtnShadow);
    DrawTategakiText(Canvas, Rect, Text, Params);
    Canvas.setPen(pen);
}

} // namespace tategaki
