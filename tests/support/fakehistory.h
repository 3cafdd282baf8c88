#pragma once

// Stand-ins for the history's recorder and the monotonic clock.

#include <QList>

#include "history/recorder.h"
#include "platform/services.h"

namespace fakes {

class FakeMonotonic final : public platform::MonotonicClock {
public:
    qint64 now = 1000;
    qint64 elapsedMs() const override { return now; }
};

class FakeRecorder final : public history::Recorder {
public:
    QList<history::Take> takes;
    QStringList sessions; // the stored word of each session's mode
    void record(const history::Take &t) override { takes << t; }
    qint64 newSession(history::Mode mode) override
    {
        sessions << history::word(mode);
        return 100 + sessions.size();
    }
};

} // namespace fakes
