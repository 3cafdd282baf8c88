#include "setchoice.h"

#include <QComboBox>

#include <numeric>

#include "training/drillsets.h"

namespace nagashi {

namespace {
constexpr int kWholeHundred = -1; // item data of 全百首; a set's is its index in drillSets()
}

void fillSetChoices(QComboBox *box)
{
    box->clear();
    box->addItem(QStringLiteral("全百首"), kWholeHundred);
    int i = 0;
    for (const training::DrillSet &set : training::drillSets())
        box->addItem(QStringLiteral("%1 (%2首)").arg(set.name()).arg(set.poems.size()), i++);
}

QList<deck::PoemNo> chosenPoems(const QComboBox *box)
{
    const int set = box->currentData().toInt();
    if (set >= 0 && set < training::drillSets().size())
        return training::drillSets()[set].poems;
    QList<deck::PoemNo> all(deck::kPoemCount);
    std::iota(all.begin(), all.end(), 1);
    return all;
}

} // namespace nagashi
