#include "boardsize.h"

namespace game {
namespace {

const Board kBoards[] = {
    {BoardSize::S, QStringLiteral("F_24"), 24, 20, 8, 3, QStringLiteral("RecordsS.dat")},
    {BoardSize::M, QStringLiteral("F_44"), 44, 40, 11, 4, QStringLiteral("RecordsM.dat")},
    {BoardSize::L, QStringLiteral("F_84"), 84, 80, 14, 6, QStringLiteral("RecordsL.dat")},
};

} // namespace

const Board &boardOf(BoardSize size)
{
    return kBoards[static_cast<int>(size)];
}

} // namespace game
