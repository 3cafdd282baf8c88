#include "layoutstore.h"

#include <QSettings>

namespace match {

namespace {
const QString kKey = QStringLiteral("position/layout");
}

std::unique_ptr<QSettings> playerSettings()
{
    return std::make_unique<QSettings>(QStringLiteral("kotoha"), QStringLiteral("kotoha"));
}

StandardLayout savedLayout(QSettings &settings)
{
    const QString text = settings.value(kKey).toString();
    if (text.isEmpty())
        return defaultLayout();
    QString why;
    if (const auto l = StandardLayout::fromText(text, &why))
        return *l;
    qWarning("the saved standard layout is not used: %s", qPrintable(why));
    return defaultLayout();
}

void saveLayout(QSettings &settings, const StandardLayout &layout)
{
    settings.setValue(kKey, layout.text());
    settings.sync();
}

QList<std::pair<int, int>> arrangeOwnSide(Match &m, const StandardLayout &layout)
{
    QList<std::pair<int, int>> moves;
    const Field target = arranged(m.field(), Side::Player, layout);
    // Each swap puts one card where it belongs and never moves it again.
    for (int k = 0; k < kSlots; ++k) {
        const int want = target.at(Side::Player, k);
        if (want && m.field().at(Side::Player, k) != want) {
            const int from = m.field().find(want)->slot;
            if (m.rearrange(from, k))
                moves.append({from, k});
        }
    }
    return moves;
}

} // namespace match
