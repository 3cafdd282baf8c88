#pragma once

#include <QString>

namespace game {

// The three boards (24, 44 and 84 cards).
enum class BoardSize { S, M, L };

// Everything in which the three boards differ, apart from the window's
// geometry (boardlayout.h).
struct Board {
    BoardSize size;
    QString windowName; // "F_24", the name of the window object
    int FudaSu;         // cards on the board
    int YomiSu;         // readings per game
    int YokoSu;         // cards per row
    int rows;
    QString recordsFile; // the board's ten best, relative to the current directory
};

const Board &boardOf(BoardSize size);

} // namespace game
