#pragma once

#include <QRect>
#include <QSize>
#include <QString>

namespace game {

// The three boards (24, 44 and 84 cards). The records library uses this
// too: each board keeps its own ten best in `recordsFile`.
enum class BoardSize { S, M, L };

// Where the window's controls stand. lt1 and lt2 are relative to Panel1, the
// cards to Panel2, everything else to the window's client area.
struct BoardLayout {
    QRect BtnShow;
    QRect BtnStart;
    QRect BtnYomijun;
    QRect BtnTorijun;
    QRect BtnReset;
    QRect BtnClose;
    QRect Label1;
    QRect PTokuten;
    QRect Panel2;
    QRect Panel1;
    QRect lt1;
    QRect lt2;
};

// Everything in which the three boards differ.
struct Board {
    BoardSize size;
    QString windowName; // "F_24", the name of the window object
    int FudaSu;         // cards on the board
    int YomiSu;         // readings per game
    int YokoSu;         // cards per row
    int rows;
    QString recordsFile; // the ten best, in the current directory
    QSize client;
    BoardLayout layout;
};

const Board &boardOf(BoardSize size);


constexpr int kCardWidth = 65;
constexpr int kCardHeight = 113;
// Neighbouring cards overlap by one pixel each way.
constexpr int kCardPitchX = 64;
constexpr int kCardPitchY = 112;
constexpr int kBoardMargin = 8;

// Bounds of card k (1-based) inside the board panel: numbered right to left
// along a row, rows top to bottom.
QRect cardRect(int yokoSu, int k);

} // namespace game
