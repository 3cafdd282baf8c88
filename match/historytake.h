#pragma once

#include "history/take.h"
#include "match/rules.h"

namespace match {

// What the history keeps of a match's reading, written as soon as it is
// judged: the player's own take is a right one; a card the opponent took or
// nobody took is one the player missed; a fault by the player is a wrong take
// of the card touched, dead cards included; a dead card without one is kept
// apart, it was never the player's to take. The cards sent are those the
// judgement owes. The times are monotonic ms.
history::Take readingTake(const ReadingSummary &s, qint64 session, int level, qint64 readingStartMs,
                          qint64 decidedMs);

} // namespace match
