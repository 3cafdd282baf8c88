#pragma once

#include <QList>

#include "deck/poemtable.h"

class QComboBox;

// The drill's choice of poems, kept in one box: 全百首 first, then the sets
// by sound.
namespace nagashi {

void fillSetChoices(QComboBox *box);
// The poems of the chosen item, in number order.
QList<deck::PoemNo> chosenPoems(const QComboBox *box);

} // namespace nagashi
