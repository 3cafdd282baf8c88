#include "cardface.h"

#include <QStringList>

#include "platform/sjis.h"

namespace play {

QString evenColumns(const QString &verse, int columns)
{
    QString kana = verse;
    kana.remove(QChar(0x3000)).remove(QLatin1Char(' '));
    if (columns < 1 || kana.isEmpty())
        return kana;
    const qsizetype base = kana.size() / columns, longer = kana.size() % columns;
    QStringList out;
    for (qsizetype i = 0, at = 0; i < columns && at < kana.size(); ++i) {
        const qsizetype n = base + (i < longer ? 1 : 0);
        out << kana.mid(at, n);
        at += n;
    }
    return out.join(QStringLiteral("\r\n"));
}

QByteArray evenColumns(const QByteArray &verse, int columns)
{
    return platform::sjis::encode(evenColumns(platform::sjis::decode(verse), columns));
}

} // namespace play
