#include "opponent.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

#include "deck/reveal.h"
#include "deck/spoken.h"

namespace match {

namespace {
constexpr Level kLevelTable[kLevels] = {
    {1500, 400, 60},
    {1100, 300, 45},
    {800, 220, 30},
    {550, 150, 20},
    {350, 100, 10},
};
} // namespace

int sharedBeginning(int a, int b)
{
    const QList<deck::SpokenMora> &x = deck::spokenKaminoku(a).morae;
    const QList<deck::SpokenMora> &y = deck::spokenKaminoku(b).morae;
    int n = 0;
    while (n < x.size() && n < y.size() && x[n].kana == y[n].kana)
        ++n;
    return n;
}

const Level &level(int n)
{
    Q_ASSERT(n >= 1 && n <= kLevels);
    return kLevelTable[n - 1];
}

qint64 drawReaction(const Level &l, platform::Random &rng)
{
    // The sum of three uniform draws is close enough to a bell curve and
    // stays within three spreads of the mean.
    int sum = 0;
    for (int i = 0; i < 3; ++i)
        sum += rng.below(2001) - 1000;
    const qint64 ms = l.meanMs + qint64(l.spreadMs) * sum / 1000;
    return std::max<qint64>(ms, deck::kTickMs);
}

Plan planReading(const Match &m, int levelNo, platform::Random &rng)
{
    Plan plan;
    if (!m.readingOpen())
        return plan;
    const Level &l = level(levelNo);
    const qint64 decidedMs = qint64(deck::decidedTick(m.poem(), m.readBefore())) * deck::kTickMs;
    const qint64 reaction = drawReaction(l, rng);
    const std::optional<Place> card = m.field().find(m.poem());
    if (card)
        plan.takeAtMs = decidedMs + reaction;

    if (rng.below(1000) >= l.faultPerThousand)
        return plan;
    // The wrong side: the far side of the read card, or any card for a dead one.
    QList<Side> sides;
    if (card)
        sides << other(card->side);
    else
        sides << Side::Opponent << Side::Player;
    int best = -1;
    for (Side s : sides) {
        for (int k = 0; k < kSlots; ++k) {
            const int p = m.field().at(s, k);
            if (p == 0)
                continue;
            const int shared = sharedBeginning(p, m.poem());
            if (shared > best) {
                best = shared;
                plan.faultPlace = {s, k};
            }
        }
    }
    if (best >= 0)
        plan.faultAtMs = decidedMs + reaction / 2;
    return plan;
}

int chooseSend(const Field &f, Side from)
{
    int bestSlot = -1;
    int bestShared = -1;
    int bestPoem = 0;
    const QList<int> theirs = f.poems(other(from));
    for (int k = 0; k < kSlots; ++k) {
        const int p = f.at(from, k);
        if (p == 0)
            continue;
        int shared = 0;
        for (int q : theirs)
            shared = std::max(shared, sharedBeginning(p, q));
        if (shared > bestShared || (shared == bestShared && p < bestPoem)) {
            bestSlot = k;
            bestShared = shared;
            bestPoem = p;
        }
    }
    return bestSlot;
}

std::optional<qint64> median(QList<qint64> values)
{
    if (values.isEmpty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int suggestLevel(const QList<qint64> &playerReactionsMs, int current)
{
    const std::optional<qint64> mid = median(playerReactionsMs);
    if (!mid) // not one card taken: this level was too quick
        return std::max(1, current - 1);
    int best = 1;
    for (int n = 2; n <= kLevels; ++n)
        if (std::llabs(level(n).meanMs - *mid) < std::llabs(level(best).meanMs - *mid))
            best = n;
    return best;
}

} // namespace match
