#include "readings.h"

#include "deck/poemtable.h"
#include "deck/spoken.h"

namespace voice {

Verse spokenVerse(int poem, Half half)
{
    return (half == Half::Kami ? deck::spokenKaminoku(poem) : deck::spokenShimonoku(poem)).morae;
}

QString spelledVerse(int poem, Half half)
{
    const deck::detail::PoemSource &row = deck::detail::kPoemSource[poem - 1];
    return QString::fromUtf8(half == Half::Kami ? row.kaminoku : row.shimonoku);
}

} // namespace voice
