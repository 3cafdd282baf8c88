#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

#include "play/field.h"

// One's standard layout (定位置): for every poem, the zone of one's own
// side it goes to — a row and its left or right area — and its order there,
// from the outer edge of the area inwards.
namespace match {

// Zone z is row z / 2 (0 faces the middle line, 2 the player) and the
// left (even z) or right (odd z) area.
constexpr int kZones = 2 * kRows;
constexpr int zoneOf(int row, bool right) { return 2 * row + (right ? 1 : 0); }
constexpr int zoneRow(int zone) { return zone / 2; }
constexpr bool zoneIsRight(int zone) { return zone % 2 == 1; }
QString zoneName(int zone); // for the player: "下段右" …

class StandardLayout {
public:
    using Zones = std::array<QList<int>, kZones>;

    // Every poem 1..100 exactly once over the zones.
    static std::optional<StandardLayout> fromZones(const Zones &zones, QString *why = nullptr);
    // The zones top row first, each as poem numbers joined by ',', the zones
    // joined by '/': "12,3/…". The saved form and the tests' notation.
    static std::optional<StandardLayout> fromText(QStringView text, QString *why = nullptr);
    QString text() const;

    const Zones &zones() const { return zones_; }
    int zone(int poem) const;
    int rank(int poem) const; // place in its zone's order

private:
    StandardLayout() = default;
    Zones zones_;
};

// What the usual guides advise: a family of cards that share an opening
// (友札) in one zone, the one-syllable cards low on the right, the larger
// families low down, the lowest row fullest; of the three six-syllable
// pairs, one card is moved across to the other area of its row.
const StandardLayout &defaultLayout();

// Side `s` of `f` laid out by `layout`: each card in its zone, in the
// zone's order from the outer edge; a zone with more cards than columns
// passes the rest to the nearest zone of the same area, then of the other.
Field arranged(const Field &f, Side s, const StandardLayout &layout);

} // namespace match
