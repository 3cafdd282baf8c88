#include "opponent.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

#include "deck/reveal.h"
#include "deck/spoken.h"

namespace match {

namespace {

// A card dealt at the start counts as this many readings settled: it was
// learnt during the memorisation.
constexpr int kSettledReadings = 15;

double strengthOf(int levelNo) // 0 at level 1, 1 at the top
{
    return double(levelNo - 1) / (kLevels - 1);
}

// A draw from the standard normal, near enough: three uniforms on [-1, 1]
// sum to variance 1.
double normalDraw(platform::Random &rng)
{
    int sum = 0;
    for (int i = 0; i < 3; ++i)
        sum += rng.below(2001) - 1000;
    return sum / 1000.0;
}

bool chance(double p, platform::Random &rng)
{
    return rng.below(100000) < int(p * 100000);
}

} // namespace

qint64 levelMedianMs(int n)
{
    Q_ASSERT(n >= 1 && n <= kLevels);
    const double ratio = double(kFastestMs) / kSlowestMs;
    return std::llround(kSlowestMs * std::pow(ratio, strengthOf(n)));
}

int levelNearest(double ms)
{
    const double ratio = double(kFastestMs) / kSlowestMs;
    const double at = std::log(std::max(ms, 1.0) / kSlowestMs) / std::log(ratio);
    return std::clamp(int(std::lround(at * (kLevels - 1))) + 1, 1, kLevels);
}

qint64 drawReaction(double medianMs, double logSpread, platform::Random &rng)
{
    const double ms = medianMs * std::exp(logSpread * normalDraw(rng));
    return std::max<qint64>(std::llround(ms), deck::kTickMs);
}

int tickOfMorae(int poem, int morae)
{
    const QList<deck::SpokenMora> &m = deck::spokenKaminoku(poem).morae;
    Q_ASSERT(morae >= 1 && morae <= m.size());
    return 2 * m[morae - 1].spelledEnd;
}

int sharedBeginning(int a, int b)
{
    const QList<deck::SpokenMora> &x = deck::spokenKaminoku(a).morae;
    const QList<deck::SpokenMora> &y = deck::spokenKaminoku(b).morae;
    int n = 0;
    while (n < x.size() && n < y.size() && x[n].kana == y[n].kana)
        ++n;
    return n;
}

Opponent::Opponent(int levelNo)
    : level_(levelNo)
{
    Q_ASSERT(levelNo >= 1 && levelNo <= kLevels);
}

void Opponent::noteField(const Match &m)
{
    for (Side s : {Side::Player, Side::Opponent}) {
        for (int k = 0; k < kSlots; ++k) {
            const int p = m.field().at(s, k);
            if (p == 0 || seenAt_[p] == Place{s, k})
                continue;
            seenAt_[p] = Place{s, k};
            since_[p] = seenDeal_ ? m.readingNumber() : -kSettledReadings;
            changes_ += seenDeal_;
        }
    }
    seenDeal_ = true;
}

Plan Opponent::plan(const Match &m, platform::Random &rng)
{
    Plan plan;
    if (!m.readingOpen())
        return plan;
    noteField(m);
    const double s = strengthOf(level_);
    const int poem = m.poem();
    const int deciding = deck::decidingMorae(poem, m.readBefore());
    const qint64 decidedMs = qint64(deck::decidedTick(poem, m.readBefore())) * deck::kTickMs;
    const std::optional<Place> card = m.field().find(poem);

    if (card) {
        const double sideFactor = card->side == Side::Opponent ? 0.85 : 1.15;
        // More look-alikes to tell apart the later the poem is decided.
        const double decidingFactor = std::max(0.9, 1.0 + 0.08 * (deciding - 2));
        // A card that came lately is not yet where the hand expects it.
        const double unmoved = m.readingNumber() - since_[poem];
        const double freshFactor = 1.0 + 0.5 * std::pow(0.8, unmoved);
        qint64 reaction = drawReaction(levelMedianMs(level_) * sideFactor * decidingFactor * freshFactor,
                                       0.45 - 0.15 * s, rng);
        const double lapse = std::min(0.3, 0.06 - 0.04 * s + 0.004 * changes_);
        if (chance(lapse, rng)) // forgotten: found by sight
            reaction += 1200 + rng.below(1201);
        plan.takeAtMs = decidedMs + reaction;
    }

    // The card on the floor that shares the longest opening with the read
    // poem, other than the read card itself; its shared part is heard before
    // the poem is decided.
    int shared = 0;
    for (Side side : {Side::Player, Side::Opponent}) {
        for (int k = 0; k < kSlots; ++k) {
            const int p = m.field().at(side, k);
            if (p == 0 || p == poem)
                continue;
            if (const int n = sharedBeginning(p, poem); n > shared) {
                shared = n;
                plan.faultPlace = {side, k};
            }
        }
    }
    if (shared == 0 || !chance(0.02 + 0.06 * s, rng))
        return plan;
    const qint64 heardMs = qint64(tickOfMorae(poem, shared)) * deck::kTickMs;
    const qint64 at = heardMs + drawReaction(levelMedianMs(level_) / 2.0, 0.3, rng);
    if (at < decidedMs)
        plan.faultAtMs = at;
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

} // namespace match
