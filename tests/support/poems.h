#pragma once

#include "deck/poemtable.h"

// The number of the table's poem an entry copies, found by its upper verse;
// 0 when it copies none.
inline int poemNumber(const deck::PoemEntry &e)
{
    for (int no = 1; no <= deck::kPoemCount; ++no)
        if (deck::PoemTable[no].Kaminoku == e.Kaminoku)
            return no;
    return 0;
}
