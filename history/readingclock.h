#pragma once

#include <QtGlobal>

#include <optional>

namespace history {

// Times one reading of the game on the monotonic clock: from its start, and
// from the tick that showed the last byte of the deciding syllables. A take
// before that tick is timed against when the tick is due, so it comes out
// negative.
class ReadingClock {
public:
    void start(qint64 nowMs, int decidingTick, int tickIntervalMs)
    {
        startMs_ = nowMs;
        decidingTick_ = decidingTick;
        intervalMs_ = tickIntervalMs;
        decidedMs_.reset();
    }
    // After tick number `keika` of the reading has been shown.
    void ticked(int keika, qint64 nowMs)
    {
        if (keika == decidingTick_ && !decidedMs_)
            decidedMs_ = nowMs;
    }
    qint64 sinceStart(qint64 nowMs) const { return nowMs - startMs_; }
    qint64 sinceDeciding(qint64 nowMs) const
    {
        return nowMs - decidedMs_.value_or(startMs_ + qint64(decidingTick_) * intervalMs_);
    }

private:
    qint64 startMs_ = 0;
    int decidingTick_ = 0;
    int intervalMs_ = 0;
    std::optional<qint64> decidedMs_;
};

} // namespace history
