#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// The learning history: every judged reading or answer, kept in an SQLite
// file beside the records. Modes report through recorder(); tests put a fake
// in its place.
namespace history {

struct Take {                // one judged reading or answer
    QString mode;            // "game-S", "game-M", "game-L", "training", ...
    qint64 session = 0;      // one number per game / training run
    int poem = 0;            // 1..100
    QString outcome;         // "right", "wrong", "timeout"
    int chosen = 0;          // "wrong": the poem of the card or row taken; else 0 (stored NULL)
    std::optional<int> ticks;              // game: Keika at the judgement
    qint64 ms = 0;                         // monotonic ms from reading start / question posed
    std::optional<qint64> msAfterDeciding; // NULL for a time-out
    QString deciding = QStringLiteral("spelled"); // which deciding rule: "spelled" or "spoken"
    QVariantMap extra;                     // columns of later modes; unknown keys go to `extra` as JSON
};

class Recorder {
public:
    virtual ~Recorder() = default;
    virtual void record(const Take &take) = 0;
    virtual qint64 newSession(const QString &mode) = 0;
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
