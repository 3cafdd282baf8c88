#include "simulation.h"

#include <algorithm>

#include "deck/reveal.h"
#include "match/opponent.h"

namespace match {

namespace {

struct Touch {
    qint64 atMs;
    Side who;
    Place place;
};

// A card of side `s` chosen at random; nullopt when it has none.
std::optional<Place> anyCard(const Field &f, Side s, platform::Random &rng)
{
    QList<int> filled;
    for (int k = 0; k < kSlots; ++k)
        if (f.at(s, k))
            filled << k;
    if (filled.isEmpty())
        return std::nullopt;
    return Place{s, filled[rng.below(int(filled.size()))]};
}

QList<Touch> playerTouches(const SimPlayer &player, const Match &m, platform::Random &rng)
{
    QList<Touch> out;
    const qint64 decidedMs = qint64(deck::decidedTick(m.poem(), m.readBefore())) * deck::kTickMs;
    const qint64 reaction = drawReaction(player.medianMs, player.logSpread, rng);
    const std::optional<Place> card = m.field().find(m.poem());
    if (rng.below(1000) < player.faultPerThousand) {
        const Side wrong = card ? other(card->side) : Side(rng.below(2));
        if (const auto at = anyCard(m.field(), wrong, rng))
            out << Touch{decidedMs + reaction / 2, Side::Player, *at};
    }
    if (card)
        out << Touch{decidedMs + reaction, Side::Player, *card};
    return out;
}

} // namespace

SimMatch simulateMatch(const SimPlayer &player, int levelNo, platform::Random &rng)
{
    Match m(dealField(rng), readingOrder(rng));
    Opponent opponent(levelNo);
    SimMatch out;
    const qint64 endMs = qint64(deck::kTimeOutTick) * deck::kTickMs;
    while (m.startReading()) {
        const qint64 decidedMs = qint64(deck::decidedTick(m.poem(), m.readBefore())) * deck::kTickMs;
        const Plan plan = opponent.plan(m, rng);
        QList<Touch> touches = playerTouches(player, m, rng);
        if (plan.faultAtMs)
            touches << Touch{*plan.faultAtMs, Side::Opponent, plan.faultPlace};
        if (plan.takeAtMs)
            touches << Touch{*plan.takeAtMs, Side::Opponent, *m.field().find(m.poem())};
        std::stable_sort(touches.begin(), touches.end(),
                         [](const Touch &a, const Touch &b) { return a.atMs < b.atMs; });
        for (const Touch &t : std::as_const(touches)) {
            if (!m.readingOpen() || t.atMs >= endMs)
                break;
            m.touch(t.who, t.place, t.atMs);
        }
        if (m.readingOpen())
            m.endReading();
        const ReadingSummary &r = m.last();
        if (r.taker == Side::Player)
            out.takesMs << r.takenAtMs - decidedMs;
        // The player sends as the opponent does: it is a fair choice for both.
        while (const auto s = m.sender())
            if (!m.send(*s, chooseSend(m.field(), *s)))
                break;
    }
    out.result = m.result();
    return out;
}

double winShare(const SimPlayer &player, int levelNo, int matches, platform::Random &rng)
{
    int halves = 0;
    for (int i = 0; i < matches; ++i) {
        const Result r = simulateMatch(player, levelNo, rng).result;
        halves += r == Result::PlayerWon ? 2 : r == Result::Draw ? 1 : 0;
    }
    return halves / (2.0 * matches);
}

} // namespace match
