#include <QtTest>

#include <algorithm>
#include <numeric>

#include "deck/poemtable.h"
#include "training/quizrules.h"

using namespace training;
using deck::PoemNo;
using deck::PoemTable;

namespace {

QList<int> toList(const auto &container)
{
    return QList<int>(container.begin(), container.end());
}

QList<int> oneToHundred()
{
    QList<int> all(100);
    std::iota(all.begin(), all.end(), 1);
    return all;
}

PositionList<int> identityPositions()
{
    PositionList<int> list{};
    std::iota(list.begin(), list.end(), 0);
    return list;
}

// The poem a working copy came from, found by its upper verse as kept.
PoemNo poemNoOf(const SentakushiEntry &e)
{
    for (PoemNo no = 1; no <= deck::kPoemCount; ++no)
        if (SentakushiEntry(PoemTable[no]).Kaminoku == e.Kaminoku)
            return no;
    return 0;
}

} // namespace

class tst_QuizRules : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void poemOrderFromSeed_data();
    void poemOrderFromSeed();
    void poemOrderIsAlwaysAPermutation();
    void shuffleCopiesWholeRows();

    void distractorsFromSeed_data();
    void distractorsFromSeed();
    void distractorsAreNineOtherPoemsForEveryQuestion();
    void keptUpperVersesTellEveryPoemApart();

    void placementFromSeed_data();
    void placementFromSeed();
    void placementPutsTheAnswerOnEveryRowSometimes();
    void placeChoicesFollowsTheRows();

    void missMovesThePoemLater_data();
    void missMovesThePoemLater();
    void missMovesWholeEntries();
    void runModel_data();
    void runModel();

    void rate_data();
    void rate();
};

void tst_QuizRules::initTestCase()
{
    PoemTable.fill();
}

void tst_QuizRules::poemOrderFromSeed_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<int>>("head");
    QTest::addColumn<QList<int>>("tail");
    QTest::addColumn<quint32>("stateAfter");
    // Worked out apart from this code with the generator's formula; the tail
    // and the final state pin the number of draws thrown away as repeats.
    QTest::newRow("midnight") << 0u << QList<int>{1, 4, 87, 21, 28, 68, 32, 17, 38, 43, 9, 48}
                              << QList<int>{64, 94, 14} << 580928959u;
    QTest::newRow("12:34:56.789") << 45296789u << QList<int>{49, 28, 36, 3, 70, 46, 11, 51, 81, 9, 17, 97}
                                  << QList<int>{21, 37, 66} << 2822036603u;
}

void tst_QuizRules::poemOrderFromSeed()
{
    QFETCH(quint32, seed);
    QFETCH(QList<int>, head);
    QFETCH(QList<int>, tail);
    QFETCH(quint32, stateAfter);
    platform::Random rng;
    rng.state = seed;
    const QList<int> order = toList(drawPoemOrder(rng));
    QCOMPARE(order.first(head.size()), head);
    QCOMPARE(order.last(tail.size()), tail);
    QCOMPARE(rng.state, stateAfter);
}

void tst_QuizRules::poemOrderIsAlwaysAPermutation()
{
    const quint32 seeds[] = {0u, 1u, 999u, 45296789u, 86399999u, 0x7FFFFFFFu, 0xFFFFFFFFu};
    QSet<QList<int>> distinctOrders;
    for (quint32 seed : seeds) {
        platform::Random rng;
        rng.state = seed;
        QList<int> order = toList(drawPoemOrder(rng));
        distinctOrders.insert(order);
        std::sort(order.begin(), order.end());
        QCOMPARE(order, oneToHundred());
    }
    QCOMPARE(distinctOrders.size(), int(std::size(seeds)));
}

void tst_QuizRules::shuffleCopiesWholeRows()
{
    platform::Random rng, again;
    rng.state = again.state = 45296789u;
    MondaiListType list{};
    shuffleMondaiList(rng, PoemTable, list);
    const auto order = drawPoemOrder(again);
    QVERIFY(list[0] == deck::PoemEntry{});
    for (int p = 1; p <= 100; ++p) {
        QVERIFY2(list[p] == PoemTable[order[p - 1]], qPrintable(QString::number(p)));
        QCOMPARE(int(list[p].Kaminoku.length), 40); // nothing cut at capacity 40
    }
}

void tst_QuizRules::distractorsFromSeed_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("question");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<quint32>("stateAfter");
    QTest::newRow("nothing thrown away") << 0u << 100 << QList<int>{1, 4, 87, 21, 28, 68, 32, 17, 38} << 1598751577u;
    // Draws 1, 4, 87 ...: the question's own poem is drawn and drawn again.
    QTest::newRow("question drawn first") << 0u << 1 << QList<int>{4, 87, 21, 28, 68, 32, 17, 38, 43} << 1828254910u;
    QTest::newRow("question drawn") << 0u << 4 << QList<int>{1, 87, 21, 28, 68, 32, 17, 38, 43} << 1828254910u;
    // Draws 26 (the question) and later 85 twice: both thrown away.
    QTest::newRow("question and a repeat drawn") << 8u << 26 << QList<int>{67, 60, 77, 47, 85, 7, 80, 68, 23}
                                                 << 963221151u;
}

void tst_QuizRules::distractorsFromSeed()
{
    QFETCH(quint32, seed);
    QFETCH(int, question);
    QFETCH(QList<int>, expected);
    QFETCH(quint32, stateAfter);
    platform::Random rng;
    rng.state = seed;
    SentakushiList s{};
    s[0] = PoemTable[question];
    QCOMPARE(toList(drawDistractors(rng, PoemTable, s)), expected);
    QCOMPARE(rng.state, stateAfter);
    for (int k = 1; k < kChoiceCount; ++k)
        QCOMPARE(poemNoOf(s[k]), expected[k - 1]);
}

void tst_QuizRules::distractorsAreNineOtherPoemsForEveryQuestion()
{
    platform::Random rng;
    for (quint32 seed : {0u, 8u, 45296789u}) {
        rng.state = seed;
        for (PoemNo q = 1; q <= 100; ++q) {
            SentakushiList s{};
            s[0] = PoemTable[q];
            const SentakushiEntry question = s[0];
            const auto drawn = drawDistractors(rng, PoemTable, s);
            QSet<int> distinct(drawn.begin(), drawn.end());
            QCOMPARE(distinct.size(), 9);
            QVERIFY(!distinct.contains(q));
            QVERIFY(std::all_of(drawn.begin(), drawn.end(), [](int no) { return no >= 1 && no <= 100; }));
            QVERIFY(s[0] == question);
            for (int k = 1; k < kChoiceCount; ++k) {
                const deck::PoemEntry &row = PoemTable[drawn[k - 1]];
                QCOMPARE(s[k].Kaminoku.view(), row.Kaminoku.view().first(36));
                QCOMPARE(s[k].Shimonoku.view(), row.Shimonoku.view());
                QCOMPARE(s[k].Kimariji.view(), row.Kimariji.view());
                QCOMPARE(s[k].ShimoKimariji.view(), row.ShimoKimariji.view());
            }
        }
    }
}

void tst_QuizRules::keptUpperVersesTellEveryPoemApart()
{
    // The distractor rule recognises the question by its upper verse cut to
    // 36 bytes; that only excludes exactly one poem while no two share it.
    QSet<QByteArray> kept;
    for (PoemNo no = 1; no <= 100; ++no)
        kept.insert(SentakushiEntry(PoemTable[no]).Kaminoku.toByteArray());
    QCOMPARE(kept.size(), 100);
}

void tst_QuizRules::placementFromSeed_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("midnight") << 0u << QList<int>{0, 8, 2, 6, 3, 1, 4, 9, 7, 5};
    QTest::newRow("12:34:56.789") << 45296789u << QList<int>{4, 2, 3, 0, 6, 1, 5, 8, 9, 7};
    QTest::newRow("after distractors of seed 0, question 4")
        << 1828254910u << QList<int>{0, 4, 8, 2, 9, 3, 7, 6, 1, 5};
}

void tst_QuizRules::placementFromSeed()
{
    QFETCH(quint32, seed);
    QFETCH(QList<int>, rows);
    platform::Random rng;
    rng.state = seed;
    QCOMPARE(toList(drawPlacement(rng)), rows);
}

void tst_QuizRules::placementPutsTheAnswerOnEveryRowSometimes()
{
    platform::Random rng;
    std::array<int, kChoiceCount> answerRows{};
    for (quint32 seed = 0; seed < 1000; ++seed) {
        rng.state = seed * 86399u;
        QList<int> rows = toList(drawPlacement(rng));
        ++answerRows[rows[0]];
        std::sort(rows.begin(), rows.end());
        QCOMPARE(rows, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
    for (int count : answerRows)
        QVERIFY2(count > 50, "the right answer reaches every row");
}

void tst_QuizRules::placeChoicesFollowsTheRows()
{
    SentakushiList s{};
    for (int k = 0; k < kChoiceCount; ++k)
        s[k] = PoemTable[k + 11];
    const std::array<int, kChoiceCount> rows{4, 2, 3, 0, 6, 1, 5, 8, 9, 7};
    const KaitoRanList kaitoRan = placeChoices(s, rows);
    for (int k = 0; k < kChoiceCount; ++k)
        QVERIFY(kaitoRan[rows[k]] == s[k]);
}

void tst_QuizRules::missMovesThePoemLater_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QList<int>>("from_n"); // entries at positions n, n+1, ...
    QTest::newRow("first") << 1 << QList<int>{2, 3, 4, 5, 1, 6};
    QTest::newRow("middle") << 50 << QList<int>{51, 52, 53, 54, 50, 55};
    QTest::newRow("95") << 95 << QList<int>{96, 97, 98, 99, 95, 100};
    QTest::newRow("96 goes last") << 96 << QList<int>{97, 98, 99, 100, 96};
    QTest::newRow("97 goes last") << 97 << QList<int>{98, 99, 100, 97};
    QTest::newRow("98 goes last") << 98 << QList<int>{99, 100, 98};
    QTest::newRow("99 swaps with the last") << 99 << QList<int>{100, 99};
    QTest::newRow("100 stays") << 100 << QList<int>{100};
}

void tst_QuizRules::missMovesThePoemLater()
{
    QFETCH(int, n);
    QFETCH(QList<int>, from_n);
    PositionList<int> list = identityPositions();
    moveMissedLater(list, n);
    const QList<int> all = toList(list);
    QCOMPARE(all.mid(n, from_n.size()), from_n);
    for (int p = 0; p < n; ++p)
        QCOMPARE(all[p], p);
    for (int p = n + from_n.size(); p <= 100; ++p)
        QCOMPARE(all[p], p);
}

void tst_QuizRules::missMovesWholeEntries()
{
    MondaiListType list{};
    for (int p = 1; p <= 100; ++p)
        list[p] = PoemTable[p];
    moveMissedLater(list, 26);
    QVERIFY(list[30] == PoemTable[26]); // all four texts, longest deciding parts included
    QCOMPARE(list[30].ShimoKimariji.text(), QStringLiteral("いまひとたひの　み"));
    QVERIFY(list[26] == PoemTable[27]);
}

// A run played on the rules alone: each character of the script is the
// outcome of the next question posed ('o' right, 'x' miss), repeated until
// the run is complete. A miss at position n passes MondaiNo back to n - 1.
void tst_QuizRules::runModel_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("no misses") << QStringLiteral("o");
    QTest::newRow("every other missed") << QStringLiteral("xo");
    QTest::newRow("bursts of misses") << QStringLiteral("oooxxxxxoo");
    QTest::newRow("mostly misses") << QStringLiteral("xxxo");
}

void tst_QuizRules::runModel()
{
    QFETCH(QString, script);
    PositionList<int> list = identityPositions();
    int mondaiNo = 0;
    int posed = 0, misses = 0;
    QList<int> rightOnce(101, 0);
    QMap<int, int> missedAt;      // poem -> question count when it was missed at <= 96
    QMap<int, int> missedLate;    // poem -> number of misses at 97 .. 99
    bool complete = false;
    for (int step = 0; !complete; ++step) {
        QVERIFY2(step < 5000, "the run ends");
        ++mondaiNo;
        const int poem = list[mondaiNo];
        if (missedAt.contains(poem)) {
            QCOMPARE(posed - missedAt[poem], 4); // four other questions in between
            missedAt.remove(poem);
        }
        ++posed;
        // Past the script's reach the last positions are answered right, so
        // that even "xxxo" ends.
        const bool right = script[step % script.size()] == QLatin1Char('o') || step > 2000;
        if (right) {
            ++rightOnce[poem];
        } else {
            ++misses;
            if (mondaiNo <= 96)
                missedAt[poem] = posed;
            moveMissedLater(list, mondaiNo);
            if (mondaiNo >= 97 && mondaiNo <= 99)
                QCOMPARE(list[100], poem);
            if (mondaiNo == 100)
                QCOMPARE(list[100], poem); // asked again at once
            --mondaiNo;
        }
        complete = mondaiNo == 100;
    }
    QCOMPARE(posed, 100 + misses);
    QCOMPARE(rightOnce.count(1), 100);
    QCOMPARE(rightOnce[0], 0);
    if (script == QLatin1String("o"))
        QCOMPARE(posed, 100);
    else
        QVERIFY(misses > 0);
}

void tst_QuizRules::rate_data()
{
    QTest::addColumn<int>("seikai");
    QTest::addColumn<int>("mondaisu");
    QTest::addColumn<int>("rate");
    QTest::newRow("1/1") << 1 << 1 << 100;
    QTest::newRow("0/1") << 0 << 1 << 0;
    QTest::newRow("2/3") << 2 << 3 << 67;
    QTest::newRow("1/3") << 1 << 3 << 33;
    QTest::newRow("1/8 half to even, down") << 1 << 8 << 12;
    QTest::newRow("3/8 half to even, up") << 3 << 8 << 38;
    QTest::newRow("5/8") << 5 << 8 << 62;
    QTest::newRow("7/8") << 7 << 8 << 88;
    QTest::newRow("1/200 half to zero") << 1 << 200 << 0;
    QTest::newRow("3/200") << 3 << 200 << 2;
    QTest::newRow("199/200 half to 100") << 199 << 200 << 100;
    QTest::newRow("100/137") << 100 << 137 << 73;
    QTest::newRow("nothing judged") << 0 << 0 << 0;
}

void tst_QuizRules::rate()
{
    QFETCH(int, seikai);
    QFETCH(int, mondaisu);
    QFETCH(int, rate);
    QCOMPARE(seikairitu(seikai, mondaisu), rate);
}

QTEST_GUILESS_MAIN(tst_QuizRules)
#include "tst_quizrules.moc"
