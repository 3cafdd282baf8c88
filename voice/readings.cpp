#include "readings.h"

#include "deck/opening.h"
#include "deck/spoken.h"

namespace voice {

Verse spokenVerse(int poem, Half half)
{
    if (poem == deck::kOpeningPoem)
        return deck::spokenOpening(half).morae;
    return (half == Half::Kami ? deck::spokenKaminoku(poem) : deck::spokenShimonoku(poem)).morae;
}

} // namespace voice
