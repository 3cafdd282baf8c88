#include "wholefile.h"

#include <QFile>
#include <QFileInfo>

namespace platform {

QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes / 1024);
    return QStringLiteral("%1 バイト").arg(bytes);
}

WholeFile readWholeFile(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path);
    auto refused = [](const QString &why) { return WholeFile{{}, why}; };
    if (!info.exists())
        return refused(QStringLiteral("ファイルがありません"));
    if (!info.isFile())
        return refused(QStringLiteral("普通のファイルではありません（フォルダ、FIFO、装置などは読みません）"));
    const QString tooLarge = QStringLiteral("ファイルが大きすぎます（%1 まで）").arg(sizeText(maxBytes));
    if (info.size() > maxBytes)
        return refused(tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(file.error() == QFileDevice::PermissionsError ? QStringLiteral("読む許可がありません")
                                                                      : QStringLiteral("ファイルを開けません"));
    // The file may have grown since it was looked at.
    WholeFile out{file.read(maxBytes + 1), {}};
    if (file.error() != QFileDevice::NoError)
        return refused(QStringLiteral("ファイルを読めません"));
    if (out.bytes.size() > maxBytes)
        return refused(tooLarge);
    return out;
}

} // namespace platform
