#include "readings.h"

#include "deck/poemtable.h"
#include "deck/spoken.h"

namespace voice {

Verse spokenVerse(int poem, Half half)
{
    const deck::SpokenVerse &spoken = half == Half::Kami ? deck::spokenKaminoku(poem) : deck::spokenShimonoku(poem);
    Verse verse;
    for (const deck::SpokenMora &m : spoken.morae)
        verse.append({m.kana, m.spelledEnd});
    return verse;
}

QString spelledVerse(int poem, Half half)
{
    const deck::detail::PoemSource &row = deck::detail::kPoemSource[poem - 1];
    return QString::fromUtf8(half == Half::Kami ? row.kaminoku : row.shimonoku);
}

} // namespace voice
