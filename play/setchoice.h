#pragma once

#include <QList>
#include <QString>
#include <qnamespace.h>

#include "deck/poemtable.h"

class QComboBox;

// The sets a drill can be run on, for any drill's combo box: 全百首, the
// sets by sound (drillsets.h), then the player's own sets from the history.
//
//     play::addSetChoices(box, play::setChoices());
//     ...
//     const QList<deck::PoemNo> poems = play::chosenPoems(box); // empty: all hundred
//
// Call setChoices() again (and clear the box) when the window is shown, so
// that sets made or edited meanwhile are offered.
namespace play {

struct SetChoice {
    QString name;              // "全百首", "一字決まり", the player's own name
    QList<deck::PoemNo> poems; // ascending; empty for 全百首
    bool own = false;          // one of the player's sets
};

// Reads the player's sets from the history file at history::databasePath().
QList<SetChoice> setChoices();

// The item data roles addSetChoices fills in.
constexpr int kSetPoemsRole = Qt::UserRole + 1; // QList<deck::PoemNo>
constexpr int kSetNameRole = Qt::UserRole + 2;  // SetChoice::name

// Appends one item per choice, listed with its size ("一字決まり (7首)"); a
// separator comes before the first of the player's sets.
void addSetChoices(QComboBox *box, const QList<SetChoice> &choices);

// The current item's poems; empty for 全百首 or an item not added above.
QList<deck::PoemNo> chosenPoems(const QComboBox *box);

// For a box holding only these choices: fills it again from setChoices()
// and keeps the item chosen by its name (全百首 when that set is gone).
// Emits no signals; the caller deals afresh if it needs to.
void refillSetChoices(QComboBox *box);

} // namespace play
