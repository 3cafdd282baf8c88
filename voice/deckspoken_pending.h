#pragma once

// Stand-in for the deck's spoken readings until they are merged: the agreed
// interface, with only a few poems filled (deckspoken_pending.cpp). Remove
// both files and include the deck's own header once it is in the tree.

#include <QList>
#include <QString>

#include <bitset>

#include "deck/poemtable.h"

namespace deck {
struct SpokenMora {
    QString kana;
    int spelledEnd;
};
struct SpokenVerse {
    QList<SpokenMora> morae;
    QString text() const;
};
const SpokenVerse &spokenKaminoku(PoemNo);
const SpokenVerse &spokenShimonoku(PoemNo);
int decidingMorae(PoemNo p, const std::bitset<101> &read);
} // namespace deck
