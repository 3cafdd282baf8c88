#pragma once

#include "history/take.h"

// The learning history: every judged reading or answer, kept in the
// player's own SQLite file (databasePath()). Modes report through
// recorder(); tests put a fake in its place.
namespace history {

class Recorder {
public:
    virtual ~Recorder() = default;
    virtual void record(const Take &take) = 0;
    virtual qint64 newSession(Mode mode) = 0;
};

// The program's one recorder. Until one is installed it forgets everything.
Recorder &recorder();

// Puts `r` in place (nullptr: back to forgetting) and returns the previous one.
Recorder *setRecorder(Recorder *r);

class ScopedRecorder {
public:
    explicit ScopedRecorder(Recorder &r) : saved_(setRecorder(&r)) {}
    ~ScopedRecorder() { setRecorder(saved_); }
    ScopedRecorder(const ScopedRecorder &) = delete;
    ScopedRecorder &operator=(const ScopedRecorder &) = delete;

private:
    Recorder *saved_;
};

} // namespace history
