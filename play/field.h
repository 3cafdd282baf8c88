#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

#include "platform/random.h"

// The floor of a practice match: two sides of three rows, each row split
// into a left and a right area. Cards sit in numbered slots so that the
// player's own arrangement and the cards sent across keep their places.
namespace match {

enum class Side { Player = 0, Opponent = 1 };
constexpr Side other(Side s) { return s == Side::Player ? Side::Opponent : Side::Player; }

constexpr int kRows = 3;        // row 0 faces the middle line, row 2 the player
constexpr int kAreaColumns = 9; // columns of one area
constexpr int kColumns = 2 * kAreaColumns;
constexpr int kSlots = kRows * kColumns;
constexpr int kCardsPerSide = 25;

constexpr int rowOf(int slot) { return slot / kColumns; }
constexpr int columnOf(int slot) { return slot % kColumns; }
constexpr bool inLeftArea(int slot) { return columnOf(slot) < kAreaColumns; }
constexpr int slotAt(int row, int column) { return row * kColumns + column; }

struct Place {
    Side side = Side::Player;
    int slot = 0;
    bool operator==(const Place &) const = default;

    // "P2.3": the side's letter (P the player, O the opponent), the row and
    // the column. Match records, the history and the tests spell places so;
    // the records' readers depend on it, so it never changes.
    QString text() const;
    // Reads text()'s spelling and nothing else.
    static std::optional<Place> fromText(QStringView s);
    // Also the position drill's first spelling in the history, "p14" (the
    // side in lower case, then the slot), so that rows written with it read
    // as they always did.
    static std::optional<Place> fromStored(QStringView s);
};

// "2.3": a slot as a side's cards are listed, row then column.
QString slotText(int slot);
std::optional<int> slotFromText(QStringView s);

class Field {
public:
    int at(Side s, int slot) const { return slots_[index(s)][static_cast<std::size_t>(slot)]; }
    int at(Place p) const { return at(p.side, p.slot); }
    int count(Side s) const;
    QList<int> poems(Side s) const; // in slot order
    std::optional<Place> find(int poem) const;

    void put(Place p, int poem);
    void remove(int poem);
    // Moves a card to another slot of the same side; a card already there
    // takes the first one's place.
    void swap(Side s, int a, int b);
    // Where a card sent to side `s` goes: the first free slot of the front
    // row, outer columns first, then the rows behind. -1 when full.
    int freeSlot(Side s) const;

private:
    static std::size_t index(Side s) { return static_cast<std::size_t>(s); }
    std::array<std::array<int, kSlots>, 2> slots_{};
};

// 50 different poems, 25 a side, laid out back row first: 9, 8 and 8 cards
// in the rows from the back, each row split between the two areas and laid
// from the outer edges inwards.
Field dealField(platform::Random &rng);

// The hundred poems in reading order.
QList<int> readingOrder(platform::Random &rng);

} // namespace match
