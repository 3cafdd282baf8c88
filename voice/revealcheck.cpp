#include "revealcheck.h"

#include "game/gamerules.h"
#include "platform/sjis.h"
#include "voice/readings.h"

namespace voice {

QList<std::optional<int>> revealMs(int poem, Half half)
{
    // One reading of the poem, ticked to its end, noting the tick that shows
    // each byte of the verse.
    game::Game g(1, 1);
    g.Torifuda[1] = deck::PoemTable[poem];
    g.Yomifuda[1] = deck::PoemTable[poem];
    g.YomiSbtNo[1] = 1;
    g.startReading();
    const auto wanted = half == Half::Kami ? game::TickStep::Kind::Kaminoku : game::TickStep::Kind::Shimonoku;
    QList<int> tickOfByte;
    for (int t = 1;; ++t) {
        const game::TickStep step = g.tick();
        if (step.kind == game::TickStep::Kind::TimeOut || step.kind == game::TickStep::Kind::None)
            break;
        if (step.kind == wanted && step.hasByte)
            tickOfByte.append(t);
    }

    const Verse verse = spokenVerse(poem, half);
    const QString spelled = spelledVerse(poem, half);
    QList<std::optional<int>> out;
    int previousEnd = 0;
    for (const Mora &m : verse) {
        std::optional<int> ms;
        // The mora's own kana: its spelled characters, the phrase space
        // before them left out.
        for (int c = previousEnd; c < m.spelledEnd; ++c) {
            if (spelled[c] == QChar(0x3000))
                continue;
            const qsizetype byte = platform::sjis::encode(spelled.left(c)).size();
            if (byte < tickOfByte.size())
                ms = (tickOfByte[byte] - tickOfByte[0]) * kTickMs;
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
