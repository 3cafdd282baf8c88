#include "flowcheck.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace voice {

namespace {

constexpr int kFrame = 10;        // ms
constexpr double kSilent = 164.0;    // -46 dBFS of 16-bit full scale, as RMS
constexpr double kNearSilent = 33.0; // -60 dBFS

// Sounds that carry voice throughout; stops, affricates, fricatives and
// closures may fall silent on their own.
bool voiced(const QString &name)
{
    static const QSet<QString> names = {u"a"_qs, u"i"_qs, u"u"_qs, u"e"_qs, u"o"_qs, u"N"_qs, u"m"_qs,
                                        u"n"_qs, u"r"_qs, u"y"_qs, u"w"_qs, u"ny"_qs, u"my"_qs, u"ry"_qs};
    return names.contains(name);
}

} // namespace

void addFlow(Flow &flow, const QByteArray &pcm, int rate, const QList<Phone> &labels, const Verse &verse,
             const QString &spelled, Half half)
{
    const auto *s = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype perFrame = qsizetype(rate) * kFrame / 1000;
    const qsizetype frames = pcm.size() / 2 / perFrame;
    QList<double> level(frames);
    for (qsizetype f = 0; f < frames; ++f) {
        double e = 0;
        for (qsizetype i = f * perFrame; i < (f + 1) * perFrame; ++i)
            e += double(s[i]) * s[i];
        level[f] = std::sqrt(e / perFrame);
    }
    auto loud = [&](qsizetype f) { return f >= 0 && f < frames && level[f] >= kSilent; };
    auto nearSilent = [&](qsizetype f) { return f >= frames || level[f] < kNearSilent; };
    auto phoneAt = [&](int ms) -> const Phone * {
        for (const Phone &p : labels)
            if (ms >= p.startMs && ms < p.endMs)
                return &p;
        return nullptr;
    };
    const QList<MoraPhones> morae = moraPhones(labels);
    if (morae.isEmpty() || morae.size() != verse.size())
        return;
    // The lower verse's last syllable fades on purpose: it is measured apart.
    const int heldFrom = half == Half::Shimo ? labels[morae.last().first].startMs : INT_MAX;

    for (qsizetype f = 0; f < frames; ++f) {
        const int centre = int(f * kFrame + kFrame / 2);
        const Phone *p = phoneAt(centre);
        if (!p || !voiced(p->name) || centre >= heldFrom)
            continue;
        ++flow.voicedFrames;
        flow.silentVoiced += loud(f) ? 0 : 1;
        if (loud(f - 2) && loud(f - 1) && nearSilent(f) && nearSilent(f + 1))
            ++flow.abruptStops;
    }
    for (qsizetype k = 1; k < morae.size(); ++k) {
        const int from = verse[k - 1].spelledEnd;
        if (from >= spelled.size() || spelled[from] != QChar(0x3000) || verse[k].spelledEnd <= from)
            continue; // not a phrase's first mora
        const int tick = labels[morae[k].first].startMs;
        int heard = tick;
        while (heard > 0 && !loud(heard / kFrame - 1))
            heard -= kFrame;
        flow.worstPhraseGapMs = std::max(flow.worstPhraseGapMs, tick - heard);
        ++flow.phraseEnds;
    }
    if (half == Half::Shimo) {
        qsizetype last = frames - 1;
        while (last >= 0 && !loud(last))
            --last;
        flow.heldMs.append(std::max(0, int((last + 1) * kFrame) - heldFrom));
        // Dying away: the last third of what is heard at least 6 dB under
        // the first, the consonant left out.
        const qsizetype from = heldFrom / kFrame + 10;
        auto mean = [&](qsizetype a, qsizetype b) {
            double sum = 0;
            for (qsizetype f = std::max<qsizetype>(0, a); f < std::min(b, frames); ++f)
                sum += level[f];
            return sum / std::max<qsizetype>(1, b - a);
        };
        const qsizetype third = (last + 1 - from) / 3;
        if (third < 10 || mean(last + 1 - third, last + 1) > mean(from, from + third) / std::pow(10.0, 6.0 / 20))
            ++flow.notFading;
    }
}

} // namespace voice
