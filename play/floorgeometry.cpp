#include "floorgeometry.h"

#include <algorithm>

namespace match {

namespace {

constexpr int kCardW = 46;
constexpr int kCardH = 104;
constexpr int kPitchX = 48;
constexpr int kPitchY = 106;
constexpr int kMargin = 8;
constexpr int kAreaGap = 20;   // between the left and the right area
constexpr int kMiddleGap = 24; // between the two sides

// A cell of the floor as drawn: row 0 is the opponent's back row at the
// top, column 0 the leftmost as the player sees it.
struct Cell {
    int row;
    int column;
};

Cell cellOf(Place p)
{
    if (p.side == Side::Player)
        return {kRows + rowOf(p.slot), columnOf(p.slot)};
    return {kRows - 1 - rowOf(p.slot), kColumns - 1 - columnOf(p.slot)};
}

Place placeOf(Cell c)
{
    if (c.row >= kRows)
        return {Side::Player, slotAt(c.row - kRows, c.column)};
    return {Side::Opponent, slotAt(kRows - 1 - c.row, kColumns - 1 - c.column)};
}

} // namespace

QSize floorSize()
{
    return {2 * kMargin + (kColumns - 1) * kPitchX + kCardW + kAreaGap,
            2 * kMargin + (2 * kRows - 1) * kPitchY + kCardH + kMiddleGap};
}

QRect placeRect(Place p)
{
    const Cell c = cellOf(p);
    const int x = kMargin + c.column * kPitchX + (c.column >= kAreaColumns ? kAreaGap : 0);
    const int y = kMargin + c.row * kPitchY + (c.row >= kRows ? kMiddleGap : 0);
    return QRect(x, y, kCardW, kCardH);
}

std::optional<Place> placeAt(QPoint inField)
{
    for (Side s : {Side::Player, Side::Opponent})
        for (int k = 0; k < kSlots; ++k)
            if (placeRect({s, k}).adjusted(-1, -1, 1, 1).contains(inField))
                return Place{s, k};
    return std::nullopt;
}

Place stepped(Place from, FloorStep step)
{
    Cell c = cellOf(from);
    switch (step) {
    case FloorStep::Left: c.column = std::max(0, c.column - 1); break;
    case FloorStep::Right: c.column = std::min(kColumns - 1, c.column + 1); break;
    case FloorStep::Up: c.row = std::max(0, c.row - 1); break;
    case FloorStep::Down: c.row = std::min(2 * kRows - 1, c.row + 1); break;
    }
    return placeOf(c);
}

} // namespace match
