#pragma once

#include <QByteArray>
#include <QFile>

#include <malloc.h>

// The process's peak resident memory, as the kernel counts it, so that one
// run can set a large history's peak beside an empty one's.
namespace bench {

// Starts a new peak from what is resident now, after handing freed heap back.
inline void resetPeakMemory()
{
    malloc_trim(0);
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// VmHWM in MB: the peak since the last reset (or the start).
inline double peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

} // namespace bench
