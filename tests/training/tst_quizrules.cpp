#include <QtTest>

#include <algorithm>
#include <numeric>
#include <set>

#include "deck/poemtable.h"
#include "play/drillsets.h"
#include "training/question.h"
#include "training/quizrules.h"

using namespace training;
using deck::PoemTable;

namespace {
QList<int> toList(const auto &c) { return QList<int>(c.begin(), c.end()); }
QList<int> sorted(QList<int> l)
{
    std::sort(l.begin(), l.end());
    return l;
}
QList<int> range(int from, int to)
{
    QList<int> l(to - from + 1);
    std::iota(l.begin(), l.end(), from);
    return l;
}
} // namespace

// Pinned sequences were worked out apart from this code with the generator's
// formula (state * 134775813 + 1, draw = state * n >> 32); the state after
// the draws pins how many repeats were thrown away.
namespace {

const QList<deck::PoemNo> &drillSetPoems(const QString &name)
{
    for (const play::DrillSet &s : play::drillSets())
        if (s.name() == name)
            return s.poems;
    qFatal("no drill set %s", qPrintable(name));
}

} // namespace

class tst_QuizRules : public QObject {
    Q_OBJECT
private slots:
    void distractorsComeFromTheSetFirst_data();
    void distractorsComeFromTheSetFirst();
    void initTestCase() { PoemTable.fill(); }
    void poemOrder_data();
    void poemOrder();
    void distractors_data();
    void distractors();
    void distractorsForEveryQuestion();
    void placement_data();
    void placement();
    void questionRowsHoldTheirPoems_data();
    void questionRowsHoldTheirPoems();
    void missMovesThePoemLater_data();
    void missMovesThePoemLater();
    void runModel_data();
    void runModel();
    void rate_data();
    void rate();
    void summary_data();
    void summary();
};

void tst_QuizRules::poemOrder_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<int>>("head");
    QTest::addColumn<QList<int>>("tail");
    QTest::addColumn<quint32>("stateAfter");
    QTest::newRow("midnight") << 0u << QList<int>{1, 4, 87, 21, 28, 68, 32, 17} << QList<int>{64, 94, 14}
                              << 580928959u;
    QTest::newRow("12:34:56.789") << 45296789u << QList<int>{49, 28, 36, 3, 70, 46, 11, 51}
                                  << QList<int>{21, 37, 66} << 2822036603u;
    QTest::newRow("largest state") << 0xFFFFFFFFu << QList<int>{} << QList<int>{} << 0u;
}

void tst_QuizRules::poemOrder()
{
    QFETCH(quint32, seed);
    QFETCH(QList<int>, head);
    QFETCH(QList<int>, tail);
    QFETCH(quint32, stateAfter);
    platform::Random rng, copy;
    rng.state = copy.state = seed;
    const QList<int> order = toList(drawPoemOrder(rng));
    QCOMPARE(sorted(order), range(1, 100));
    QCOMPARE(order.first(head.size()), head);
    QCOMPARE(order.last(tail.size()), tail);
    if (stateAfter)
        QCOMPARE(rng.state, stateAfter);

    MondaiListType list{};
    shuffleMondaiList(copy, PoemTable, list);
    for (int p = 1; p <= 100; ++p)
        QVERIFY(list[p] == PoemTable[order[p - 1]]); // whole rows, 40 bytes kept
}

void tst_QuizRules::distractors_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("question");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<quint32>("stateAfter");
    QTest::newRow("nothing thrown away") << 0u << 100 << QList<int>{1, 4, 87, 21, 28, 68, 32, 17, 38}
                                         << 1598751577u;
    QTest::newRow("question drawn first") << 0u << 1 << QList<int>{4, 87, 21, 28, 68, 32, 17, 38, 43}
                                          << 1828254910u;
    // Draws 26 (the question), 67 .. 85, 7, 85 again, 80 ...
    QTest::newRow("question and a repeat drawn") << 8u << 26 << QList<int>{67, 60, 77, 47, 85, 7, 80, 68, 23}
                                                 << 963221151u;
}

void tst_QuizRules::distractors()
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
    for (int k = 1; k < kChoiceCount; ++k) {
        const deck::PoemEntry &row = PoemTable[expected[k - 1]];
        QCOMPARE(s[k].Kaminoku.view(), row.Kaminoku.view().first(36)); // cut to 36 bytes
        QCOMPARE(s[k].Shimonoku.view(), row.Shimonoku.view());
        QCOMPARE(s[k].ShimoKimariji.view(), row.ShimoKimariji.view());
    }
}

void tst_QuizRules::distractorsForEveryQuestion()
{
    // The question is recognised by its upper verse cut to 36 bytes: that
    // excludes exactly its own poem only while no two poems share it.
    QSet<QByteArray> kept;
    for (int no = 1; no <= 100; ++no)
        kept.insert(SentakushiEntry(PoemTable[no]).Kaminoku.toByteArray());
    QCOMPARE(kept.size(), 100);

    platform::Random rng;
    rng.state = 45296789u;
    for (int q = 1; q <= 100; ++q) {
        SentakushiList s{};
        s[0] = PoemTable[q];
        const QList<int> drawn = toList(drawDistractors(rng, PoemTable, s));
        QCOMPARE(QSet<int>(drawn.begin(), drawn.end()).size(), 9);
        QVERIFY(!drawn.contains(q));
        QVERIFY(s[0] == SentakushiEntry(PoemTable[q]));
    }
}

void tst_QuizRules::placement_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("midnight") << 0u << QList<int>{0, 8, 2, 6, 3, 1, 4, 9, 7, 5};
    QTest::newRow("12:34:56.789") << 45296789u << QList<int>{4, 2, 3, 0, 6, 1, 5, 8, 9, 7};
}

void tst_QuizRules::placement()
{
    QFETCH(quint32, seed);
    QFETCH(QList<int>, rows);
    platform::Random rng;
    rng.state = seed;
    const auto drawn = drawPlacement(rng);
    QCOMPARE(toList(drawn), rows);

    SentakushiList s{};
    for (int k = 0; k < kChoiceCount; ++k)
        s[k] = PoemTable[k + 11];
    const KaitoRanList kaitoRan = placeChoices(s, drawn);
    for (int k = 0; k < kChoiceCount; ++k)
        QVERIFY(kaitoRan[drawn[k]] == s[k]);

    QCOMPARE(sorted(toList(drawn)), range(0, 9));
}

void tst_QuizRules::questionRowsHoldTheirPoems_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<QList<int>>("set");
    QTest::newRow("the whole hundred") << 77 << QList<int>{};
    QTest::newRow("a set of twelve") << 22 << QList<int>{3, 9, 18, 22, 30, 41, 57, 61, 70, 77, 81, 87};
    QTest::newRow("a set of three, the rest from outside") << 87 << QList<int>{18, 81, 87};
}

void tst_QuizRules::questionRowsHoldTheirPoems()
{
    QFETCH(int, asked);
    QFETCH(QList<int>, set);
    platform::Random rng;
    rng.state = 45296789u;
    const Question q = poseQuestion(rng, PoemTable, PoemTable[asked], set);
    QCOMPARE(q.rowPoem[q.rightRow], asked);
    QVERIFY(q.sentakushi[0] == SentakushiEntry(PoemTable[asked]));
    for (int row = 0; row < kChoiceCount; ++row)
        QVERIFY2(q.kaitoRan[row] == SentakushiEntry(PoemTable[q.rowPoem[row]]), qPrintable(QString::number(row)));
    QCOMPARE(QSet<int>(q.rowPoem.begin(), q.rowPoem.end()).size(), kChoiceCount);
    if (!set.isEmpty()) {
        const auto inSet = std::count_if(q.rowPoem.begin(), q.rowPoem.end(), [&](int p) { return set.contains(p); });
        QCOMPARE(inSet, std::min<qsizetype>(set.size(), kChoiceCount));
    }
}

void tst_QuizRules::missMovesThePoemLater_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("size"); // questions in the run
    QTest::addColumn<QList<int>>("from_n"); // entries at positions n, n+1, ...; the rest stay
    QTest::newRow("1") << 1 << 100 << QList<int>{2, 3, 4, 5, 1, 6};
    QTest::newRow("95") << 95 << 100 << QList<int>{96, 97, 98, 99, 95, 100};
    QTest::newRow("96 goes last") << 96 << 100 << QList<int>{97, 98, 99, 100, 96};
    QTest::newRow("97 goes last") << 97 << 100 << QList<int>{98, 99, 100, 97};
    QTest::newRow("99 swaps with the last") << 99 << 100 << QList<int>{100, 99};
    QTest::newRow("100 stays") << 100 << 100 << QList<int>{100};
    QTest::newRow("run of 7: 3 goes last, 8 on untouched") << 3 << 7 << QList<int>{4, 5, 6, 7, 3, 8};
    QTest::newRow("run of 2: 1 swaps") << 1 << 2 << QList<int>{2, 1, 3};
}

void tst_QuizRules::missMovesThePoemLater()
{
    QFETCH(int, n);
    QFETCH(int, size);
    QFETCH(QList<int>, from_n);
    PositionList<int> list{};
    std::iota(list.begin(), list.end(), 0);
    moveMissedLater(list, n, size);
    QList<int> expected = range(0, 100);
    std::copy(from_n.begin(), from_n.end(), expected.begin() + n);
    QCOMPARE(toList(list), expected);
}

// A run on the rules alone: the script's characters are the outcomes of the
// questions posed in turn ('o' right, 'x' miss), repeated; late in the run
// everything is right so that every script ends.
void tst_QuizRules::runModel_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("no misses") << "o";
    QTest::newRow("every other missed") << "xo";
    QTest::newRow("bursts of misses") << "oooxxxxxoo";
}

void tst_QuizRules::runModel()
{
    QFETCH(QString, script);
    PositionList<int> list{};
    std::iota(list.begin(), list.end(), 0);
    int mondaiNo = 0, posed = 0, misses = 0;
    QList<int> rights(101, 0);
    QMap<int, int> missedWhen; // poem -> questions posed when it was missed at 96 or before
    while (mondaiNo < 100) {
        const int poem = list[++mondaiNo];
        if (missedWhen.contains(poem))
            QCOMPARE(posed - missedWhen.take(poem), 4); // four other questions in between
        const bool right = script[posed % script.size()] == QLatin1Char('o') || posed > 1000;
        ++posed;
        if (right) {
            ++rights[poem];
            continue;
        }
        ++misses;
        if (mondaiNo <= 96)
            missedWhen[poem] = posed;
        moveMissedLater(list, mondaiNo);
        if (mondaiNo >= 97)
            QCOMPARE(list[100], poem);
        --mondaiNo;
    }
    QCOMPARE(posed, 100 + misses);
    QCOMPARE(rights.count(1), 100); // every poem right exactly once
    QCOMPARE(misses == 0, script == QLatin1String("o"));
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
    QTest::newRow("1/8 half down to even") << 1 << 8 << 12;
    QTest::newRow("3/8 half up to even") << 3 << 8 << 38;
    QTest::newRow("7/8") << 7 << 8 << 88;
    QTest::newRow("1/200 half to zero") << 1 << 200 << 0;
    QTest::newRow("199/200 half to 100") << 199 << 200 << 100;
    QTest::newRow("nothing judged") << 0 << 0 << 0;
}

void tst_QuizRules::rate()
{
    QFETCH(int, seikai);
    QFETCH(int, mondaisu);
    QFETCH(int, rate);
    QCOMPARE(seikairitu(seikai, mondaisu), rate);
}

void tst_QuizRules::summary_data()
{
    QTest::addColumn<QList<int>>("missed");
    QTest::addColumn<QString>("tail");
    QTest::newRow("nothing missed") << QList<int>{} << "\n\n一度も間違えませんでした。";
    QTest::newRow("five missed, four to a line, in number order")
        << QList<int>{50, 3, 1, 15, 2}
        << "\n\n一度でも間違えた歌（5首）\n"
           "1 あきのたの、2 はるすぎて、3 あしびきの、15 きみがため\n50 きみがため";
    QTest::newRow("first phrases run together are cut at six")
        << QList<int>{4} << "\n\n一度でも間違えた歌（1首）\n4 たごのうらに";
}

void tst_QuizRules::summary()
{
    QFETCH(QList<int>, missed);
    QFETCH(QString, tail);
    MissedPoems set;
    for (int no : missed)
        set.set(static_cast<std::size_t>(no));
    const int asked = 100 + int(missed.size());
    const int rate = seikairitu(100, asked);
    const QString text = runSummary(asked, 100, int(missed.size()), rate, set, PoemTable);
    QVERIFY2(text.startsWith(QStringLiteral("百首すべてに正解しました。\n\n問題数　%1\n正解数　100\n誤答数　%2\n正解率　%3％")
                                 .arg(asked)
                                 .arg(missed.size())
                                 .arg(rate)),
             qPrintable(text));
    QVERIFY2(text.endsWith(tail), qPrintable(text));
}

void tst_QuizRules::distractorsComeFromTheSetFirst_data()
{
    QTest::addColumn<QList<int>>("set");
    QTest::addColumn<int>("fromSet"); // distractors that must come from the set
    QTest::newRow("42 poems: all nine from the set") << drillSetPoems("二字決まり") << 9;
    QTest::newRow("exactly ten: the other nine") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 100} << 9;
    QTest::newRow("nine: the eight others, then one more") << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 100} << 8;
    QTest::newRow("seven: the six others, then three more") << drillSetPoems("一字決まり") << 6;
    QTest::newRow("a pair: the twin, then eight more") << drillSetPoems("友札「きみがため」") << 1;
}

void tst_QuizRules::distractorsComeFromTheSetFirst()
{
    QFETCH(QList<int>, set);
    QFETCH(int, fromSet);
    platform::Random rng;
    for (std::uint32_t seed : {1u, 24u, 77777u}) {
        for (deck::PoemNo answer : set) {
            rng.state = seed + static_cast<std::uint32_t>(answer);
            SentakushiList choices{};
            choices[0] = PoemTable[answer];
            const auto drawn = drawSetDistractors(rng, PoemTable, set, answer, choices);
            std::set<deck::PoemNo> distinct(drawn.begin(), drawn.end());
            QCOMPARE(distinct.size(), std::size_t(kDistractorCount));
            QVERIFY(!distinct.count(answer));
            int inSet = 0;
            for (int k = 0; k < kDistractorCount; ++k) {
                QCOMPARE(choices[k + 1], SentakushiEntry(PoemTable[drawn[k]]));
                inSet += set.contains(drawn[k]);
            }
            QCOMPARE(inSet, fromSet);
        }
    }
}

QTEST_GUILESS_MAIN(tst_QuizRules)
#include "tst_quizrules.moc"
