#include "voicecore.h"

#include <QtEndian>

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstring>

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
    QByteArray labels;
    bool inLabels = false;
    for (const QByteArray &raw : trace.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inLabels = line == "[Output label]";
        else if (inLabels)
            labels += line + '\n';
    }
    return parseLabels(labels);
}

QList<Phone> parseLabels(const QByteArray &labels)
{
    QList<Phone> phones;
    for (const QByteArray &raw : labels.split('\n')) {
        // "<start> <end> p1^p2-p3+p4=p5/A:..." with times in units of 100 ns.
        const QList<QByteArray> fields = raw.trimmed().split(' ');
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
                       int(end / 10000), label});
    }
    return phones;
}

QList<MoraPhones> moraPhones(const QList<Phone> &phones)
{
    QList<MoraPhones> morae;
    std::optional<qsizetype> open;
    for (qsizetype i = 0; i < phones.size(); ++i) {
        if (phones[i].isPause()) {
            open.reset(); // a consonant cut off by a pause makes no mora
            continue;
        }
        if (!open)
            open = i;
        if (closesMora(phones[i].name)) {
            morae.append({*open, i});
            open.reset();
        }
    }
    return morae;
}

QList<MoraSpan> moraSpans(const QList<Phone> &phones)
{
    QList<MoraSpan> spans;
    for (const MoraPhones &m : moraPhones(phones))
        spans.append({phones[m.first].startMs, phones[m.last].startMs, phones[m.last].endMs});
    return spans;
}

QStringList phonesOfKana(const QString &kana)
{
    // Each row's consonant, then its kana in the order of the vowels a i u e o.
    struct Row {
        const char *consonants; // per vowel, space-separated; "-" for none
        const char16_t *kana;
    };
    static const Row rows[] = {
        {"- - - - -", u"あいうえお"},        {"k k k k k", u"かきくけこ"},   {"g g g g g", u"がぎぐげご"},
        {"s sh s s s", u"さしすせそ"},       {"z j z z z", u"ざじずぜぞ"},   {"t ch ts t t", u"たちつてと"},
        {"d j z d d", u"だぢづでど"},        {"n n n n n", u"なにぬねの"},   {"h h f h h", u"はひふへほ"},
        {"b b b b b", u"ばびぶべぼ"},        {"p p p p p", u"ぱぴぷぺぽ"},   {"m m m m m", u"まみむめも"},
        {"y - y - y", u"や_ゆ_よ"},          {"r r r r r", u"らりるれろ"},   {"w - - - -", u"わゐ_ゑを"},
    };
    static const QHash<QChar, QStringList> single = [] {
        QHash<QChar, QStringList> h;
        const QStringList vowels = {u"a"_qs, u"i"_qs, u"u"_qs, u"e"_qs, u"o"_qs};
        for (const Row &r : rows) {
            const QStringList cons = QString::fromLatin1(r.consonants).split(u' ');
            const QString k = QString::fromUtf16(r.kana);
            for (int v = 0; v < 5; ++v) {
                if (k[v] == u'_')
                    continue;
                h.insert(k[v], cons[v] == u"-" ? QStringList{vowels[v]} : QStringList{cons[v], vowels[v]});
            }
        }
        h.insert(u'ん', {u"N"_qs});
        h.insert(u'っ', {u"cl"_qs});
        return h;
    }();
    static const QHash<QChar, QString> palatal = {{u'き', u"ky"_qs}, {u'ぎ', u"gy"_qs}, {u'し', u"sh"_qs},
                                                  {u'じ', u"j"_qs},  {u'ち', u"ch"_qs}, {u'ぢ', u"j"_qs},
                                                  {u'に', u"ny"_qs}, {u'ひ', u"hy"_qs}, {u'び', u"by"_qs},
                                                  {u'ぴ', u"py"_qs}, {u'み', u"my"_qs}, {u'り', u"ry"_qs}};
    static const QHash<QChar, QString> glide = {{u'ゃ', u"a"_qs}, {u'ゅ', u"u"_qs}, {u'ょ', u"o"_qs}};
    if (kana.size() == 1)
        return single.value(kana[0]);
    if (kana.size() == 2 && palatal.contains(kana[0]) && glide.contains(kana[1]))
        return {palatal.value(kana[0]), glide.value(kana[1])};
    return {};
}

QString sayingFault(const Verse &verse, const QList<Phone> &phones)
{
    const QList<MoraPhones> said = moraPhones(phones);
    auto saidText = [&](const MoraPhones &m) {
        QStringList names;
        for (qsizetype i = m.first; i <= m.last; ++i)
            names.append(phones[i].name);
        return names.join(u' ');
    };
    if (said.size() != verse.size()) {
        QStringList all;
        for (const MoraPhones &m : said)
            all.append(saidText(m));
        return QStringLiteral("%1 morae said for %2: %3").arg(said.size()).arg(verse.size()).arg(all.join(u" | "));
    }
    QString previousVowel;
    for (qsizetype k = 0; k < verse.size(); ++k) {
        const QStringList expected = phonesOfKana(verse[k].kana);
        QStringList got;
        for (qsizetype i = said[k].first; i <= said[k].last; ++i)
            got.append(QStringLiteral("AIUEO").contains(phones[i].name) ? phones[i].name.toLower() : phones[i].name);
        const bool longO = previousVowel == u"o" && expected == QStringList{u"u"_qs} && got == QStringList{u"o"_qs};
        if (expected.isEmpty() || (got != expected && !longO))
            return QStringLiteral("mora %1 (%2) said %3").arg(k + 1).arg(verse[k].kana, saidText(said[k]));
        previousVowel = expected.last();
    }
    return {};
}

namespace {

// The labels' phoneme contexts, "p1^p2-p3+p4=p5" before "/A:", written
// again from the names of the phones around each.
void rewriteContexts(QList<Phone> &phones)
{
    auto nameAt = [&](qsizetype i) {
        return i >= 0 && i < phones.size() ? phones[i].name.toLatin1() : QByteArray("xx");
    };
    for (qsizetype i = 0; i < phones.size(); ++i) {
        QByteArray &label = phones[i].label;
        const qsizetype rest = label.indexOf("/A:");
        label = nameAt(i - 2) + '^' + nameAt(i - 1) + '-' + nameAt(i) + '+' + nameAt(i + 1) + '=' + nameAt(i + 2) +
                (rest < 0 ? QByteArray() : label.mid(rest));
    }
}

constexpr int kOpeningConsonantMs = 30;
constexpr int kStopMs = 40;

bool isStop(const QString &name)
{
    static const QStringList stops = {u"p"_qs,  u"t"_qs,  u"k"_qs,  u"b"_qs,  u"d"_qs,  u"g"_qs,  u"ch"_qs,
                                      u"ts"_qs, u"ky"_qs, u"gy"_qs, u"py"_qs, u"by"_qs, u"ty"_qs, u"dy"_qs};
    return stops.contains(name);
}

int toFrame(double ms)
{
    return int(std::lround(ms / kFrameMs)) * kFrameMs;
}

} // namespace

QList<Phone> retimed(const QList<Phone> &phones, const Verse &verse, const QString &spelled, Half half, int leadMs)
{
    const QList<MoraPhones> said = moraPhones(phones);
    const QList<int> targets = moraTargetsMs(verse, spelled);
    Q_ASSERT(said.size() == verse.size() && !said.isEmpty());
    QList<Phone> out;
    const qsizetype n = said.size();
    for (qsizetype i = 0; i < said[0].first; ++i)
        out.append({phones[i].name, -leadMs, toFrame(targets[0]), phones[i].label});
    for (qsizetype k = 0; k < n; ++k) {
        const int start = toFrame(targets[k]);
        const int next = toFrame(k + 1 < n ? targets[k + 1] : targets[k] + (half == Half::Shimo ? kHoldMs : kUpperEndMs));
        // Consonants at their natural length, shrunk to fit a third of the
        // mora. What is silent of them is kept short so that the mora is
        // heard on its tick: a stop's closure, and whatever of the verse's
        // first consonant comes out of silence before it rises.
        auto lengthOf = [&](const Phone &p) {
            return isStop(p.name) ? std::min(p.endMs - p.startMs, kStopMs) : p.endMs - p.startMs;
        };
        int natural = 0;
        for (qsizetype i = said[k].first; i < said[k].last; ++i)
            natural += lengthOf(phones[i]);
        const double room = k == 0 ? kOpeningConsonantMs : (next - start) / 3.0;
        const double scale = natural > 0 ? std::min(1.0, room / natural) : 1.0;
        double at = start;
        for (qsizetype i = said[k].first; i <= said[k].last; ++i) {
            Phone p = phones[i];
            if (p.name.size() == 1 && QStringLiteral("AIUEO").contains(p.name))
                p.name = p.name.toLower();
            const int length = lengthOf(p);
            p.startMs = toFrame(at);
            at += length * scale;
            p.endMs = i == said[k].last ? next : std::max(p.startMs + kFrameMs, toFrame(at));
            at = p.endMs;
            out.append(p);
        }
    }
    const int end = out.last().endMs;
    for (qsizetype i = said.last().last + 1; i < phones.size(); ++i)
        out.append({phones[i].name, end, end + 20 * kFrameMs, phones[i].label});
    rewriteContexts(out);
    return out;
}

QByteArray labelText(const QList<Phone> &phones, int offsetMs)
{
    QByteArray out;
    for (const Phone &p : phones)
        out += QByteArray::number(qint64(std::max(0, p.startMs + offsetMs)) * 10000) + ' ' +
               QByteArray::number(qint64(std::max(0, p.endMs + offsetMs)) * 10000) + ' ' + p.label + '\n';
    return out;
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

QString synthesisText(const Verse &verse, const QString &spelled, Script script)
{
    QString text;
    for (qsizetype k = 0; k < verse.size(); ++k) {
        for (QChar c : verse[k].kana)
            text += script == Script::Katakana && c >= u'ぁ' && c <= u'ゖ' ? QChar(c.unicode() + (u'ァ' - u'ぁ')) : c;
        const int end = verse[k].spelledEnd;
        if (k + 1 < verse.size() && end < spelled.size() && spelled[end] == kPhraseSpace && !spellsNothing(verse, k + 1))
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
        if (!okPoem || !okHalf || c.poem < 0 || c.poem > 100 || (half != 1 && half != 2))
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
