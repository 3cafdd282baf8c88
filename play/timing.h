#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Clocks of a match: input events' own times against the program's
// monotonic clock, and the memorisation period before the first reading.
namespace match {

// Input events carry the time they happened in the window system's clock,
// whose origin the program does not know. Every event seen narrows the
// offset to the monotonic clock (an event is never handled before it
// happens, so the smallest handled-minus-stamped difference is the closest
// to the true offset); a click is then judged on when it happened, however
// late its event is handled.
class EventClock {
public:
    void observe(qint64 eventStamp, qint64 handledMs);
    // The monotonic time of an event; before any observation, its handling time.
    qint64 toMonotonic(qint64 eventStamp, qint64 handledMs) const;

private:
    std::optional<qint64> offset_;
};

// The memorisation time: a choice of 1, 2, 5 or 15 minutes, with a cue two
// minutes before its end when it lasts at least five.
class Memorisation {
public:
    static constexpr int kChoices[] = {1, 2, 5, 15};
    static constexpr qint64 kCueBeforeEndMs = 2 * 60 * 1000;

    void start(int minutes, qint64 nowMs);
    bool running() const { return running_; }
    qint64 remainingMs(qint64 nowMs) const;
    // True exactly once, at the first call on or after the cue's time.
    bool takeCue(qint64 nowMs);
    bool finished(qint64 nowMs) const { return running_ && remainingMs(nowMs) == 0; }
    void stop() { running_ = false; }
    void postpone(qint64 ms) { endMs_ += ms; }

private:
    qint64 endMs_ = 0;
    bool cueDue_ = false;
    bool running_ = false;
};

// "m:ss" of a remaining time, rounded up to the whole second.
QString clockText(qint64 ms);

} // namespace match
