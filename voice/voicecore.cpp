#include "voicecore.h"

#include <QtEndian>

#include <algorithm>

namespace voice {

namespace {

constexpr QChar kPhraseSpace = QChar(0x3000);

bool closesMora(const QString &phone)
{
    static const QStringList closing = {u"a"_qs, u"i"_qs, u"u"_qs, u"e"_qs, u"o"_qs, u"A"_qs, u"I"_qs,
                                        u"U"_qs, u"E"_qs, u"O"_qs, u"N"_qs, u"cl"_qs};
    return closing.contains(phone);
}

int firstSpelled(const QString &spelled, int at)
{
    while (at < spelled.size() && spelled[at] == kPhraseSpace)
        ++at;
    return at;
}

} // namespace

QList<Phone> parseTrace(const QByteArray &trace)
{
    QList<Phone> phones;
    bool inLabels = false;
    for (const QByteArray &raw : trace.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inLabels = line == "[Output label]";
            continue;
        }
        if (!inLabels || line.isEmpty())
            continue;
        // "<start> <end> p1^p2-p3+p4=p5/A:..." with times in units of 100 ns.
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        bool okStart = false, okEnd = false;
        const qint64 start = fields[0].toLongLong(&okStart);
        const qint64 end = fields[1].toLongLong(&okEnd);
        const QByteArray &label = fields[2];
        const qsizetype minus = label.indexOf('-');
        const qsizetype plus = label.indexOf('+', minus + 1);
        if (!okStart || !okEnd || end < start || minus < 0 || plus < 0)
            continue;
        phones.append({QString::fromLatin1(label.mid(minus + 1, plus - minus - 1)), int(start / 10000),
                       int(end / 10000)});
    }
    return phones;
}

QList<MoraSpan> moraSpans(const QList<Phone> &phones)
{
    QList<MoraSpan> spans;
    std::optional<MoraSpan> open;
    for (const Phone &p : phones) {
        if (p.isPause()) {
            open.reset(); // a consonant cut off by a pause makes no mora
            continue;
        }
        if (!open)
            open = MoraSpan{p.startMs, p.startMs, p.endMs};
        if (closesMora(p.name)) {
            open->vowelStartMs = p.startMs;
            open->endMs = p.endMs;
            spans.append(*open);
            open.reset();
        }
    }
    return spans;
}

namespace {

bool spellsNothing(const Verse &verse, qsizetype k)
{
    return verse[k].spelledEnd <= (k == 0 ? 0 : verse[k - 1].spelledEnd);
}

} // namespace

QList<int> moraTargetsMs(const Verse &verse, const QString &spelled)
{
    QList<int> targets;
    for (qsizetype k = 0; k < verse.size(); ++k) {
        // A mora heard past what is spelled (a verse cut short) follows the
        // one before it by a character's time.
        if (k > 0 && spellsNothing(verse, k))
            targets.append(targets.last() + kCharMs);
        else
            targets.append(firstSpelled(spelled, k == 0 ? 0 : verse[k - 1].spelledEnd) * kCharMs);
    }
    // One that spells nothing inside the verse would start with the mora
    // after it: the run shares the slot before instead.
    for (qsizetype k = 0; k < targets.size();) {
        qsizetype last = k;
        while (last + 1 < targets.size() && targets[last + 1] <= targets[k])
            ++last;
        if (last > k) {
            const int to = targets[last];
            const int from = k == 0 ? std::max(0, to - kCharMs) : targets[k - 1];
            const qsizetype shared = last - k + 1;
            for (qsizetype j = 0; j < shared; ++j)
                targets[k + j] = from + int((to - from) * (j + 1) / shared);
        }
        k = last + 1;
    }
    return targets;
}

QList<int> moraSlotEndsMs(const Verse &verse, const QString &spelled)
{
    const QList<int> targets = moraTargetsMs(verse, spelled);
    QList<int> ends;
    for (qsizetype k = 0; k < verse.size(); ++k) {
        int end = std::max(verse[k].spelledEnd * kCharMs, targets[k] + (spellsNothing(verse, k) ? kCharMs : kCharMs / 2));
        if (k + 1 < verse.size())
            end = std::min(end, targets[k + 1]);
        ends.append(end);
    }
    return ends;
}

QString synthesisText(const Verse &verse, const QString &spelled)
{
    QString text;
    for (qsizetype k = 0; k < verse.size(); ++k) {
        text += verse[k].kana;
        const int end = verse[k].spelledEnd;
        if (k + 1 < verse.size() && end < spelled.size() && spelled[end] == kPhraseSpace)
            text += u'、';
    }
    return text;
}

QByteArray writeIndex(const QList<ClipTimes> &clips)
{
    QByteArray out;
    for (const ClipTimes &c : clips) {
        out += QByteArray::number(c.poem) + '\t' + QByteArray::number(int(c.half)) + '\t';
        for (qsizetype k = 0; k < c.startMs.size(); ++k) {
            if (k > 0)
                out += ',';
            out += QByteArray::number(c.startMs[k]) + '-' + QByteArray::number(c.endMs.value(k));
        }
        out += '\n';
    }
    return out;
}

std::optional<QList<ClipTimes>> parseIndex(const QByteArray &text)
{
    QList<ClipTimes> clips;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split('\t');
        if (f.size() != 3)
            continue;
        ClipTimes c;
        bool okPoem = false, okHalf = false;
        c.poem = f[0].toInt(&okPoem);
        const int half = f[1].toInt(&okHalf);
        if (!okPoem || !okHalf || c.poem < 1 || c.poem > 100 || (half != 1 && half != 2))
            continue;
        c.half = Half(half);
        bool good = true;
        for (const QByteArray &pair : f[2].split(',')) {
            const QList<QByteArray> se = pair.split('-');
            bool okS = false, okE = false;
            const int s = se.value(0).toInt(&okS);
            const int e = se.value(1).toInt(&okE);
            const int previousEnd = c.endMs.isEmpty() ? 0 : c.endMs.last();
            if (se.size() != 2 || !okS || !okE || s < previousEnd || e < s) {
                good = false;
                break;
            }
            c.startMs.append(s);
            c.endMs.append(e);
        }
        if (good)
            clips.append(c);
    }
    if (clips.isEmpty())
        return std::nullopt;
    return clips;
}

std::optional<int> decidingHeardMs(const ClipTimes &clip, int decidingMorae)
{
    if (decidingMorae < 1 || decidingMorae > clip.endMs.size())
        return std::nullopt;
    return clip.endMs[decidingMorae - 1];
}

qint64 msAfterDecidingHeard(qint64 answerMs, int voiceDelayMs, int heardMs)
{
    return answerMs - (qint64(voiceDelayMs) + heardMs);
}

QByteArray wavFile(const QByteArray &pcm, int sampleRate)
{
    QByteArray out(44, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, out.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, out.data() + at); };
    memcpy(out.data(), "RIFF", 4);
    put32(4, quint32(36 + pcm.size()));
    memcpy(out.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1); // PCM
    put16(22, 1); // mono
    put32(24, quint32(sampleRate));
    put32(28, quint32(sampleRate * 2));
    put16(32, 2);
    put16(34, 16);
    memcpy(out.data() + 36, "data", 4);
    put32(40, quint32(pcm.size()));
    return out + pcm;
}

std::optional<QByteArray> wavSamples(const QByteArray &file, int *sampleRate)
{
    if (file.size() < 44 || !file.startsWith("RIFF") || file.mid(8, 8) != "WAVEfmt ")
        return std::nullopt;
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(file.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(file.constData() + at); };
    if (u16(20) != 1 || u16(22) != 1 || u16(34) != 16 || file.mid(36, 4) != "data")
        return std::nullopt;
    const quint32 size = u32(40);
    if (size > quint32(file.size() - 44) || size % 2 != 0)
        return std::nullopt;
    if (sampleRate)
        *sampleRate = int(u32(24));
    return file.mid(44, size);
}

} // namespace voice
