#include "revealcheck.h"

#include <algorithm>
#include <cstdlib>

#include "deck/opening.h"
#include "deck/reveal.h"
#include "voice/readings.h"

namespace voice {

QList<std::optional<int>> revealMs(int poem, Half half)
{
    const deck::Reveal reveal = poem == deck::kOpeningPoem
                                    ? deck::Reveal(deck::openingText(Half::Kami), deck::openingText(Half::Shimo), 0)
                                    : deck::Reveal::ofPoem(deck::PoemTable, poem, {});
    const Verse verse = spokenVerse(poem, half);
    const QString spelled = deck::spelledVerse(poem, half);
    QList<std::optional<int>> out;
    int previousEnd = 0;
    for (const deck::SpokenMora &m : verse) {
        std::optional<int> ms;
        // The mora's own kana: its spelled characters, the phrase space
        // before them left out.
        for (int c = previousEnd; c < m.spelledEnd; ++c) {
            if (spelled[c] == QChar(0x3000))
                continue;
            if (const std::optional<int> tick = reveal.tickOfChar(half, c))
                ms = (*tick - deck::firstTick(half)) * deck::kTickMs;
            break;
        }
        out.append(ms);
        previousEnd = std::max(previousEnd, m.spelledEnd);
    }
    return out;
}

bool addDrift(Drift &drift, const ClipTimes &clip)
{
    const QList<std::optional<int>> reveal = revealMs(clip.poem, clip.half);
    if (reveal.size() != clip.startMs.size())
        return false;
    double sum = drift.meanMs * drift.morae;
    for (qsizetype k = 0; k < reveal.size(); ++k) {
        if (!reveal[k]) {
            ++drift.beyond;
            continue;
        }
        const int off = std::abs(clip.startMs[k] - *reveal[k]);
        drift.all.append(off);
        drift.worstMs = std::max(drift.worstMs, off);
        drift.over50 += off > 50 ? 1 : 0;
        sum += off;
        ++drift.morae;
    }
    drift.meanMs = drift.morae ? sum / drift.morae : 0;
    return true;
}

} // namespace voice
