#include "drillsets.h"

#include <QMap>

#include <algorithm>

#include "deck/spoken.h"

namespace play {

namespace {

const QString kLengthNames[] = {QString(), QStringLiteral("一字決まり"), QStringLiteral("二字決まり"),
                                QStringLiteral("三字決まり"), QStringLiteral("四字決まり"),
                                QStringLiteral("五字決まり"), QStringLiteral("六字決まり")};

QList<deck::PoemNo> poemsOpeningWith(const QString &opening)
{
    QList<deck::PoemNo> poems;
    for (deck::PoemNo no = 1; no <= deck::kPoemCount; ++no)
        if (deck::spokenKaminoku(no).text().startsWith(opening))
            poems << no;
    return poems;
}

QList<DrillSet> makeSets()
{
    // Keyed by kana, so that QMap gives the families and groups in kana order.
    QMap<int, QList<deck::PoemNo>> byLength;
    QMap<QString, bool> families;
    QMap<QString, bool> groups;
    for (deck::PoemNo no = 1; no <= deck::kPoemCount; ++no) {
        const deck::SpokenVerse &verse = deck::spokenKaminoku(no);
        const int n = deck::decidingMorae(no, {});
        byLength[n] << no;
        families[verse.opening(1)] = true;
        if (n >= 3)
            groups[verse.opening(n - 1)] = true;
    }

    QList<DrillSet> sets;
    sets.append({DrillSet::Kind::OneSyllable, {}, 1, byLength.value(1)});
    for (const QString &kana : families.keys())
        sets.append({DrillSet::Kind::Family, kana, 0, poemsOpeningWith(kana)});
    for (int n = 2; n < static_cast<int>(std::size(kLengthNames)); ++n)
        if (byLength.contains(n))
            sets.append({DrillSet::Kind::Length, {}, n, byLength.value(n)});
    for (const QString &opening : groups.keys())
        sets.append({DrillSet::Kind::Tomofuda, opening, 0, poemsOpeningWith(opening)});
    return sets;
}

} // namespace

QString DrillSet::name() const
{
    switch (kind) {
    case Kind::OneSyllable: return kLengthNames[1];
    case Kind::Family: return QStringLiteral("「%1」の札").arg(opening);
    case Kind::Length: return length >= 1 && length < static_cast<int>(std::size(kLengthNames)) ? kLengthNames[length] : QString();
    case Kind::Tomofuda: return QStringLiteral("友札「%1」").arg(opening);
    }
    return {};
}

const QList<DrillSet> &drillSets()
{
    static const QList<DrillSet> sets = makeSets();
    return sets;
}

QList<deck::PoemNo> drawSetOrder(platform::Random &rng, const QList<deck::PoemNo> &set)
{
    const int size = static_cast<int>(set.size());
    QList<deck::PoemNo> order;
    QList<bool> taken(size, false);
    for (int i = 0; i < size; ++i) {
        int k;
        do
            k = rng.below(size);
        while (taken[k]);
        taken[k] = true;
        order << set[k];
    }
    return order;
}

} // namespace play
