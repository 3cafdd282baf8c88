#include "boardlayout.h"

#include <QtGlobal>

namespace game {
namespace {

const BoardLayout kLayouts[] = {
    {
        QSize(592, 423),
        QRect(16, 8, 129, 25),   // BtnShow
        QRect(16, 32, 129, 25),  // BtnStart
        QRect(176, 8, 129, 25),  // BtnYomijun
        QRect(176, 32, 129, 25), // BtnTorijun
        QRect(336, 8, 129, 25),  // BtnReset
        QRect(336, 32, 129, 25), // BtnClose
        QRect(496, 24, 35, 18),  // Label1
        QRect(538, 16, 45, 33),  // PTokuten
        QRect(8, 64, 529, 353),  // Panel2
        QRect(536, 64, 49, 353), // Panel1
        QRect(24, 8, 17, 337),   // lt1
        QRect(5, 43, 17, 305),   // lt2
    },
    {
        QSize(792, 522),
        QRect(8, 8, 113, 33),
        QRect(122, 8, 113, 33),
        QRect(236, 8, 113, 33),
        QRect(350, 8, 113, 33),
        QRect(464, 8, 113, 33),
        QRect(576, 8, 113, 33),
        QRect(696, 20, 35, 18),
        QRect(738, 8, 45, 33),
        QRect(8, 48, 721, 465),
        QRect(736, 48, 49, 353),
        QRect(24, 8, 17, 337),
        QRect(5, 43, 17, 305),
    },
    {
        QSize(967, 723),
        QRect(8, 0, 129, 25),
        QRect(152, 0, 129, 25),
        QRect(296, 0, 129, 25),
        QRect(440, 0, 129, 25),
        QRect(584, 0, 129, 25),
        QRect(728, 0, 129, 25),
        QRect(872, 4, 35, 18),
        QRect(914, 0, 45, 25),
        QRect(8, 24, 913, 689),
        QRect(928, 32, 30, 681),
        QRect(5, 8, 15, 337),
        QRect(5, 363, 15, 305),
    },
};

} // namespace

const BoardLayout &layoutOf(BoardSize size)
{
    return kLayouts[static_cast<int>(size)];
}

QRect cardRect(int yokoSu, int k)
{
    Q_ASSERT(yokoSu > 0 && k >= 1);
    const int r = (k - 1) / yokoSu;
    const int j = (k - 1) % yokoSu;
    return QRect(kBoardMargin + kCardPitchX * (yokoSu - 1 - j), kBoardMargin + kCardPitchY * r, kCardWidth,
                 kCardHeight);
}

} // namespace game
