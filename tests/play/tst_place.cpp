#include <QtTest>

#include "play/field.h"

using namespace match;

Q_DECLARE_METATYPE(std::optional<match::Place>)

// One spelling of a place for records, the history and tests; the drill's
// older history spelling still reads, but only where the history is read.
class tst_Place : public QObject {
    Q_OBJECT
private slots:
    void everyPlaceReadsBackAsWritten();
    void spellingsRead_data();
    void spellingsRead();
};

void tst_Place::everyPlaceReadsBackAsWritten()
{
    for (Side s : {Side::Player, Side::Opponent})
        for (int k = 0; k < kSlots; ++k) {
            const Place p{s, k};
            QCOMPARE(Place::fromText(p.text()), std::optional<Place>(p));
            QCOMPARE(Place::fromStored(p.text()), std::optional<Place>(p));
        }
    QCOMPARE(Place({Side::Opponent, slotAt(2, 17)}).text(), QStringLiteral("O2.17"));
}

void tst_Place::spellingsRead_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<Place>>("asWritten"); // Place::fromText
    QTest::addColumn<std::optional<Place>>("asStored");  // Place::fromStored
    const std::optional<Place> none;
    const Place p14{Side::Player, 14}, o40{Side::Opponent, 40};

    QTest::newRow("the drill's old row, player's side") << "p14" << none << std::optional(p14);
    QTest::newRow("the drill's old row, opponent's side") << "o40" << none << std::optional(o40);
    QTest::newRow("the same places as written now") << "P0.14" << std::optional(p14) << std::optional(p14);
    QTest::newRow("an old row past the last slot") << "p54" << none << none;
    QTest::newRow("a row off the floor") << "P3.0" << none << none;
    QTest::newRow("a column off the floor") << "O0.18" << none << none;
    QTest::newRow("a signed row") << "P+1.2" << none << none;
    QTest::newRow("no column") << "P1" << none << none;
    QTest::newRow("an unknown side") << "Q0.0" << none << none;
    QTest::newRow("a letter alone") << "p" << none << none;
}

void tst_Place::spellingsRead()
{
    QFETCH(QString, text);
    QFETCH(std::optional<Place>, asWritten);
    QFETCH(std::optional<Place>, asStored);
    QCOMPARE(Place::fromText(text), asWritten);
    QCOMPARE(Place::fromStored(text), asStored);
}

QTEST_APPLESS_MAIN(tst_Place)
#include "tst_place.moc"
