#pragma once

#include "deck/poemtable.h"

// The number of the table's poem an entry copies, found by its upper verse;
// 0 when it copies none.
inline int poemNumber(const deck::PoemEntry &e)
{
    return deck::PoemTable.numberOf(e);
}
