#pragma once

#include "history/take.h"
#include "match/rules.h"

namespace match {

// What the history keeps of a match's reading: the player's own take is a
// right one; a card the opponent took or nobody took is one the player
// missed; a dead card is kept apart, it was never the player's to take.
// The times are monotonic ms.
history::Take readingTake(const ReadingSummary &s, qint64 session, int level, qint64 readingStartMs,
                          qint64 decidedMs);

} // namespace match
