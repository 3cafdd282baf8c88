#include "reveal.h"

#include <QtGlobal>

#include <algorithm>

#include "platform/sjis.h"

namespace deck {

int decidedTick(PoemNo no, const ReadSet &read)
{
    const SpokenVerse &verse = spokenKaminoku(no);
    const int morae = decidingMorae(no, read);
    // One byte of the two-byte spelled text per tick.
    return 2 * verse.morae[morae - 1].spelledEnd;
}

Reveal::Reveal(QByteArrayView kaminoku, QByteArrayView shimonoku, int decidedTick)
    : kaminoku_(kaminoku.first(std::min<qsizetype>(kaminoku.size(), kKaminokuTicks))),
      shimonoku_(shimonoku.first(std::min<qsizetype>(shimonoku.size(), kShimonokuTicks))),
      decidedTick_(decidedTick), running_(true)
{
    Q_ASSERT(decidedTick >= 0 && decidedTick <= kKaminokuTicks);
}

Reveal Reveal::ofPoem(const PoemTableData &table, PoemNo no, const ReadSet &read)
{
    const PoemEntry &poem = table[no];
    return Reveal(poem.Kaminoku.view(), poem.Shimonoku.view(), deck::decidedTick(no, read));
}

QByteArrayView Reveal::bytesOf(Half half) const
{
    return half == Half::Kami ? kaminoku_.view() : shimonoku_.view();
}

RevealStep Reveal::tick()
{
    RevealStep step;
    if (!running_)
        return step;
    const int t = ++ticks_;
    if (t > kRevealTicks) {
        step.kind = RevealStep::Kind::TimeOut;
        running_ = false;
        return step;
    }
    const Half half = t < firstTick(Half::Shimo) ? Half::Kami : Half::Shimo;
    step.kind = half == Half::Kami ? RevealStep::Kind::Kaminoku : RevealStep::Kind::Shimonoku;
    const QByteArrayView verse = bytesOf(half);
    if (const int index = t - firstTick(half); index < verse.size()) {
        step.hasByte = true;
        step.byte = verse[index];
    }
    step.beep = t % 2 == 1;
    step.decided = t == decidedTick_;
    step.startsHalf = t == firstTick(half);
    return step;
}

QByteArrayView Reveal::shown(Half half) const
{
    const QByteArrayView verse = bytesOf(half);
    const int ticks = std::min(ticks_, kRevealTicks) - firstTick(half) + 1;
    return verse.first(std::clamp<qsizetype>(ticks, 0, verse.size()));
}

std::optional<int> Reveal::tickOfByte(Half half, int index) const
{
    const QByteArrayView verse = bytesOf(half);
    if (index < 0 || index >= verse.size())
        return std::nullopt;
    return firstTick(half) + index;
}

std::optional<int> Reveal::tickOfChar(Half half, int index) const
{
    const QByteArrayView verse = bytesOf(half);
    int byte = 0;
    for (int c = 0; c < index && byte < verse.size(); ++c)
        byte += platform::sjis::isLeadByte(static_cast<unsigned char>(verse[byte])) ? 2 : 1;
    return tickOfByte(half, byte);
}

} // namespace deck
