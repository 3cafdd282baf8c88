#include "deckspoken_pending.h"

#include <array>

namespace deck {

namespace {

// Each verse as "kana:end kana:end ..." (spelled end after the mora).
SpokenVerse parse(const char *row)
{
    SpokenVerse v;
    for (const QString &item : QString::fromUtf8(row).split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype colon = item.indexOf(u':');
        v.morae.append({item.left(colon), item.mid(colon + 1).toInt()});
    }
    return v;
}

struct Row {
    int poem;
    const char *kami;
    const char *shimo;
};

const Row kRows[] = {
    {1, "あ:1 き:2 の:3 た:4 の:5 か:7 り:8 お:9 の:10 い:11 お:12 の:13 と:15 ま:16 お:17 あ:18 ら:19 み:20",
     "わ:1 か:2 こ:3 ろ:4 も:5 て:6 わ:7 つ:9 ゆ:10 に:11 ぬ:12 れ:13 つ:14 つ:15"},
    {2, "は:1 る:2 す:3 ぎ:4 て:5 な:7 つ:8 き:9 に:10 け:11 ら:12 し:13 し:15 ろ:16 た:17 え:18 の:19",
     "こ:1 ろ:2 も:3 ほ:4 す:5 ちょ:6 う:7 あ:9 ま:10 の:11 か:12 く:13 や:14 ま:15"},
};

const SpokenVerse &verse(PoemNo p, bool kami)
{
    static const auto table = [] {
        std::array<std::array<SpokenVerse, 2>, 101> t{};
        for (const Row &r : kRows)
            t[std::size_t(r.poem)] = {parse(r.kami), parse(r.shimo)};
        return t;
    }();
    return table[std::size_t(p)][kami ? 0 : 1];
}

} // namespace

QString SpokenVerse::text() const
{
    QString s;
    for (const SpokenMora &m : morae)
        s += m.kana;
    return s;
}

const SpokenVerse &spokenKaminoku(PoemNo p) { return verse(p, true); }
const SpokenVerse &spokenShimonoku(PoemNo p) { return verse(p, false); }

// Only the two poems above: both decided by their first two morae.
int decidingMorae(PoemNo, const std::bitset<101> &) { return 2; }

} // namespace deck
