#pragma once

#include <QRect>
#include <QSize>

#include "game/boardsize.h"
#include "play/cardsize.h"

namespace game {

// Where a game window's controls stand. lt1 and lt2 are relative to Panel1,
// the cards to Panel2, everything else to the window's client area.
struct BoardLayout {
    QSize client;
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

const BoardLayout &layoutOf(BoardSize size);

using play::kCardHeight;
using play::kCardWidth;
// Neighbouring cards overlap by one pixel each way.
constexpr int kCardPitchX = 64;
constexpr int kCardPitchY = 112;
constexpr int kBoardMargin = 8;

// Bounds of card k (1-based) inside the board panel: numbered right to left
// along a row, rows top to bottom.
QRect cardRect(int yokoSu, int k);

} // namespace game
