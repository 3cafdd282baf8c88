#pragma once

#include "deck/poemtable.h"

namespace history {

// The number (1..100) of the poem whose upper verse starts with the given
// working copy's upper verse; 0 when none does. Working copies may be cut
// short, and every poem is told apart well within the shortest cut.
template <std::size_t Capacity>
int poemNumber(const deck::BasicPoemEntry<Capacity> &entry)
{
    const QByteArrayView own = entry.Kaminoku.view();
    if (own.isEmpty())
        return 0;
    for (int p = 1; p <= deck::kPoemCount; ++p)
        if (deck::PoemTable[p].Kaminoku.view().startsWith(own))
            return p;
    return 0;
}

} // namespace history
