#pragma once

#include <QString>

namespace records {

// The three game boards (24, 44 and 84 cards). Each keeps its own table.
enum class BoardSize { S, M, L };

// "RecordsS.dat", "RecordsM.dat" or "RecordsL.dat": no folder, so the file
// is looked up in the current directory.
inline QString fileName(BoardSize size)
{
    switch (size) {
    case BoardSize::S: return QStringLiteral("RecordsS.dat");
    case BoardSize::M: return QStringLiteral("RecordsM.dat");
    case BoardSize::L: return QStringLiteral("RecordsL.dat");
    }
    Q_UNREACHABLE();
}

} // namespace records
