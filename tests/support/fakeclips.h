#pragma once

// A folder of reading clips as the build lays it out (empty clips, every mora
// at 0-300 ms; poem 0 is the opening poem), made the clips' folder of the program. The folder is looked
// up once, so this runs before any window asks for it.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "deck/poemtable.h"

namespace fakes {

inline bool useFakeClipFolder(const QString &folder)
{
    const QDir dir(folder);
    QByteArray index;
    for (int p = 0; p <= deck::kPoemCount; ++p) {
        for (int h : {1, 2}) {
            index += QByteArray::number(p) + '\t' + QByteArray::number(h) + "\t0-300\n";
            QFile clip(dir.filePath(QStringLiteral("%1-%2.wav").arg(p, 3, 10, QChar(u'0')).arg(h)));
            if (!clip.open(QIODevice::WriteOnly))
                return false;
        }
    }
    QFile file(dir.filePath(QStringLiteral("index.tsv")));
    if (!file.open(QIODevice::WriteOnly) || file.write(index) != index.size())
        return false;
    qputenv("KOTOHA_READINGS", QFile::encodeName(folder));
    return true;
}

} // namespace fakes
