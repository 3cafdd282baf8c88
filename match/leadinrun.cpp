#include "leadinrun.h"

#include "tategaki/labeltategaki.h"

namespace match {

void LeadInRun::start(int previousPoem, const Pace &pace, bool aloud, qint64 startMs)
{
    leadIn_ = LeadIn(previousPoem, pace);
    startMs_ = startMs;
    spoken_ = 0;
    if (aloud)
        reader_.prepare(previousPoem);
    else
        reader_.stop();
    upper_->setCaption(QByteArray());
    lower_->setCaption(QByteArray());
}

void LeadInRun::carryOn(int poem, const Pace &pace, qint64 lowerStartMs, qint64 nowMs)
{
    leadIn_ = LeadIn(poem, pace);
    startMs_ = lowerStartMs;
    spoken_ = leadIn_.verses().size();
    reader_.stop();
    showAt(nowMs - startMs_);
}

void LeadInRun::showAt(qint64 at)
{
    const QList<LeadVerse> &verses = leadIn_.verses();
    for (qsizetype v = 0; v < verses.size(); ++v) {
        tategaki::TLabelTategaki *l = verses[v].half == deck::Half::Kami ? upper_ : lower_;
        if (const QByteArray shown = leadIn_.shown(v, at); shown != l->Caption())
            l->setCaption(shown);
    }
}

qint64 LeadInRun::tick(qint64 nowMs)
{
    const qint64 at = nowMs - startMs_;
    showAt(at);
    const QList<LeadVerse> &verses = leadIn_.verses();
    for (; spoken_ < verses.size() && verses[spoken_].startMs <= at; ++spoken_)
        reader_.speak(verses[spoken_].half);
    // The reading opens a tick before its upper verse, as it always has.
    return leadIn_.upperStartMs() - deck::kTickMs - at;
}

} // namespace match
