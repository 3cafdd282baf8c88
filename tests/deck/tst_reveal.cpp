#include <QtTest>

#include <algorithm>

#include "deck/poemtable.h"
#include "deck/reveal.h"
#include "platform/sjis.h"

using namespace deck;

Q_DECLARE_METATYPE(deck::Half)

namespace {

QByteArray sj(const char *utf8)
{
    return platform::sjis::encode(QString::fromUtf8(utf8));
}

// A reading given as a poem number, or as "upper|lower" with no deciding tick.
Reveal revealOf(const QString &reading)
{
    bool isPoem = false;
    if (const int poem = reading.toInt(&isPoem); isPoem)
        return Reveal::ofPoem(PoemTable, poem, {});
    const QList<QByteArray> halves = platform::sjis::encode(reading).split('|');
    return Reveal(halves[0], halves[1], 0);
}

} // namespace

class tst_Reveal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PoemTable.fill(); }
    void shown_data();
    void shown();
    void aWholeReading_data();
    void aWholeReading();
    void whenACharacterShows_data();
    void whenACharacterShows();
};

void tst_Reveal::shown_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QByteArray>("upper");
    QTest::addColumn<QByteArray>("lower");
    const QByteArray kami1 = PoemTable[1].Kaminoku.toByteArray();
    const QByteArray shimo1 = PoemTable[1].Shimonoku.toByteArray();
    QTest::newRow("no tick") << "1" << 0 << QByteArray() << QByteArray();
    QTest::newRow("tick 1: lead byte only") << "1" << 1 << kami1.left(1) << QByteArray();
    QTest::newRow("tick 12: the phrase space") << "1" << 12 << sj("あきのたの　") << QByteArray();
    QTest::newRow("tick 40: the whole upper verse") << "1" << 40 << kami1 << QByteArray();
    QTest::newRow("tick 41: the lower verse starts") << "1" << 41 << kami1 << shimo1.left(1);
    QTest::newRow("tick 72: 32 bytes of the lower verse") << "1" << 72 << kami1 << shimo1.left(32);
    QTest::newRow("time-out keeps what was shown") << "1" << 73 << kami1 << shimo1.left(32);
    QTest::newRow("ticks past the time-out show nothing more") << "1" << 80 << kami1 << shimo1.left(32);
    QTest::newRow("short verses run out of bytes") << "あき|わ" << 50 << sj("あき") << sj("わ");
}

// What the labels hold when each step is applied as a window does, and what
// the reveal says is shown, agree with the verses' leading bytes.
void tst_Reveal::shown()
{
    QFETCH(QString, reading);
    QFETCH(int, ticks);
    Reveal r = revealOf(reading);
    QByteArray upper, lower;
    for (int t = 0; t < ticks; ++t) {
        const RevealStep step = r.tick();
        if (step.hasByte)
            (step.half() == Half::Kami ? upper : lower).append(step.byte);
    }
    QTEST(upper, "upper");
    QTEST(lower, "lower");
    QTEST(r.shown(Half::Kami).toByteArray(), "upper");
    QTEST(r.shown(Half::Shimo).toByteArray(), "lower");
}

void tst_Reveal::aWholeReading_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("decided");
    QTest::newRow("poem 7, decided on tick 6") << "7" << 6;
    QTest::newRow("short verses beep and time out all the same") << "あ|わ" << 0;
}

// Kinds, beeps, half starts and the deciding tick over ticks 1 .. 73, and
// nothing after the time-out.
void tst_Reveal::aWholeReading()
{
    QFETCH(QString, reading);
    QFETCH(int, decided);
    Reveal r = revealOf(reading);
    QCOMPARE(r.decidedTick(), decided);
    QString kinds;
    QList<int> beeps, starts, decidedAt;
    for (int t = 1; t <= 75; ++t) {
        const RevealStep step = r.tick();
        kinds += "-KST"[int(step.kind)];
        if (step.beep)
            beeps << t;
        if (step.startsHalf)
            starts << t;
        if (step.decided)
            decidedAt << t;
    }
    QCOMPARE(kinds, QString(40, 'K') + QString(32, 'S') + "T--");
    QCOMPARE(beeps.size(), 36);
    QVERIFY(std::all_of(beeps.begin(), beeps.end(), [](int t) { return t % 2 == 1; }));
    QCOMPARE(starts, (QList<int>{1, 41}));
    QCOMPARE(decidedAt, decided ? QList<int>{decided} : QList<int>{});
    QVERIFY(!r.running());
    QCOMPARE(r.ticks(), kTimeOutTick);
}

void tst_Reveal::whenACharacterShows_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<Half>("half");
    QTest::addColumn<int>("character");
    QTest::addColumn<int>("tick"); // 0: never shown
    QTest::newRow("the upper verse starts on tick 1") << "1" << Half::Kami << 0 << 1;
    QTest::newRow("the lower verse starts on tick 41") << "1" << Half::Shimo << 0 << 41;
    QTest::newRow("き on tick 3") << "1" << Half::Kami << 1 << 3;
    QTest::newRow("a phrase space counts") << "1" << Half::Kami << 6 << 13;
    QTest::newRow("past the upper verse") << "1" << Half::Kami << 20 << 0;
    QTest::newRow("the lower verse's 16th character, its last shown") << "1" << Half::Shimo << 15 << 71;
    QTest::newRow("the lower verse's 17th character is never shown") << "1" << Half::Shimo << 16 << 0;
    QTest::newRow("a single-byte character takes one tick") << "aあい|わ" << Half::Kami << 2 << 4;
}

void tst_Reveal::whenACharacterShows()
{
    QFETCH(QString, reading);
    QFETCH(Half, half);
    QFETCH(int, character);
    QFETCH(int, tick);
    const Reveal r = revealOf(reading);
    QCOMPARE(r.tickOfChar(half, character).value_or(0), tick);
}

QTEST_GUILESS_MAIN(tst_Reveal)
#include "tst_reveal.moc"
