#pragma once

#include <QString>

#include "deck/poemtable.h"
#include "deck/reveal.h"
#include "deck/spoken.h"

// The opening poem (序歌) a match is read from, なにはづに…: read whole before
// the first reading. It is no card: it is not one of the table's hundred
// poems and never enters a game, the quiz or the history.
namespace deck {

// Stands for the opening poem where a poem number is expected (clip names,
// the clip index); never a row of the poem table.
constexpr PoemNo kOpeningPoem = 0;

// A half as the table would spell it, U+3000 between phrases and no fill.
QString openingSpelled(Half half);
// The same in Shift-JIS, as the reading panels show verses.
QByteArray openingText(Half half);
const SpokenVerse &spokenOpening(Half half);

// A verse as the table spells it, its fill kept: poem 1 .. 100, or
// kOpeningPoem. Taken from the poems' source, so it needs no filled table.
QString spelledVerse(PoemNo poem, Half half);

} // namespace deck
