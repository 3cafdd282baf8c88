// The player's settings file, as it holds the standard layout: any bytes
// are the whole file. Whatever it holds, the layout read from it places
// every poem once and reads back from its own text; a value that is a whole
// layout is taken as it is, anything else gives the default, and a file
// with a value that is not used says why; a file over the bound is not
// parsed; a side laid out by it keeps its cards.
#include <cstddef>
#include <cstdint>

#include <QFile>
#include <QSettings>

#include "deck/poemtable.h"
#include "fuzzcheck.h"
#include "play/layoutstore.h"
#include "scratchdir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A layout that is not used is warned of on every input: kept quiet.
    static const auto quiet = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    (void)quiet;
    static const QString folder = scratchDir(QStringLiteral("kotoha-fuzz-layout-"));
    CHECK(!folder.isEmpty());
    const QString path = folder + QStringLiteral("/kotoha.conf");
    {
        QFile f(path);
        CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const match::SavedLayout read = match::readLayout(path);
    const match::StandardLayout &l = read.layout;

    const auto again = match::StandardLayout::fromText(l.text());
    CHECK(again && again->text() == l.text());
    for (int p = 1; p <= deck::kPoemCount; ++p)
        CHECK(l.zone(p) >= 0 && l.rank(p) >= 0);
    if (qint64(size) > match::kSettingsMaxBytes) {
        CHECK(!read.problem.isEmpty() && l.text() == match::defaultLayout().text());
    } else {
        const QSettings settings(path, QSettings::IniFormat);
        const QVariant value = settings.value(QStringLiteral("position/layout"));
        const auto raw = match::StandardLayout::fromText(value.typeId() == QMetaType::QStringList
                                                             ? value.toStringList().join(u',')
                                                             : value.toString());
        const bool usable = settings.status() == QSettings::NoError && (raw || !value.isValid());
        CHECK(read.problem.isEmpty() == usable);
        CHECK(l.text() == (usable && raw ? raw->text() : match::defaultLayout().text()));
    }

    match::Field f;
    for (int k = 0; k < match::kCardsPerSide; ++k)
        f.put({match::Side::Player, k}, 4 * k + 1);
    const match::Field out = match::arranged(f, match::Side::Player, l);
    QList<int> before = f.poems(match::Side::Player), after = out.poems(match::Side::Player);
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    CHECK(before == after);
    return 0;
}
