#include <QtTest>

#include "game/boardlayout.h"

using namespace game;

Q_DECLARE_METATYPE(game::BoardSize)

// The game windows' geometry, without a window.
class tst_BoardLayout : public QObject {
    Q_OBJECT
private slots:
    void cardGrid_data();
    void cardGrid();
    void controlsFitTheirParents_data();
    void controlsFitTheirParents();
};

void tst_BoardLayout::cardGrid_data()
{
    QTest::addColumn<int>("yokoSu");
    QTest::addColumn<int>("k");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("S sbt1 top right") << 8 << 1 << QPoint(456, 8);
    QTest::newRow("S sbt8 top left") << 8 << 8 << QPoint(8, 8);
    QTest::newRow("S sbt9 second row right") << 8 << 9 << QPoint(456, 120);
    QTest::newRow("S sbt24 bottom left") << 8 << 24 << QPoint(8, 232);
    QTest::newRow("M sbt11 top left") << 11 << 11 << QPoint(8, 8);
    QTest::newRow("M sbt12 second row right") << 11 << 12 << QPoint(648, 120);
    QTest::newRow("M sbt34 bottom right") << 11 << 34 << QPoint(648, 344);
    QTest::newRow("M sbt44 bottom left") << 11 << 44 << QPoint(8, 344);
    QTest::newRow("L sbt14 top left") << 14 << 14 << QPoint(8, 8);
    QTest::newRow("L sbt71 bottom right") << 14 << 71 << QPoint(840, 568);
    QTest::newRow("L sbt84 bottom left") << 14 << 84 << QPoint(8, 568);
}

void tst_BoardLayout::cardGrid()
{
    QFETCH(int, yokoSu);
    QFETCH(int, k);
    const QRect r = cardRect(yokoSu, k);
    QTEST(r.topLeft(), "topLeft");
    QCOMPARE(r.size(), QSize(65, 113));
}

void tst_BoardLayout::controlsFitTheirParents_data()
{
    QTest::addColumn<BoardSize>("size");
    QTest::newRow("S") << BoardSize::S;
    QTest::newRow("M") << BoardSize::M;
    QTest::newRow("L") << BoardSize::L;
}

void tst_BoardLayout::controlsFitTheirParents()
{
    QFETCH(BoardSize, size);
    const Board &b = boardOf(size);
    const BoardLayout &l = layoutOf(size);
    const QRect client(QPoint(0, 0), l.client);
    for (const QRect &r : {l.BtnShow, l.BtnStart, l.BtnYomijun, l.BtnTorijun, l.BtnReset, l.BtnClose, l.Label1,
                           l.PTokuten, l.Panel2, l.Panel1})
        QVERIFY2(client.contains(r), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())));
    const QRect reading(QPoint(0, 0), l.Panel1.size());
    QVERIFY(reading.contains(l.lt1));
    QVERIFY(reading.contains(l.lt2));

    // Every card lies inside the board's bevels, and neighbours overlap by
    // exactly one pixel both ways.
    const QRect inner = QRect(QPoint(0, 0), l.Panel2.size()).adjusted(2, 2, -2, -2);
    for (int k = 1; k <= b.FudaSu; ++k) {
        const QRect card = cardRect(b.YokoSu, k);
        QVERIFY2(inner.contains(card), qPrintable(QStringLiteral("sbt%1").arg(k)));
        if ((k - 1) % b.YokoSu != b.YokoSu - 1)
            QCOMPARE(card.intersected(cardRect(b.YokoSu, k + 1)).width(), 1);
        if (k + b.YokoSu <= b.FudaSu)
            QCOMPARE(card.intersected(cardRect(b.YokoSu, k + b.YokoSu)).height(), 1);
    }
}

QTEST_GUILESS_MAIN(tst_BoardLayout)
#include "tst_boardlayout.moc"
