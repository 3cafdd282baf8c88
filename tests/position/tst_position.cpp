#include <QtTest>

#include "deck/spoken.h"
#include "position/positiondrill.h"

using namespace match;
using O = PositionDrill::Outcome;

class tst_Position : public QObject {
    Q_OBJECT
private slots:
    void drillFieldFillsTheLowestRowFirst_data();
    void drillFieldFillsTheLowestRowFirst();
    void drillJudgesEachReading();
};

void tst_Position::drillFieldFillsTheLowestRowFirst_data()
{
    QTest::addColumn<int>("cards");
    QTest::addColumn<QString>("rows"); // player's rows top to bottom, then the opponent's cards
    QTest::newRow("ten") << 10 << "3/3/4 0";
    QTest::newRow("twenty-five") << 25 << "8/8/9 0";
    QTest::newRow("thirty") << 30 << "8/8/9 5";
    QTest::newRow("fifty") << 50 << "8/8/9 25";
}

void tst_Position::drillFieldFillsTheLowestRowFirst()
{
    QFETCH(int, cards);
    QFETCH(QString, rows);
    QList<int> poems;
    for (int p = 1; p <= cards; ++p)
        poems << p;
    const Field f = drillField(poems);
    std::array<int, kRows> perRow{};
    for (int k = 0; k < kSlots; ++k)
        if (f.at(Side::Player, k))
            ++perRow[std::size_t(rowOf(k))];
    QCOMPARE(QStringLiteral("%1/%2/%3 %4").arg(perRow[0]).arg(perRow[1]).arg(perRow[2]).arg(f.count(Side::Opponent)),
             rows);
    platform::Random rng;
    rng.state = 7;
    const QList<int> order = drillOrder(rng, f);
    QCOMPARE(order.size(), 2 * cards);
    QCOMPARE(QSet<int>(order.begin(), order.end()).size(), 2 * cards);
    for (int p : poems)
        QVERIFY(order.contains(p));
}

void tst_Position::drillJudgesEachReading()
{
    const Field f = drillField({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    // 1 right, 60 dead and clicked, 2 clicked on 3's place, 61 left alone,
    // 3 left to run out, then 4 clicked on the place 3 left.
    PositionDrill d(f, {1, 60, 2, 61, 3, 4});
    const Place of1 = *f.find(1), of3 = *f.find(3);
    QVERIFY(!d.click(of1, 0));

    QVERIFY(d.startReading());
    QCOMPARE(d.click(of1, 1500), O::Right);
    QVERIFY(!d.click(*f.find(2), 1600)); // the first click closes the reading
    const history::Take right = drillTake(d.last(), 9, 1000, 300);
    QCOMPARE(right.outcome, history::Outcome::Right);
    QCOMPARE(right.msAfterDeciding, std::optional<qint64>(200));
    QCOMPARE(right.extra.value("lies").toString(), QStringLiteral("P2.0")); // the lowest row's outer left

    QVERIFY(d.startReading());
    QVERIFY(!d.field().find(1)); // the card read before left the floor
    QCOMPARE(d.click(*f.find(5), 100), O::Fault);
    const history::Take fault = drillTake(d.last(), 9, 0, 0);
    QCOMPARE(fault.outcome, history::Outcome::Dead);
    QVERIFY(fault.extra.value("player_fault").toBool());

    QVERIFY(d.startReading());
    QCOMPARE(d.click(of3, 100), O::Wrong);
    QCOMPARE(drillTake(d.last(), 9, 0, 0).chosen, 3);

    QVERIFY(d.startReading());
    QCOMPARE(d.endReading(), O::Dead);
    QVERIFY(!drillTake(d.last(), 9, 0, 0).extra.value("player_fault").toBool());

    QVERIFY(d.startReading());
    QCOMPARE(d.endReading(), O::Timeout);
    QVERIFY(!drillTake(d.last(), 9, 0, 0).msAfterDeciding);

    QVERIFY(d.startReading());
    QCOMPARE(d.click(of3, 100), O::Wrong);
    QCOMPARE(d.last().clickedPoem, 0);
    QVERIFY(d.over());
    QVERIFY(!d.startReading());
    QCOMPARE(d.right(), 1);
    QCOMPARE(d.faults(), 1);
    QCOMPARE(d.done().size(), 6);
    QCOMPARE(d.misses(1), 0);
    QCOMPARE(d.misses(3), 2); // clicked for 2, then let run out
    QCOMPARE(d.misses(5), 1); // clicked on a dead card
    QCOMPARE(d.laidOut().at(of3), 3);
    QVERIFY(!d.rearrange(of1.slot, 0)); // only before the first reading
}

QTEST_GUILESS_MAIN(tst_Position)
#include "tst_position.moc"
