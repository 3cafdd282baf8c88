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

} // namespace match
