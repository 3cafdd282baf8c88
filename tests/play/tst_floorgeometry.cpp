#include <QtTest>

#include "play/floorgeometry.h"

using namespace match;

Q_DECLARE_METATYPE(match::Place)
Q_DECLARE_METATYPE(match::FloorStep)

class tst_FloorGeometry : public QObject {
    Q_OBJECT
private slots:
    void cardStandsAtItsPlace_data();
    void cardStandsAtItsPlace();
    void pointFindsItsPlace_data();
    void pointFindsItsPlace();
    void everyCardLiesApartInsideTheFloor();
    void frameSteps_data();
    void frameSteps();
};

void tst_FloorGeometry::cardStandsAtItsPlace_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QRect>("rect");
    const auto row = [](const char *name, Side side, int slot, int x, int y) {
        QTest::newRow(name) << Place{side, slot} << QRect(x, y, 46, 104);
    };
    row("player, front row, left end", Side::Player, 0, 8, 350);
    row("player, front row, left area's inner end", Side::Player, 8, 392, 350);
    row("player, front row, right area's inner end", Side::Player, 9, 460, 350);
    row("player, back row, right end", Side::Player, 53, 844, 562);
    row("opponent, front row, their left end", Side::Opponent, 0, 844, 220);
    row("opponent, middle row, their right end", Side::Opponent, 35, 8, 114);
    row("opponent, back row, their right end", Side::Opponent, 53, 8, 8);
}

void tst_FloorGeometry::cardStandsAtItsPlace()
{
    QFETCH(Place, place);
    QFETCH(QRect, rect);
    QCOMPARE(placeRect(place), rect);
    // A press just outside the card still finds it.
    QCOMPARE(placeAt(rect.topLeft() - QPoint(1, 1)), std::optional(place));
    QCOMPARE(placeAt(rect.bottomRight() + QPoint(1, 1)), std::optional(place));
}

void tst_FloorGeometry::pointFindsItsPlace_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("side"); // -1: no place
    QTest::addColumn<int>("slot");
    QTest::newRow("the seam's left pixel") << QPoint(54, 400) << 0 << 0;
    QTest::newRow("the seam's right pixel") << QPoint(55, 400) << 0 << 1;
    QTest::newRow("between the areas") << QPoint(448, 400) << -1 << 0;
    QTest::newRow("between the sides") << QPoint(400, 336) << -1 << 0;
    QTest::newRow("in the top left margin") << QPoint(5, 5) << -1 << 0;
    QTest::newRow("past the last column") << QPoint(895, 400) << -1 << 0;
}

void tst_FloorGeometry::pointFindsItsPlace()
{
    QFETCH(QPoint, point);
    QFETCH(int, side);
    QFETCH(int, slot);
    const std::optional<Place> expected =
        side < 0 ? std::nullopt : std::optional(Place{static_cast<Side>(side), slot});
    QCOMPARE(placeAt(point), expected);
}

void tst_FloorGeometry::everyCardLiesApartInsideTheFloor()
{
    QCOMPARE(floorSize(), QSize(898, 674));
    const QRect floor(QPoint(0, 0), floorSize());
    QList<QRect> seen;
    for (Side s : {Side::Player, Side::Opponent}) {
        for (int k = 0; k < kSlots; ++k) {
            const QRect r = placeRect({s, k});
            QVERIFY(floor.contains(r));
            QCOMPARE(placeAt(r.center()), std::optional(Place{s, k}));
            for (const QRect &other : std::as_const(seen))
                QVERIFY(!r.intersects(other));
            seen << r;
        }
    }
}

void tst_FloorGeometry::frameSteps_data()
{
    QTest::addColumn<Place>("from");
    QTest::addColumn<FloorStep>("step");
    QTest::addColumn<Place>("to");
    QTest::newRow("up from the player's front row to the opponent's")
        << Place{Side::Player, 0} << FloorStep::Up << Place{Side::Opponent, 17};
    QTest::newRow("down from the opponent's front row to the player's")
        << Place{Side::Opponent, 17} << FloorStep::Down << Place{Side::Player, 0};
    QTest::newRow("left on the opponent's side is towards their right")
        << Place{Side::Opponent, 0} << FloorStep::Left << Place{Side::Opponent, 1};
    QTest::newRow("right across the gap between the areas")
        << Place{Side::Player, 8} << FloorStep::Right << Place{Side::Player, 9};
    QTest::newRow("right at the right edge stays")
        << Place{Side::Player, 17} << FloorStep::Right << Place{Side::Player, 17};
    QTest::newRow("up from the opponent's back row stays")
        << Place{Side::Opponent, 36} << FloorStep::Up << Place{Side::Opponent, 36};
    QTest::newRow("down from the player's back row stays")
        << Place{Side::Player, 53} << FloorStep::Down << Place{Side::Player, 53};
}

void tst_FloorGeometry::frameSteps()
{
    QFETCH(Place, from);
    QFETCH(FloorStep, step);
    QFETCH(Place, to);
    QCOMPARE(stepped(from, step), to);
}

QTEST_GUILESS_MAIN(tst_FloorGeometry)
#include "tst_floorgeometry.moc"
