#include "setchoice.h"

#include <QComboBox>
#include <QSignalBlocker>

#include <utility>

#include "history/database.h"
#include "history/playerstore.h"
#include "play/drillsets.h"

namespace play {

QList<SetChoice> setChoices()
{
    QList<SetChoice> choices{{QStringLiteral("全百首"), {}, false}};
    for (const DrillSet &set : drillSets())
        choices.append({set.name(), set.poems, false});
    for (const history::OwnSet &set : history::loadOwnSets(history::databasePath()))
        choices.append({set.name, set.poems, true});
    return choices;
}

void addSetChoices(QComboBox *box, const QList<SetChoice> &choices)
{
    bool ownYet = false;
    for (const SetChoice &choice : choices) {
        if (choice.own && !std::exchange(ownYet, true))
            box->insertSeparator(box->count());
        box->addItem(choice.poems.isEmpty() ? choice.name : QStringLiteral("%1 (%2首)").arg(choice.name).arg(choice.poems.size()));
        box->setItemData(box->count() - 1, QVariant::fromValue(choice.poems), kSetPoemsRole);
        box->setItemData(box->count() - 1, choice.name, kSetNameRole);
    }
}

QList<deck::PoemNo> chosenPoems(const QComboBox *box)
{
    return box->currentData(kSetPoemsRole).value<QList<deck::PoemNo>>();
}

void refillSetChoices(QComboBox *box)
{
    // An own set may share a name with a set by sound: the side of the
    // separator tells them apart.
    const auto separatorAt = [box] {
        const int at = box->findData(QStringLiteral("separator"), Qt::AccessibleDescriptionRole);
        return at < 0 ? box->count() : at;
    };
    const QString was = box->currentData(kSetNameRole).toString();
    const bool wasOwn = box->currentIndex() > separatorAt();
    const QSignalBlocker quiet(box);
    box->clear();
    addSetChoices(box, setChoices());
    const int own = separatorAt();
    box->setCurrentIndex(0);
    for (int i = wasOwn ? own + 1 : 0; i < (wasOwn ? box->count() : own); ++i)
        if (box->itemData(i, kSetNameRole).toString() == was) {
            box->setCurrentIndex(i);
            break;
        }
}

} // namespace play
