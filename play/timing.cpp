#include "timing.h"

#include <algorithm>

namespace match {

void EventClock::observe(qint64 eventStamp, qint64 handledMs)
{
    const qint64 d = handledMs - eventStamp;
    if (!offset_ || d < *offset_)
        offset_ = d;
}

qint64 EventClock::toMonotonic(qint64 eventStamp, qint64 handledMs) const
{
    if (!offset_)
        return handledMs;
    return std::min(eventStamp + *offset_, handledMs);
}

void Memorisation::start(int minutes, qint64 nowMs)
{
    const qint64 length = qint64(minutes) * 60 * 1000;
    endMs_ = nowMs + length;
    cueDue_ = minutes >= 5;
    running_ = true;
}

qint64 Memorisation::remainingMs(qint64 nowMs) const
{
    return running_ ? std::max<qint64>(0, endMs_ - nowMs) : 0;
}

bool Memorisation::takeCue(qint64 nowMs)
{
    if (!running_ || !cueDue_ || remainingMs(nowMs) > kCueBeforeEndMs)
        return false;
    cueDue_ = false;
    return true;
}

QString clockText(qint64 ms)
{
    const qint64 s = (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace match
