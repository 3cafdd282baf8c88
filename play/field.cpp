#include "field.h"

#include <QtGlobal>

#include <algorithm>
#include <numeric>

#include "deck/poemtable.h"

namespace match {

int Field::count(Side s) const
{
    const auto &row = slots_[index(s)];
    return static_cast<int>(std::count_if(row.begin(), row.end(), [](int p) { return p != 0; }));
}

QList<int> Field::poems(Side s) const
{
    QList<int> out;
    for (int p : slots_[index(s)])
        if (p != 0)
            out << p;
    return out;
}

namespace {

// A whole number in [lo, hi], written without a sign of its own.
std::optional<int> number(QStringView s, int lo, int hi)
{
    bool ok = false;
    const int n = s.toString().toInt(&ok);
    if (!ok || n < lo || n > hi || s.startsWith(u'+'))
        return std::nullopt;
    return n;
}

std::optional<Side> sideOfLetter(QChar c)
{
    if (c == u'P')
        return Side::Player;
    if (c == u'O')
        return Side::Opponent;
    return std::nullopt;
}

} // namespace

QString slotText(int slot)
{
    return QString::number(rowOf(slot)) + u'.' + QString::number(columnOf(slot));
}

std::optional<int> slotFromText(QStringView s)
{
    const qsizetype dot = s.indexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    const auto row = number(s.left(dot), 0, kRows - 1);
    const auto column = number(s.mid(dot + 1), 0, kColumns - 1);
    if (!row || !column)
        return std::nullopt;
    return slotAt(*row, *column);
}

QString Place::text() const
{
    return (side == Side::Player ? u'P' : u'O') + slotText(slot);
}

std::optional<Place> Place::fromText(QStringView s)
{
    if (s.size() < 2)
        return std::nullopt;
    const auto sd = sideOfLetter(s[0]);
    const auto k = slotFromText(s.mid(1));
    if (!sd || !k)
        return std::nullopt;
    return Place{*sd, *k};
}

std::optional<Place> Place::fromStored(QStringView s)
{
    if (s.size() >= 2 && (s[0] == u'p' || s[0] == u'o')) {
        const auto k = number(s.mid(1), 0, kSlots - 1);
        if (!k)
            return std::nullopt;
        return Place{s[0] == u'p' ? Side::Player : Side::Opponent, *k};
    }
    return fromText(s);
}

std::optional<Place> Field::find(int poem) const
{
    if (poem == 0)
        return std::nullopt;
    for (Side s : {Side::Player, Side::Opponent})
        for (int k = 0; k < kSlots; ++k)
            if (at(s, k) == poem)
                return Place{s, k};
    return std::nullopt;
}

void Field::put(Place p, int poem)
{
    Q_ASSERT(p.slot >= 0 && p.slot < kSlots && at(p) == 0);
    slots_[index(p.side)][static_cast<std::size_t>(p.slot)] = poem;
}

void Field::remove(int poem)
{
    if (const auto p = find(poem))
        slots_[index(p->side)][static_cast<std::size_t>(p->slot)] = 0;
}

void Field::swap(Side s, int a, int b)
{
    Q_ASSERT(a >= 0 && a < kSlots && b >= 0 && b < kSlots);
    auto &row = slots_[index(s)];
    std::swap(row[static_cast<std::size_t>(a)], row[static_cast<std::size_t>(b)]);
}

int Field::freeSlot(Side s) const
{
    for (int r = 0; r < kRows; ++r) {
        // Outer columns first, alternating left and right.
        for (int i = 0; i < kAreaColumns; ++i) {
            for (int column : {i, kColumns - 1 - i}) {
                const int k = slotAt(r, column);
                if (at(s, k) == 0)
                    return k;
            }
        }
    }
    return -1;
}

Field dealField(platform::Random &rng)
{
    QList<int> order = readingOrder(rng);
    Field f;
    int next = 0;
    constexpr int perRow[kRows] = {8, 8, 9}; // front, middle, back
    for (Side s : {Side::Player, Side::Opponent}) {
        for (int r = kRows - 1; r >= 0; --r) {
            const int left = (perRow[r] + 1) / 2;
            const int right = perRow[r] - left;
            for (int i = 0; i < left; ++i)
                f.put({s, slotAt(r, i)}, order[next++]);
            for (int i = 0; i < right; ++i)
                f.put({s, slotAt(r, kColumns - 1 - i)}, order[next++]);
        }
    }
    Q_ASSERT(next == 2 * kCardsPerSide);
    return f;
}

QList<int> readingOrder(platform::Random &rng)
{
    QList<int> order(deck::kPoemCount);
    std::iota(order.begin(), order.end(), 1);
    // Fisher-Yates with the program's own generator, so a seed replays a match.
    for (int i = deck::kPoemCount - 1; i > 0; --i)
        std::swap(order[i], order[rng.below(i + 1)]);
    return order;
}

} // namespace match
