#include "opening.h"

#include "platform/sjis.h"

namespace deck {

namespace {

// Spelled as the table spells its verses: the lower verse without voicing
// marks, as on a card.
constexpr const char *kSpelled[2] = {"なにはづに　さくやこのはな　ふゆごもり", "いまをはるへと　さくやこのはな"};
constexpr const char *kSpoken[2] = {"なにわずに　さくやこのはな　ふゆごもり", "いまおはるべと　さくやこのはな"};

int index(Half half)
{
    return half == Half::Kami ? 0 : 1;
}

} // namespace

QString openingSpelled(Half half)
{
    return QString::fromUtf8(kSpelled[index(half)]);
}

QByteArray openingText(Half half)
{
    return platform::sjis::encode(openingSpelled(half));
}

QString spelledVerse(PoemNo poem, Half half)
{
    if (poem == kOpeningPoem)
        return openingSpelled(half);
    Q_ASSERT(poem >= 1 && poem <= kPoemCount);
    const detail::PoemSource &row = detail::kPoemSource[poem - 1];
    return QString::fromUtf8(half == Half::Kami ? row.kaminoku : row.shimonoku);
}

const SpokenVerse &spokenOpening(Half half)
{
    static const std::array<SpokenVerse, 2> verses = [] {
        std::array<SpokenVerse, 2> v;
        for (Half h : {Half::Kami, Half::Shimo}) {
            AlignResult r = alignSpoken(openingSpelled(h), QString::fromUtf8(kSpoken[index(h)]));
            if (!r.verse)
                qFatal("reading of the opening poem: %s", qPrintable(r.error));
            v[std::size_t(index(h))] = *r.verse;
        }
        return v;
    }();
    return verses[std::size_t(index(half))];
}

} // namespace deck
