#include "reciter.h"

#include "tategaki/labeltategaki.h"

namespace match {

void Reciter::startLeadIn(int previousPoem, const Pace &pace, bool aloud, qint64 startMs)
{
    reading_.stop();
    lowerStartMs_.reset();
    leadIn_ = LeadIn(previousPoem, pace);
    startMs_ = startMs;
    spoken_ = 0;
    if (aloud)
        leading_.prepare(previousPoem);
    else
        leading_.stop();
    upper_->setCaption(QByteArray());
    lower_->setCaption(QByteArray());
}

void Reciter::followReading(int poem, const Pace &pace, bool aloud, qint64 nowMs)
{
    if (!lowerStartMs_) {
        startLeadIn(poem, pace, aloud, nowMs + deck::kTickMs);
        return;
    }
    leadIn_ = LeadIn(poem, pace);
    startMs_ = *lowerStartMs_;
    lowerStartMs_.reset();
    spoken_ = leadIn_.verses().size(); // said by the reading's own voice
    leading_.stop();
    showAt(nowMs - startMs_);
}

void Reciter::showAt(qint64 at)
{
    const QList<LeadVerse> &verses = leadIn_.verses();
    for (qsizetype v = 0; v < verses.size(); ++v) {
        tategaki::TLabelTategaki *l = verses[v].half == deck::Half::Kami ? upper_ : lower_;
        if (const QByteArray shown = leadIn_.shown(v, at); shown != l->Caption())
            l->setCaption(shown);
    }
}

qint64 Reciter::tickLeadIn(qint64 nowMs)
{
    const qint64 at = nowMs - startMs_;
    showAt(at);
    const QList<LeadVerse> &verses = leadIn_.verses();
    for (; spoken_ < verses.size() && verses[spoken_].startMs <= at; ++spoken_)
        leading_.speak(verses[spoken_].half);
    // The reading opens a tick before its upper verse, as it always has.
    return leadIn_.upperStartMs() - deck::kTickMs - at;
}

void Reciter::openReading(int poem, bool aloud)
{
    leading_.stop();
    lowerStartMs_.reset();
    if (aloud)
        reading_.prepare(poem);
    else
        reading_.stop();
}

void Reciter::readingStep(const deck::RevealStep &step, qint64 nowMs)
{
    if (!step.startsHalf)
        return;
    reading_.speak(step.half());
    if (step.half() == deck::Half::Shimo)
        lowerStartMs_ = nowMs;
}

void Reciter::stop()
{
    leading_.stop();
    reading_.stop();
    lowerStartMs_.reset();
}

} // namespace match
