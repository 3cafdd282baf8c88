#include "standardlayout.h"

#include <QMap>
#include <QStringList>

#include <algorithm>

#include "deck/spoken.h"

namespace match {

QString zoneName(int zone)
{
    static const char *const rows[] = {"上段", "中段", "下段"};
    return QString::fromUtf8(rows[zoneRow(zone)]) + (zoneIsRight(zone) ? QStringLiteral("右") : QStringLiteral("左"));
}

std::optional<StandardLayout> StandardLayout::fromZones(const Zones &zones, QString *why)
{
    std::array<bool, deck::kPoemCount + 1> seen{};
    int count = 0;
    for (const QList<int> &zone : zones) {
        for (int poem : zone) {
            if (poem < 1 || poem > deck::kPoemCount || seen[std::size_t(poem)]) {
                if (why)
                    *why = poem < 1 || poem > deck::kPoemCount ? QStringLiteral("no poem %1").arg(poem)
                                                                : QStringLiteral("poem %1 twice").arg(poem);
                return std::nullopt;
            }
            seen[std::size_t(poem)] = true;
            ++count;
        }
    }
    if (count != deck::kPoemCount) {
        if (why)
            *why = QStringLiteral("%1 poems, not %2").arg(count).arg(deck::kPoemCount);
        return std::nullopt;
    }
    StandardLayout l;
    l.zones_ = zones;
    return l;
}

std::optional<StandardLayout> StandardLayout::fromText(QStringView text, QString *why)
{
    const QList<QStringView> parts = text.split(u'/');
    if (parts.size() != kZones) {
        if (why)
            *why = QStringLiteral("%1 zones, not %2").arg(parts.size()).arg(kZones);
        return std::nullopt;
    }
    Zones zones;
    for (int z = 0; z < kZones; ++z) {
        if (parts[z].isEmpty())
            continue;
        for (QStringView item : parts[z].split(u',')) {
            bool ok = false;
            const int poem = item.toInt(&ok);
            if (!ok) {
                if (why)
                    *why = QStringLiteral("not a number: %1").arg(item);
                return std::nullopt;
            }
            zones[std::size_t(z)] << poem;
        }
    }
    return fromZones(zones, why);
}

QString StandardLayout::text() const
{
    QStringList parts;
    for (const QList<int> &zone : zones_) {
        QStringList items;
        for (int poem : zone)
            items << QString::number(poem);
        parts << items.join(u',');
    }
    return parts.join(u'/');
}

int StandardLayout::zone(int poem) const
{
    for (int z = 0; z < kZones; ++z)
        if (zones_[std::size_t(z)].contains(poem))
            return z;
    return -1;
}

int StandardLayout::rank(int poem) const
{
    const int z = zone(poem);
    return z < 0 ? -1 : int(zones_[std::size_t(z)].indexOf(poem));
}

namespace {

// Zones lowest row first, the right area (the usual hand's) before the left.
constexpr int kLowFirst[] = {zoneOf(2, true), zoneOf(2, false), zoneOf(1, true),
                             zoneOf(1, false), zoneOf(0, true), zoneOf(0, false)};
// How many of the hundred each zone is meant to hold, so that the lowest
// row stays the fullest.
constexpr int kShare[] = {10, 10, 15, 15, 25, 25};

constexpr int mirror(int zone) { return zone ^ 1; }

StandardLayout makeDefault()
{
    QList<QList<int>> families; // one-syllable cards first, then the rest by size
    QList<int> oneSyllable;
    QMap<QString, QList<int>> byOpening; // in kana order
    QMap<QString, QList<int>> sixPairs;
    QMap<int, QString> spoken;
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        const deck::SpokenVerse &verse = deck::spokenKaminoku(p);
        spoken[p] = verse.text();
        const int morae = deck::decidingMorae(p, {});
        if (morae == 1)
            oneSyllable << p;
        else
            byOpening[verse.opening(1)] << p;
        if (morae == 6)
            sixPairs[verse.opening(5)] << p;
    }
    const auto byKana = [&](int a, int b) { return spoken[a] < spoken[b]; };
    std::sort(oneSyllable.begin(), oneSyllable.end(), byKana);
    families << oneSyllable;
    for (QList<int> family : byOpening) {
        std::sort(family.begin(), family.end(), byKana);
        families << family;
    }
    std::stable_sort(families.begin() + 1, families.end(),
                     [](const QList<int> &a, const QList<int> &b) { return a.size() > b.size(); });

    StandardLayout::Zones zones;
    for (const QList<int> &family : families) {
        int chosen = -1;
        for (int z : kLowFirst)
            if (zones[std::size_t(z)].size() + family.size() <= kShare[z]) {
                chosen = z;
                break;
            }
        if (chosen < 0) // no zone has room for all of it: the emptiest takes it
            chosen = *std::max_element(std::begin(kLowFirst), std::end(kLowFirst), [&](int a, int b) {
                return kShare[a] - zones[std::size_t(a)].size() < kShare[b] - zones[std::size_t(b)].size();
            });
        zones[std::size_t(chosen)] << family;
    }
    // Two cards told apart only at the sixth syllable: a hand that starts
    // for one side is right half the time, so the pair is split.
    for (const QList<int> &pair : sixPairs) {
        if (pair.size() != 2)
            continue;
        for (int z = 0; z < kZones; ++z) {
            QList<int> &zone = zones[std::size_t(z)];
            if (zone.contains(pair[0]) && zone.contains(pair[1])) {
                zone.removeOne(pair[1]);
                zones[std::size_t(mirror(z))].prepend(pair[1]);
                break;
            }
        }
    }
    return *StandardLayout::fromZones(zones);
}

// The slots of a zone from the outer edge of its area inwards.
QList<int> zoneSlots(int zone)
{
    QList<int> out;
    for (int i = 0; i < kAreaColumns; ++i)
        out << slotAt(zoneRow(zone), zoneIsRight(zone) ? kColumns - 1 - i : i);
    return out;
}

// Where a zone's extra cards go: the same area's other rows, nearest first
// and lower before higher, then the other area in the same order.
QList<int> overflowOrder(int zone)
{
    QList<int> out{zone};
    const int row = zoneRow(zone);
    for (bool otherArea : {false, true}) {
        const bool right = zoneIsRight(zone) != otherArea;
        if (otherArea)
            out << zoneOf(row, right);
        for (int d = 1; d < kRows; ++d)
            for (int r : {row + d, row - d})
                if (r >= 0 && r < kRows)
                    out << zoneOf(r, right);
    }
    return out;
}

} // namespace

const StandardLayout &defaultLayout()
{
    static const StandardLayout layout = makeDefault();
    return layout;
}

Field arranged(const Field &f, Side s, const StandardLayout &layout)
{
    Field out = f;
    QList<int> cards = f.poems(s);
    for (int poem : cards)
        out.remove(poem);
    // The lowest row first, so that its cards keep their own zone.
    std::sort(cards.begin(), cards.end(), [&](int a, int b) {
        const int za = layout.zone(a), zb = layout.zone(b);
        if (zoneRow(za) != zoneRow(zb))
            return zoneRow(za) > zoneRow(zb);
        return za != zb ? za < zb : layout.rank(a) < layout.rank(b);
    });
    for (int poem : cards) {
        bool placed = false;
        for (int z : overflowOrder(layout.zone(poem))) {
            for (int slot : zoneSlots(z)) {
                if (out.at(s, slot) == 0) {
                    out.put({s, slot}, poem);
                    placed = true;
                    break;
                }
            }
            if (placed)
                break;
        }
        Q_ASSERT(placed);
    }
    return out;
}

} // namespace match
