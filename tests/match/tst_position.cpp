#include <QtTest>

#include "deck/spoken.h"
#include "play/layoutstore.h"
#include "match/positiondrill.h"
#include "match/rules.h"
#include "play/standardlayout.h"

using namespace match;
using O = PositionDrill::Outcome;

namespace {

// A side as "slot=poem …" in slot order.
QString sideText(const Field &f, Side s)
{
    QStringList out;
    for (int k = 0; k < kSlots; ++k)
        if (f.at(s, k))
            out << QStringLiteral("%1=%2").arg(k).arg(f.at(s, k));
    return out.join(u' ');
}

// Zones top-left to bottom-right hold 91..100, 81..90, 61..80, 41..60, 21..40, 1..20.
StandardLayout numberedLayout()
{
    StandardLayout::Zones z;
    const int first[kZones] = {91, 81, 61, 41, 21, 1};
    const int size[kZones] = {10, 10, 20, 20, 20, 20};
    for (int i = 0; i < kZones; ++i)
        for (int p = first[i]; p < first[i] + size[i]; ++p)
            z[std::size_t(i)] << p;
    return *StandardLayout::fromZones(z);
}

} // namespace

class tst_Position : public QObject {
    Q_OBJECT
private slots:
    void layoutText_data();
    void layoutText();
    void defaultLayoutFollowsTheGuides();
    void dealArrangedByLayout_data();
    void dealArrangedByLayout();
    void matchCardsArrangedOnlyBeforeTheFirstReading();
    void drillFieldFillsTheLowestRowFirst_data();
    void drillFieldFillsTheLowestRowFirst();
    void drillJudgesEachReading();
};

void tst_Position::layoutText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    const QString good = numberedLayout().text();
    QTest::newRow("the numbered layout") << good << true;
    QTest::newRow("the default") << defaultLayout().text() << true;
    QTest::newRow("a poem missing") << good.mid(3) << false;
    QTest::newRow("five zones") << good.section(u'/', 1) << false;
    QTest::newRow("a poem twice") << QString(good).replace(QStringLiteral("92"), QStringLiteral("93")) << false;
    QTest::newRow("poem 101") << QString(good).replace(QStringLiteral("100"), QStringLiteral("101")) << false;
    QTest::newRow("poem 0") << QString(good).replace(QStringLiteral("100"), QStringLiteral("0")) << false;
    QTest::newRow("not a number") << QString(good).replace(QStringLiteral("100"), QStringLiteral("x")) << false;
    QTest::newRow("nothing") << QString() << false;
    QStringList moved = good.split(u'/');
    moved[0] += moved[5].isEmpty() ? QString() : QStringLiteral(",") + moved[5];
    moved[5].clear();
    QTest::newRow("a zone left empty on purpose") << moved.join(u'/') << true;
}

void tst_Position::layoutText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QString why;
    const auto l = StandardLayout::fromText(text, &why);
    QCOMPARE(bool(l), valid);
    if (l)
        QCOMPARE(l->text(), text);
    else
        QVERIFY(!why.isEmpty());
}

void tst_Position::defaultLayoutFollowsTheGuides()
{
    const StandardLayout &l = defaultLayout();
    std::array<int, kRows> perRow{};
    QMap<QString, QSet<int>> zonesOfFamily;
    QMap<QString, QList<int>> sixPairs;
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        const int z = l.zone(p);
        QVERIFY(z >= 0);
        ++perRow[std::size_t(zoneRow(z))];
        const int morae = deck::decidingMorae(p, {});
        if (morae == 1)
            QCOMPARE(zoneName(z), QStringLiteral("下段右"));
        if (morae == 6)
            sixPairs[deck::spokenKaminoku(p).opening(5)] << p;
        else
            zonesOfFamily[deck::spokenKaminoku(p).opening(morae == 1 ? 0 : 1)].insert(z);
    }
    QVERIFY2(perRow[2] > perRow[1] && perRow[1] > perRow[0],
             qPrintable(QStringLiteral("rows %1/%2/%3").arg(perRow[0]).arg(perRow[1]).arg(perRow[2])));
    QCOMPARE(sixPairs.size(), 3);
    for (const QList<int> &pair : sixPairs) {
        QCOMPARE(pair.size(), 2);
        QCOMPARE(zoneRow(l.zone(pair[0])), zoneRow(l.zone(pair[1])));
        QVERIFY(zoneIsRight(l.zone(pair[0])) != zoneIsRight(l.zone(pair[1])));
    }
    for (auto it = zonesOfFamily.begin(); it != zonesOfFamily.end(); ++it)
        QVERIFY2(it->size() == 1, qPrintable(QStringLiteral("「%1」 over %2 zones").arg(it.key()).arg(it->size())));
}

void tst_Position::dealArrangedByLayout_data()
{
    QTest::addColumn<QList<int>>("cards");
    QTest::addColumn<QString>("expected");
    // Slot 53 is the lowest row's outermost right, 36 its outermost left.
    QTest::newRow("a zone's cards from the outer edge in its order") << QList<int>{3, 1, 2} << "51=3 52=2 53=1";
    QTest::newRow("the left area from its outer edge") << QList<int>{22, 21} << "36=21 37=22";
    QTest::newRow("a full zone passes on a row forward")
        << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}
        << "34=11 35=10 45=9 46=8 47=7 48=6 49=5 50=4 51=3 52=2 53=1";
    QTest::newRow("the top row's cards stay at the top") << QList<int>{91, 1, 81} << "0=91 17=81 53=1";
}

void tst_Position::dealArrangedByLayout()
{
    QFETCH(QList<int>, cards);
    QFETCH(QString, expected);
    Field f;
    int slot = 0;
    for (int p : cards)
        f.put({Side::Player, slot++}, p);
    f.put({Side::Opponent, 7}, 50);
    const Field out = arranged(f, Side::Player, numberedLayout());
    QCOMPARE(sideText(out, Side::Player), expected);
    QCOMPARE(sideText(out, Side::Opponent), QStringLiteral("7=50"));
}

void tst_Position::matchCardsArrangedOnlyBeforeTheFirstReading()
{
    platform::Random rng;
    rng.state = 3;
    const Field dealt = dealField(rng);
    Match m(dealt, readingOrder(rng));
    arrangeOwnSide(m, numberedLayout());
    QCOMPARE(sideText(m.field(), Side::Player), sideText(arranged(dealt, Side::Player, numberedLayout()), Side::Player));
    QCOMPARE(sideText(m.field(), Side::Opponent), sideText(dealt, Side::Opponent));
    QVERIFY(m.startReading());
    const QString during = sideText(m.field(), Side::Player);
    arrangeOwnSide(m, defaultLayout());
    QCOMPARE(sideText(m.field(), Side::Player), during);
}

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
    QCOMPARE(right.extra.value("lies").toString(), QStringLiteral("p36")); // the lowest row's outer left

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
