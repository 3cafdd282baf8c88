#include "spoken.h"

#include <QtGlobal>

#include <array>

namespace deck {

namespace {

const QChar kFill(0x3000);

bool isSmallKana(QChar c)
{
    static const QString small = QStringLiteral("ぁぃぅぇぉゃゅょゎ");
    return small.contains(c);
}

// Kana units of a text: one per character, a small kana joined to the one
// before it. Each unit keeps the index just past its last character.
struct Unit {
    QString kana;
    int end;
};

QList<Unit> unitsOf(const QString &text)
{
    QList<Unit> units;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == kFill)
            continue;
        if (isSmallKana(c) && !units.isEmpty() && units.last().end == i) {
            units.last().kana += c;
            units.last().end = i + 1;
        } else {
            units.append({QString(c), i + 1});
        }
    }
    return units;
}

struct Readings {
    std::array<SpokenVerse, kPoemCount + 1> kami;
    std::array<SpokenVerse, kPoemCount + 1> shimo;
};

SpokenVerse alignOrDie(const char *spelled, const char *spoken, PoemNo no)
{
    AlignResult r = alignSpoken(QString::fromUtf8(spelled), QString::fromUtf8(spoken));
    if (!r.verse)
        qFatal("reading of poem %d: %s", no, qPrintable(r.error));
    return *r.verse;
}

const Readings &readings()
{
    static const Readings all = [] {
        Readings r;
        for (PoemNo no = 1; no <= kPoemCount; ++no) {
            const auto &spelled = detail::kPoemSource[no - 1];
            const auto &spoken = detail::kSpokenSource[no - 1];
            r.kami[static_cast<std::size_t>(no)] = alignOrDie(spelled.kaminoku, spoken.kaminoku, no);
            r.shimo[static_cast<std::size_t>(no)] = alignOrDie(spelled.shimonoku, spoken.shimonoku, no);
        }
        return r;
    }();
    return all;
}

} // namespace

QString SpokenVerse::text() const
{
    return opening(static_cast<int>(morae.size()));
}

QString SpokenVerse::opening(int moraCount) const
{
    QString s;
    for (int i = 0; i < moraCount && i < morae.size(); ++i)
        s += morae[i].kana;
    return s;
}

AlignResult alignSpoken(const QString &spelled, const QString &spoken)
{
    AlignResult result;
    QString said = spoken;
    QString beyond; // heard after the spelled text ends
    if (const auto open = said.indexOf(QStringLiteral("（")); open >= 0) {
        if (!said.endsWith(QStringLiteral("）")) || open + 2 > said.size()) {
            result.error = QStringLiteral("unclosed （ in %1").arg(spoken);
            return result;
        }
        beyond = said.mid(open + 1, said.size() - open - 2);
        said.truncate(open);
    }
    const QList<Unit> written = unitsOf(spelled);
    const QList<Unit> heard = unitsOf(said);
    if (written.size() != heard.size()) {
        result.error = QStringLiteral("%1 spelled kana against %2 spoken morae").arg(written.size()).arg(heard.size());
        return result;
    }
    SpokenVerse verse;
    for (qsizetype i = 0; i < heard.size(); ++i)
        verse.morae.append({heard[i].kana, written[i].end});
    const int lastEnd = written.isEmpty() ? 0 : written.last().end;
    for (const Unit &u : unitsOf(beyond))
        verse.morae.append({u.kana, lastEnd});
    result.verse = verse;
    return result;
}

const SpokenVerse &spokenKaminoku(PoemNo no)
{
    Q_ASSERT(no >= 1 && no <= kPoemCount);
    return readings().kami[static_cast<std::size_t>(no)];
}

const SpokenVerse &spokenShimonoku(PoemNo no)
{
    Q_ASSERT(no >= 1 && no <= kPoemCount);
    return readings().shimo[static_cast<std::size_t>(no)];
}

int decidingMorae(PoemNo p, const ReadSet &read)
{
    Q_ASSERT(p >= 1 && p <= kPoemCount && !read.test(static_cast<std::size_t>(p)));
    const QList<SpokenMora> &mine = spokenKaminoku(p).morae;
    int shared = 0;
    for (PoemNo q = 1; q <= kPoemCount; ++q) {
        if (q == p || read.test(static_cast<std::size_t>(q)))
            continue;
        const QList<SpokenMora> &theirs = spokenKaminoku(q).morae;
        int n = 0;
        while (n < mine.size() && n < theirs.size() && mine[n].kana == theirs[n].kana)
            ++n;
        shared = std::max(shared, n);
    }
    // No two upper verses are heard alike, so one more mora always exists.
    return std::min<int>(shared + 1, static_cast<int>(mine.size()));
}

} // namespace deck
