#include "historytake.h"

#include "deck/poemtable.h"

namespace game {

history::Mode historyMode(BoardSize size)
{
    switch (size) {
    case BoardSize::S: return history::Mode::GameS;
    case BoardSize::M: return history::Mode::GameM;
    case BoardSize::L: return history::Mode::GameL;
    }
    Q_UNREACHABLE();
}

history::Take historyTake(const deck::PoemTableData &table, const Game &g, BoardSize size, qint64 session, std::optional<Verdict::Kind> verdict,
                          int tag, qint64 msFromStart, qint64 msFromDeciding)
{
    history::Take t;
    t.mode = historyMode(size);
    t.session = session;
    t.poem = table.numberOf(g.reading());
    t.outcome = !verdict ? history::Outcome::Timeout
        : *verdict == Verdict::Kind::Correct ? history::Outcome::Right
                                              : history::Outcome::Wrong;
    if (t.outcome == history::Outcome::Wrong)
        t.chosen = table.numberOf(g.Torifuda[static_cast<std::size_t>(tag)]);
    t.ticks = g.Keika();
    // The game reads aloud: the deciding point is the one heard.
    t.deciding = history::Deciding::Spoken;
    t.ms = msFromStart;
    if (verdict)
        t.msAfterDeciding = msFromDeciding;
    return t;
}

} // namespace game
