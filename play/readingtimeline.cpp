#include "readingtimeline.h"

#include <algorithm>

#include "deck/opening.h"
#include "platform/sjis.h"
#include "voice/readings.h"

namespace match {

namespace {

const QChar kFill(0x3000);

LeadVerse verseAt(int poem, deck::Half half, int startMs)
{
    QString spelled = deck::spelledVerse(poem, half);
    while (spelled.endsWith(kFill))
        spelled.chop(1);
    return {poem, half, startMs, platform::sjis::encode(spelled)};
}

} // namespace

LeadIn::LeadIn(int previous, const Pace &pace)
{
    int lowerStart = 0;
    if (previous == deck::kOpeningPoem) {
        // Read whole: the lower verse follows on the tick the reveal gives it.
        verses_.append(verseAt(previous, deck::Half::Kami, 0));
        lowerStart = (deck::firstTick(deck::Half::Shimo) - 1) * deck::kTickMs;
    }
    verses_.append(verseAt(previous, deck::Half::Shimo, lowerStart));
    // The hold is the last syllable's own length, from where the voice says
    // it; a lower verse heard past its text (poem 20's う) holds that.
    const QList<int> targets =
        voice::moraTargetsMs(voice::spokenVerse(previous, deck::Half::Shimo), deck::spelledVerse(previous, deck::Half::Shimo));
    Q_ASSERT(!targets.isEmpty());
    holdStartMs_ = lowerStart + targets.last();
    pauseStartMs_ = holdStartMs_ + pace.holdMs;
    upperStartMs_ = pauseStartMs_ + pace.gapMs;
}

QByteArray LeadIn::shown(qsizetype v, qint64 atMs) const
{
    const LeadVerse &verse = verses_[v];
    if (atMs < verse.startMs)
        return {};
    const qint64 bytes = (atMs - verse.startMs) / deck::kTickMs + 1;
    return verse.text.first(std::min<qint64>(bytes, verse.text.size()));
}

} // namespace match
