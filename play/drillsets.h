#pragma once

#include <QList>
#include <QString>

#include "deck/poemtable.h"
#include "platform/random.h"

// Sets of poems to drill, chosen by how the poems sound: the one-syllable
// deciders, one opening syllable, one length of deciding syllables, and
// groups that share an opening (友札). The deciding syllables are those of
// the whole hundred, none read.
namespace play {

struct DrillSet {
    enum class Kind {
        OneSyllable, // 一字決まり
        Family,      // every poem opening with `opening` (one mora)
        Length,      // every poem decided after `length` morae
        Tomofuda,    // every poem opening with `opening`, two morae or more
    };
    Kind kind = Kind::OneSyllable;
    QString opening;
    int length = 0;
    QList<deck::PoemNo> poems; // in number order

    QString name() const; // for the player: "一字決まり", "「あ」の札", "三字決まり", "友札「きみがため」"
};

// Every set offered: the one-syllable deciders, the families in kana order,
// the lengths 2 .. 6, then the 友札 groups in kana order. A 友札 group is the
// poems that open with what one of them shares with its nearest neighbour,
// when that is two morae or more.
const QList<DrillSet> &drillSets();

// The set's poems in a random order, drawn as the full run draws: a number
// below the set's size, drawn again while already taken.
QList<deck::PoemNo> drawSetOrder(platform::Random &rng, const QList<deck::PoemNo> &set);

} // namespace play
