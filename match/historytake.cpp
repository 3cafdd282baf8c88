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
    using history::Extra;
    using history::word;
    t.extra = {
        {word(Extra::Taker), s.taker ? side(*s.taker) : QString()},
        {word(Extra::Level), level},
        {word(Extra::DecidedTick), int(decidedMs / deck::kTickMs)},
        {word(Extra::PlayerFault), s.faulted[0]},
        {word(Extra::OpponentFault), s.faulted[1]},
        {word(Extra::PlayerSent), s.owed[0]},
        {word(Extra::OpponentSent), s.owed[1]},
    };
    return t;
}

} // namespace match
