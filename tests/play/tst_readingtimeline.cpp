#include <QtTest>

#include "deck/opening.h"
#include "deck/poemtable.h"
#include "play/readingtimeline.h"
#include "platform/sjis.h"

using namespace match;

// The lead-in before each upper verse, as the reader's voice and the text
// panel both follow it.
class tst_ReadingTimeline : public QObject {
    Q_OBJECT
private slots:
    void segments_data();
    void segments();
    void textShowsAByteATick_data();
    void textShowsAByteATick();
    void openingPoemIsNoCard();
};

void tst_ReadingTimeline::segments_data()
{
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<QStringList>("verses"); // "half@startMs"
    QTest::addColumn<int>("holdStartMs");
    QTest::addColumn<int>("pauseStartMs");
    QTest::addColumn<int>("upperStartMs");
    // Lower verses of 15 characters: the last syllable starts 14 × 300 ms in.
    QTest::newRow("first reading: the opening poem whole, its lower verse on tick 41")
        << deck::kOpeningPoem << 1000 << QStringList{"1@0", "2@6000"} << 10200 << 13400 << 14400;
    QTest::newRow("a later reading: the previous lower verse") << 1 << 1000 << QStringList{"2@0"} << 4200 << 7400 << 8400;
    QTest::newRow("a lower verse heard past its text holds its last う")
        << 20 << 1000 << QStringList{"2@0"} << 4500 << 7700 << 8700;
    QTest::newRow("a three-second pause moves only the upper verse")
        << 1 << 3000 << QStringList{"2@0"} << 4200 << 7400 << 10400;
}

void tst_ReadingTimeline::segments()
{
    QFETCH(int, previous);
    QFETCH(int, gapMs);
    QFETCH(QStringList, verses);
    QFETCH(int, holdStartMs);
    QFETCH(int, pauseStartMs);
    QFETCH(int, upperStartMs);
    const LeadIn lead(previous, Pace{voice::kHoldMs, gapMs});
    QStringList got;
    for (const LeadVerse &v : lead.verses()) {
        QCOMPARE(v.poem, previous);
        got << QStringLiteral("%1@%2").arg(int(v.half)).arg(v.startMs);
    }
    QCOMPARE(got, verses);
    QCOMPARE(lead.holdStartMs(), holdStartMs);
    QCOMPARE(lead.pauseStartMs(), pauseStartMs);
    QCOMPARE(lead.upperStartMs(), upperStartMs);
}

void tst_ReadingTimeline::textShowsAByteATick_data()
{
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("verse");
    QTest::addColumn<int>("atMs");
    QTest::addColumn<QString>("shown"); // whole characters only
    QTest::newRow("before its start") << 1 << 0 << -1 << "";
    QTest::newRow("two ticks in: one character") << 1 << 0 << 150 << "わ";
    QTest::newRow("just before the fourth tick") << 1 << 0 << 449 << "わ";
    QTest::newRow("whole, without the fill") << 1 << 0 << 60000 << "わかころもては　つゆにぬれつつ";
    QTest::newRow("opening poem's upper verse whole") << deck::kOpeningPoem << 0 << 5999
                                                       << "なにはづに　さくやこのはな　ふゆごもり";
    QTest::newRow("opening poem's lower verse not yet") << deck::kOpeningPoem << 1 << 5999 << "";
    QTest::newRow("opening poem's lower verse begun") << deck::kOpeningPoem << 1 << 6150 << "い";
}

void tst_ReadingTimeline::textShowsAByteATick()
{
    QFETCH(int, previous);
    QFETCH(int, verse);
    QFETCH(int, atMs);
    QFETCH(QString, shown);
    const QByteArray bytes = LeadIn(previous, Pace{}).shown(verse, atMs);
    // A lone lead byte is the next character's first half.
    const QByteArray expected = platform::sjis::encode(shown);
    QVERIFY2(bytes == expected || bytes.chopped(1) == expected, bytes.toHex().constData());
}

void tst_ReadingTimeline::openingPoemIsNoCard()
{
    deck::PoemTable.fill();
    QCOMPARE(deck::PoemTable.numberOfUpper(deck::openingText(deck::Half::Kami)), 0);
    QCOMPARE(deck::spokenOpening(deck::Half::Kami).text(), QStringLiteral("なにわずにさくやこのはなふゆごもり"));
    QCOMPARE(deck::spokenOpening(deck::Half::Shimo).text(), QStringLiteral("いまおはるべとさくやこのはな"));
}

QTEST_GUILESS_MAIN(tst_ReadingTimeline)
#include "tst_readingtimeline.moc"
