// Column breaking and placement on any caption in any box, measured with
// fixed advances (no fonts). Every unit of the text must land in exactly one
// column or in the line break after one, every column must make progress,
// fit its box unless it is a single unit, and never be cut much shorter than
// the box allows.
//
// Input, in order (missing bytes read as 0):
//   1 byte   bits 0-1 Alignment (3 reads as 0), bits 2-3 Layout (3 reads
//            as 0), bit 4 MultiLine, bit 5 horizontal, bit 6 KinsokuLevel 1
//            instead of 2, bit 7 a shortened Length
//   1 byte   LineMargin, signed
//   1 byte   KinsokuMargin, signed
//   1 byte   full-width advance (1 .. 64)
//   1 byte   half-width advance (0 .. 63)
//   1 byte   column width (FontSize, 1 .. 64)
//   2 bytes  box width, big-endian signed
//   2 bytes  box height, big-endian signed
//   1 byte   how many units the shortened Length leaves out
//   rest     the caption: Shift-JIS bytes
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tategaki/engine.h"
#include "tategaki/kinsoku.h"
#include "tategaki/measurer.h"

#include "fuzzcheck.h"

using namespace tategaki;

namespace {

constexpr char16_t CR = 0x000D;

struct Input {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t pos = 0;
    unsigned byte() { return pos < size ? data[pos++] : 0; }
    int word() { return std::int16_t((byte() << 8) | byte()); }
};

// Units that fit within `max` from `p`, stopping at a CR: the column the
// box allows before any line-break rule moves a unit.
int greedyFit(FixedMeasurer &m, QStringView text, int length, int p, int max)
{
    int end = p;
    while (end < length && text[end] != CR)
        ++end;
    std::vector<int> ext;
    m.prefixExtents(text.sliced(p, end - p), ext);
    int k = 0;
    while (p + k < end && ext[k + 1] <= max)
        ++k;
    return k;
}

// The columns of text[0 .. length) as BreakTategakiLine gives them, checked
// one by one against the text.
int checkBreaking(FixedMeasurer &m, QStringView text, int length, int max, int hang, int level)
{
    int pos = 0;
    int columns = 0;
    while (pos < length) {
        const int start = pos;
        const int count = BreakTategakiLine(m, text, length, pos, max, hang, level);
        ++columns;
        CHECK(count >= 0 && start + count <= length);
        CHECK(pos > start); // progress, so no endless loop
        const int end = start + count;
        // A line break inside a column would be drawn as a character.
        for (int i = start; i < end; ++i)
            CHECK(text[i] != CR);
        // Between this column and the next there is nothing, or the CR LF
        // (or CR and whatever follows it) that ended it.
        CHECK(pos == end || (text[end] == CR && pos == end + 2));
        if (count == 0)
            CHECK(text[start] == CR);

        std::vector<int> ext;
        m.prefixExtents(text.sliced(start, count), ext);
        if (count >= 2)
            CHECK(ext.back() <= std::max(max, hang));
        // The rules move at most two units to the next column; hanging only
        // lengthens it.
        const int fit = greedyFit(m, text, length, start, max);
        if (count > 0)
            CHECK(count >= std::max(1, fit - 2));
        // A column cut before a unit that fits loses room for nothing
        // unless its new last unit may not end a column or the unit after
        // that may not begin one.
        if (count >= 1 && count < fit)
            CHECK(CannotEndColumn(text[end].unicode()) ||
                  (end + 1 < length && CannotBeginColumn(text[end + 1].unicode(), level)));
        // Only units that may not begin a column hang past the box.
        for (int i = start + std::max(fit, 1); i < end; ++i)
            CHECK(CannotBeginColumn(text[i].unicode(), level));
    }
    CHECK(pos <= length + 1); // a CR at the very end takes its missing LF along
    return columns;
}

void checkLayout(const TategakiLayout &layout, QStringView text, const TRect &box, const TTategakiTextParams &p,
                 int count, int max)
{
    const int length = int(text.size());
    CHECK(layout.linePitch == layout.fontSize + p.LineMargin);
    if (p.MultiLine)
        CHECK(int(layout.columns.size()) == count);
    else
        CHECK(int(layout.columns.size()) == (length > 0 ? 1 : 0));

    int next = 0;
    for (std::size_t k = 0; k < layout.columns.size(); ++k) {
        const TategakiColumn &c = layout.columns[k];
        CHECK(c.first == next || (text[next] == CR && c.first == next + 2));
        CHECK(c.count >= 0 && c.first + c.count <= length);
        next = c.first + c.count;

        CHECK(int(c.offsets.size()) == c.count + 1);
        CHECK(c.offsets.front() == 0);
        for (int i = 0; i < c.count; ++i)
            CHECK(c.offsets[i] <= c.offsets[i + 1]);
        if (c.justified) {
            CHECK(p.Alignment == taLeftJustify && p.MultiLine);
            CHECK(c.count >= 2 && c.spacing >= 0 && c.wideGaps >= 0 && c.wideGaps < c.count - 1);
            CHECK(c.offsets.back() == max); // ends exactly at the box's end
            CHECK(k + 1 < layout.columns.size());
        } else {
            CHECK(c.offsets.back() == c.extent);
        }

        // Along the column: flush with the box's start, its end, or
        // centred between them (halves truncate).
        const int start = p.Tategaki ? c.y - box.Top : c.x - box.Left;
        const int along = p.Tategaki ? box.Height() : box.Width();
        switch (p.Alignment) {
        case taLeftJustify: CHECK(start == 0); break;
        case taRightJustify: CHECK(start + c.extent == along); break;
        case taCenter: CHECK(std::abs(2 * start - (along - c.extent)) <= 1); break;
        }
        // Columns step right to left (lines top to bottom) by the pitch.
        const int across = p.Tategaki ? c.x : c.y;
        if (k > 0) {
            const TategakiColumn &prev = layout.columns[k - 1];
            CHECK((p.Tategaki ? prev.x - c.x : c.y - prev.y) == layout.linePitch);
        } else if (p.Layout == tlTop) {
            CHECK(across == (p.Tategaki ? box.Right : box.Top));
        }
    }
    if (!layout.columns.empty()) {
        const int end = layout.columns.back().first + layout.columns.back().count;
        CHECK(end == length || (text[end] == CR && end + 2 >= length));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in{data, size};
    const unsigned flags = in.byte();
    TTategakiTextParams p;
    p.Alignment = TAlignment((flags & 3) % 3);
    p.Layout = TTextLayout(((flags >> 2) & 3) % 3);
    p.MultiLine = flags & 0x10;
    p.Tategaki = !(flags & 0x20);
    p.KinsokuLevel = flags & 0x40 ? 1 : 2;
    p.LineMargin = std::int8_t(in.byte());
    p.KinsokuMargin = std::int8_t(in.byte());
    const int full = 1 + int(in.byte() % 64);
    const int half = int(in.byte() % 64);
    const int fontSize = 1 + int(in.byte() % 64);
    const int width = in.word();
    const int height = in.word();
    const int cut = int(in.byte());
    const bool shortened = flags & 0x80;
    const QString text = TategakiUnits(QByteArrayView(data + in.pos, qsizetype(size - std::min(size, in.pos))));

    const TRect box{-3, 5, -3 + width, 5 + height};
    FixedMeasurer m(full, half, fontSize);
    const int along = p.Tategaki ? box.Height() : box.Width();
    const int max = along - p.KinsokuMargin;

    const int length = int(text.size());
    const int counted = checkBreaking(m, text, length, max, along, p.KinsokuLevel);
    CHECK(CountTategakiLines(m, text, length, box, p) == (p.MultiLine ? counted : 1));

    // A Length short of the text: nothing past it is looked at or counted.
    if (shortened) {
        const int part = length - cut;
        const int partCount = checkBreaking(m, text, std::max(part, 0), max, along, p.KinsokuLevel);
        CHECK(CountTategakiLines(m, text, part, box, p) == (p.MultiLine ? partCount : 1));
        CHECK(CountTategakiLines(m, text, length + cut, box, p) == (p.MultiLine ? counted : 1));
    }

    const TategakiLayout layout = LayoutTategakiText(m, text, box, p);
    checkLayout(layout, text, box, p, counted, max);

    const TRect measured = MeasureTategakiText(m, text, box, p);
    if (p.Tategaki)
        CHECK(measured.Right == box.Right && measured.Top == box.Top);
    else
        CHECK(measured.Left == box.Left && measured.Top == box.Top);
    return 0;
}
