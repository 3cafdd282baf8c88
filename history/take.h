#pragma once

#include <QVariantMap>

#include <optional>

#include "history/words.h"

namespace history {

// One judged reading or answer, as the history keeps it.
struct Take {
    Mode mode = Mode::Training;
    qint64 session = 0; // one number per game / training run / match
    int poem = 0;       // 1..100
    Outcome outcome = Outcome::Right;
    int chosen = 0;     // Wrong: the poem of the card or row taken; else 0 (stored NULL)
    std::optional<int> ticks;              // game: Keika at the judgement
    qint64 ms = 0;                         // monotonic ms from reading start / question posed
    std::optional<qint64> msAfterDeciding; // NULL for a time-out
    Deciding deciding = Deciding::Spelled;
    QVariantMap extra;                     // columns of later modes; unknown keys go to `extra` as JSON
};

} // namespace history
