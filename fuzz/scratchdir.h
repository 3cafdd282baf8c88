#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

// The folder a fuzzer's files live in while it runs. Every store syncs to
// disk; on a memory file system that is cheap, so far more inputs run per
// second. A fuzzer ends without running destructors (a crash, or the end of
// its time), so the folder is named after the process, and those of fuzzers
// that have gone are removed. Empty when it cannot be made.
inline QString scratchDir(const QString &prefix)
{
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                             : QDir::tempPath();
    for (const QString &name : QDir(base).entryList({prefix + QLatin1Char('*')}, QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = name.mid(prefix.size()).toLongLong(&ok);
        if (ok && pid != QCoreApplication::applicationPid() && !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
            QDir(base + QLatin1Char('/') + name).removeRecursively();
    }
    const QString path = base + QLatin1Char('/') + prefix + QString::number(QCoreApplication::applicationPid());
    QDir(path).removeRecursively();
    if (!QDir().mkpath(path))
        return {};
    return path;
}
