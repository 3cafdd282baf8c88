#include "historytake.h"

#include "deck/reveal.h"
#include "match/opponent.h"

namespace match {

history::Take readingTake(const ReadingSummary &s, qint64 session, int level, qint64 readingStartMs,
                          qint64 decidedMs)
{
    using history::Outcome;
    history::Take t;
    t.mode = history::Mode::Match;
    t.session = session;
    t.poem = s.poem;
    t.deciding = history::Deciding::Spoken;
    t.outcome = s.taker ? (*s.taker == Side::Player ? Outcome::Right : Outcome::Opponent)
                        : (s.dead ? Outcome::Dead : Outcome::Missed);
    // The player's fault is what the reading teaches, whoever took the card:
    // a wrong take of the card touched, as in the other modes.
    if (s.faulted[0]) {
        t.outcome = Outcome::Wrong;
        t.chosen = s.faultPoem[0];
    }
    if (s.taker) {
        t.ms = s.takenAtMs - readingStartMs;
        t.msAfterDeciding = t.ms - decidedMs;
    }
    const auto side = [&](Side x) { return QString::fromLatin1(x == Side::Player ? "player" : "opponent"); };
    t.extra = {
        {QStringLiteral("taker"), s.taker ? side(*s.taker) : QString()},
        {QStringLiteral("level"), level},
        {QStringLiteral("decided_tick"), int(decidedMs / deck::kTickMs)},
        {QStringLiteral("player_fault"), s.faulted[0]},
        {QStringLiteral("opponent_fault"), s.faulted[1]},
        {QStringLiteral("player_sent"), s.owed[0]},
        {QStringLiteral("opponent_sent"), s.owed[1]},
    };
    return t;
}

} // namespace match
