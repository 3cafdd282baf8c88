#include "drill.h"

#include <algorithm>
#include <numeric>

#include "deck/spoken.h"

namespace nagashi {
namespace {

int sharedMorae(const deck::SpokenVerse &a, const deck::SpokenVerse &b)
{
    const int n = int(std::min(a.morae.size(), b.morae.size()));
    int k = 0;
    while (k < n && a.morae[k].kana == b.morae[k].kana)
        ++k;
    return k;
}

} // namespace

QString decidingSyllables(deck::PoemNo p)
{
    const deck::SpokenVerse &verse = deck::spokenKaminoku(p);
    return verse.opening(deck::decidingMorae(p, deck::ReadSet{}));
}

Choices drawChoices(platform::Random &rng, deck::PoemNo answer)
{
    // Every other poem keyed by how long an opening it shares, then by a drawn
    // number, so that the longest shares come first and ties fall at random.
    const deck::SpokenVerse &own = deck::spokenKaminoku(answer);
    QList<std::pair<int, std::uint32_t>> keys;
    QList<deck::PoemNo> others;
    for (deck::PoemNo p = 1; p <= deck::kPoemCount; ++p) {
        if (p == answer)
            continue;
        keys.append({-sharedMorae(own, deck::spokenKaminoku(p)), rng.below(0x10000u)});
        others.append(p);
    }
    QList<int> index(others.size());
    std::iota(index.begin(), index.end(), 0);
    std::stable_sort(index.begin(), index.end(), [&](int a, int b) { return keys[a] < keys[b]; });

    Choices c;
    c.answer = rng.below(kChoiceCount);
    int next = 0;
    for (int i = 0; i < kChoiceCount; ++i)
        c.poems[std::size_t(i)] = i == c.answer ? answer : others[index[next++]];
    return c;
}

Summary summarise(const QList<CardResult> &results, qint64 totalMs)
{
    Summary s;
    s.totalMs = totalMs;
    QList<CardResult> rights;
    for (const CardResult &r : results) {
        if (r.right)
            rights << r;
        else
            s.misses << r;
    }
    s.right = int(rights.size());
    std::stable_sort(rights.begin(), rights.end(), [](const CardResult &a, const CardResult &b) { return a.ms > b.ms; });
    s.slowest = rights.mid(0, kSlowestShown);

    for (const CardResult &r : std::as_const(s.misses)) {
        if (!s.redrill.contains(r.poem))
            s.redrill << r.poem;
    }
    if (!rights.isEmpty()) {
        // rights is slowest first: the median of an even count is the mean of the middle two.
        const qsizetype n = rights.size();
        const double median = (rights[(n - 1) / 2].ms + rights[n / 2].ms) / 2.0;
        for (const CardResult &r : std::as_const(s.slowest)) {
            if (r.ms > median && !s.redrill.contains(r.poem))
                s.redrill << r.poem;
        }
    }
    return s;
}

QString seconds(qint64 ms)
{
    return QStringLiteral("%1秒").arg(double(ms) / 1000.0, 0, 'f', 1);
}

history::Take cardTake(qint64 session, const CardResult &result, bool flipped)
{
    history::Take t;
    t.mode = history::Mode::Nagashi;
    t.session = session;
    t.poem = result.poem;
    t.outcome = result.right ? history::Outcome::Right : history::Outcome::Wrong;
    t.chosen = result.right ? 0 : result.chosen;
    t.ms = result.ms;
    t.msAfterDeciding = result.ms;
    t.extra.insert(history::word(history::Extra::Answer), flipped ? QStringLiteral("flip") : QStringLiteral("choice"));
    return t;
}

} // namespace nagashi
