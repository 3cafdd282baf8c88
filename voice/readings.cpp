#include "readings.h"

#include "deck/opening.h"
#include "deck/poemtable.h"
#include "deck/spoken.h"

namespace voice {

Verse spokenVerse(int poem, Half half)
{
    if (poem == deck::kOpeningPoem)
        return deck::spokenOpening(half).morae;
    return (half == Half::Kami ? deck::spokenKaminoku(poem) : deck::spokenShimonoku(poem)).morae;
}

QString spelledVerse(int poem, Half half)
{
    if (poem == deck::kOpeningPoem)
        return deck::openingSpelled(half);
    const deck::detail::PoemSource &row = deck::detail::kPoemSource[poem - 1];
    return QString::fromUtf8(half == Half::Kami ? row.kaminoku : row.shimonoku);
}

} // namespace voice
