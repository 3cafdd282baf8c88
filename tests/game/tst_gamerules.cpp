#include <QtTest>

#include <algorithm>
#include <random>
#include <set>


#include "deck/poemtable.h"
#include "game/boardsize.h"
#include "game/gamerules.h"
#include "platform/sjis.h"

using namespace game;
using deck::PoemTable;

Q_DECLARE_METATYPE(game::BoardSize)
Q_DECLARE_METATYPE(game::SortKey)

namespace {

QByteArray sj(const char *utf8)
{
    return platform::sjis::encode(QString::fromUtf8(utf8));
}

QList<int> boardPoems(const Game &g)
{
    QList<int> out;
    for (int k = 1; k <= g.FudaSu(); ++k)
        out << deck::PoemTable.numberOf(g.Torifuda[k]);
    return out;
}

QList<int> numbers(const Numbers &a, int n)
{
    return QList<int>(a.begin() + 1, a.begin() + 1 + n);
}

// A board whose first reading is poem `no` on card `card`.
Game readingOf(int no, int card = 1)
{
    Game g(24, 20);
    g.Torifuda[card] = PoemTable[no];
    g.Yomifuda[1] = PoemTable[no];
    g.YomiSbtNo[1] = card;
    return g;
}

struct Shown {
    QByteArray lt1;
    QByteArray lt2;
    int beeps = 0;
};

// Runs `ticks` ticks and applies them as the window would.
Shown runTicks(Game &g, int ticks)
{
    Shown s;
    for (int t = 0; t < ticks; ++t) {
        const TickStep step = g.tick();
        if (step.hasByte)
            (step.kind == TickStep::Kind::Kaminoku ? s.lt1 : s.lt2).append(step.byte);
        s.beeps += step.beep ? 1 : 0;
    }
    return s;
}

// Checks what must hold of a board whenever it is dealt or sorted.
void verifyBoardInvariants(const Game &g)
{
    const int n = g.FudaSu();
    std::set<int> poems;
    for (int k = 1; k <= n; ++k) {
        const int no = deck::PoemTable.numberOf(g.Torifuda[k]);
        QVERIFY2(no >= 1, qPrintable(QStringLiteral("card %1 is no poem of the table").arg(k)));
        QCOMPARE(g.Torifuda[k], PoemTable[no]); // a whole copy, all four texts
        poems.insert(no);
    }
    QCOMPARE(int(poems.size()), n);

    std::set<int> cards;
    for (int i = 1; i <= n; ++i) {
        const int k = g.YomiSbtNo[i];
        QVERIFY(k >= 1 && k <= n);
        cards.insert(k);
        QCOMPARE(g.Yomifuda[i], g.Torifuda[k]);
    }
    QCOMPARE(int(cards.size()), n);
    QCOMPARE(numbers(g.Kuji, n), numbers(g.YomiSbtNo, n));
}

} // namespace

class tst_GameRules : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PoemTable.fill(); }

    void eachBoardItsCountsAndFile_data();
    void eachBoardItsCountsAndFile();

    void drawWithoutRepetition_data();
    void drawWithoutRepetition();
    void dealIsPinnedByTheGeneratorState_data();
    void dealIsPinnedByTheGeneratorState();
    void invariantsAfterDealAndSort_data();
    void invariantsAfterDealAndSort();

    void compareKeys_data();
    void compareKeys();
    void sortOrder_data();
    void sortOrder();
    void sortMatchesAStableReference_data();
    void sortMatchesAStableReference();

    void eachReadingRevealsItsOwnPoem();
    void scoreOfATake_data();
    void scoreOfATake();
    void judgedReadingIgnoresClicksAndTicks_data();
    void judgedReadingIgnoresClicksAndTicks();
    void nothingHappensOutsideAReading();
    void decidedByTheEarlierReadings_data();
    void decidedByTheEarlierReadings();
};

// --- the three boards -------------------------------------------------------

void tst_GameRules::eachBoardItsCountsAndFile_data()
{
    QTest::addColumn<BoardSize>("size");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("yokoSu");
    QTest::addColumn<QString>("file");
    QTest::newRow("S") << BoardSize::S << 24 << 20 << 8 << "RecordsS.dat";
    QTest::newRow("M") << BoardSize::M << 44 << 40 << 11 << "RecordsM.dat";
    QTest::newRow("L") << BoardSize::L << 84 << 80 << 14 << "RecordsL.dat";
}

void tst_GameRules::eachBoardItsCountsAndFile()
{
    QFETCH(BoardSize, size);
    const Board &b = boardOf(size);
    QTEST(b.FudaSu, "n");
    QTEST(b.YomiSu, "r");
    QTEST(b.YokoSu, "yokoSu");
    QTEST(b.recordsFile, "file");
    QCOMPARE(b.rows * b.YokoSu, b.FudaSu);
}

// --- deal and reading order -------------------------------------------------

void tst_GameRules::drawWithoutRepetition_data()
{
    QTest::addColumn<quint32>("state");
    QTest::addColumn<QList<int>>("earlier");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("expected");
    QTest::addColumn<quint32>("stateAfter");
    // From state 1692 the draws out of 50 are 5, 42, 37: the first repeats
    // the first earlier number and the second the last, so both redraw.
    QTest::newRow("redraws on the first and the last earlier number")
        << quint32(1692) << QList<int>{5, 17, 42} << 50 << 37 << quint32(3152655947u);
    QTest::newRow("no earlier numbers takes the first draw") << quint32(1692) << QList<int>{} << 50 << 5
                                                             << quint32(407408909u);
    QTest::newRow("one number left") << quint32(0) << QList<int>{3, 1, 2} << 4 << 4 << quint32(3698175007u);
}

void tst_GameRules::drawWithoutRepetition()
{
    QFETCH(quint32, state);
    QFETCH(QList<int>, earlier);
    QFETCH(int, m);
    QFETCH(int, expected);
    Numbers kuji{};
    std::copy(earlier.begin(), earlier.end(), kuji.begin() + 1);
    platform::Random rng;
    rng.state = state;
    const int i = int(earlier.size()) + 1;
    game::drawWithoutRepetition(kuji, i, m, rng);
    QCOMPARE(kuji[i], expected);
    QCOMPARE(numbers(kuji, i - 1), earlier);
    QTEST(rng.state, "stateAfter");
}

void tst_GameRules::dealIsPinnedByTheGeneratorState_data()
{
    QTest::addColumn<quint32>("state");
    QTest::addColumn<QList<int>>("board");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<quint32>("stateAfter");
    QTest::newRow("12345") << quint32(12345)
                           << QList<int>{39, 29, 8, 56, 64, 35, 44, 4, 93, 98, 33, 25,
                                         79, 52, 43, 85, 81, 78, 89, 20, 6, 71, 19, 72}
                           << QList<int>{10, 7, 12, 2, 19, 4, 21, 13, 20, 16, 9, 15,
                                         6, 23, 24, 17, 14, 11, 18, 1, 5, 8, 3, 22}
                           << quint32(3861809071u);
    QTest::newRow("last millisecond of the day")
        << quint32(86399999) << QList<int>{73, 100, 34, 24, 16, 9, 86, 95, 64, 85, 30, 82,
                                           35, 75, 70, 40, 33, 43, 55, 8, 1, 27, 7, 14}
        << QList<int>{23, 10, 14, 8, 6, 11, 2, 16, 19, 20, 13, 3, 18, 12, 17, 9, 21, 15, 24, 4, 5, 1, 7, 22}
        << quint32(3823098287u);
}

void tst_GameRules::dealIsPinnedByTheGeneratorState()
{
    QFETCH(quint32, state);
    QFETCH(QList<int>, board);
    QFETCH(QList<int>, order);
    platform::Random rng;
    rng.state = state;
    Game g(24, 20);
    g.deal(PoemTable, rng);
    QCOMPARE(numbers(g.Kuji, 24), board);
    QCOMPARE(boardPoems(g), board);
    g.MakeYomijun(rng);
    QCOMPARE(numbers(g.YomiSbtNo, 24), order);
    QTEST(rng.state, "stateAfter");
}

void tst_GameRules::invariantsAfterDealAndSort_data()
{
    QTest::addColumn<BoardSize>("size");
    QTest::addColumn<quint32>("state");
    for (const auto &[name, size] : {std::pair{"S", BoardSize::S}, {"M", BoardSize::M}, {"L", BoardSize::L}})
        for (quint32 state : {0u, 1u, 12345u, 86399999u, 4294967295u})
            QTest::addRow("%s state %u", name, state) << size << state;
}

void tst_GameRules::invariantsAfterDealAndSort()
{
    QFETCH(BoardSize, size);
    QFETCH(quint32, state);
    const Board &b = boardOf(size);
    platform::Random rng;
    rng.state = state;
    Game g(b.FudaSu, b.YomiSu);
    g.YomiNo = 7;
    g.deal(PoemTable, rng);
    QCOMPARE(g.YomiNo, 0);
    for (int k = 1; k <= b.FudaSu; ++k)
        QCOMPARE(g.Torifuda[k], PoemTable[g.Kuji[k]]);
    g.MakeYomijun(rng);
    verifyBoardInvariants(g);
    if (QTest::currentTestFailed())
        return;

    for (SortKey key : {SortKey::Kaminoku, SortKey::Shimonoku}) {
        const QList<int> before = boardPoems(g);
        g.sort(key);
        g.MakeYomijun(rng);
        verifyBoardInvariants(g);
        if (QTest::currentTestFailed())
            return;
        QList<int> sortedBefore = before, after = boardPoems(g);
        std::sort(sortedBefore.begin(), sortedBefore.end());
        std::sort(after.begin(), after.end());
        QCOMPARE(after, sortedBefore); // the same cards, only moved
        for (int k = 2; k <= b.FudaSu; ++k) {
            const auto &prev = key == SortKey::Kaminoku ? g.Torifuda[k - 1].Kaminoku : g.Torifuda[k - 1].Shimonoku;
            const auto &cur = key == SortKey::Kaminoku ? g.Torifuda[k].Kaminoku : g.Torifuda[k].Shimonoku;
            QVERIFY(game::compareKeys(prev.view(), cur.view()) < 0);
        }
    }
}


// --- sorting ---------------------------------------------------------------

void tst_GameRules::compareKeys_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("equal") << QByteArray("\x82\xa0") << QByteArray("\x82\xa0") << 0;
    QTest::newRow("both empty") << QByteArray() << QByteArray() << 0;
    QTest::newRow("empty before anything") << QByteArray() << QByteArray("\x81\x40") << -1;
    QTest::newRow("shorter prefix first") << QByteArray("\x82\xa0") << QByteArray("\x82\xa0\x82\xa2") << -1;
    QTest::newRow("longer after its prefix") << QByteArray("\x82\xa0\x82\xa2") << QByteArray("\x82\xa0") << 1;
    QTest::newRow("bytes are unsigned") << QByteArray("\x81") << QByteArray("\x7f") << 1;
    QTest::newRow("first difference decides over length")
        << QByteArray("\x82\xa0\x82\xa4") << QByteArray("\x82\xa2") << -1;
    QTest::newRow("ideographic space before kana") << sj("　") << sj("あ") << -1;
    QTest::newRow("syllabary order") << sj("わ") << sj("な") << 1;
}

void tst_GameRules::compareKeys()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, expected);
    QCOMPARE(game::compareKeys(a, b), expected);
    QCOMPARE(game::compareKeys(b, a), -expected);
}

void tst_GameRules::sortOrder_data()
{
    QTest::addColumn<SortKey>("key");
    QTest::addColumn<QList<int>>("poems");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("1 2 3 by upper verse") << SortKey::Kaminoku << QList<int>{1, 2, 3} << QList<int>{1, 3, 2};
    QTest::newRow("3 2 1 by upper verse") << SortKey::Kaminoku << QList<int>{3, 2, 1} << QList<int>{1, 3, 2};
    QTest::newRow("1 2 3 by lower verse") << SortKey::Shimonoku << QList<int>{1, 2, 3} << QList<int>{2, 3, 1};
    QTest::newRow("3 1 2 by lower verse") << SortKey::Shimonoku << QList<int>{3, 1, 2} << QList<int>{2, 3, 1};
    // Both open "きみがため　"; the second phrase decides.
    QTest::newRow("15 50 by upper verse") << SortKey::Kaminoku << QList<int>{15, 50} << QList<int>{50, 15};
    QTest::newRow("50 15 by upper verse") << SortKey::Kaminoku << QList<int>{50, 15} << QList<int>{50, 15};
    QTest::newRow("15 50 by lower verse") << SortKey::Shimonoku << QList<int>{15, 50} << QList<int>{50, 15};
    // "わかころもては" and "わかころもてに" part at the seventh character.
    QTest::newRow("1 15 by lower verse") << SortKey::Shimonoku << QList<int>{1, 15} << QList<int>{15, 1};
    // Row 4 has no separator: "たごのうらにう..." against "たきのおと..." and "たかさごの".
    QTest::newRow("4 55 73 by upper verse") << SortKey::Kaminoku << QList<int>{4, 55, 73} << QList<int>{73, 55, 4};
}

void tst_GameRules::sortOrder()
{
    QFETCH(SortKey, key);
    QFETCH(QList<int>, poems);
    std::vector<deck::PoemEntry> entries;
    for (int no : poems)
        entries.push_back(PoemTable[no]);
    insertionSort(entries, key);
    QList<int> got;
    for (const auto &e : entries)
        got << deck::PoemTable.numberOf(e);
    QTEST(got, "expected");
}


void tst_GameRules::sortMatchesAStableReference_data()
{
    QTest::addColumn<SortKey>("key");
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 5; ++seed) {
        QTest::addRow("upper verse, shuffle %d", seed) << SortKey::Kaminoku << seed;
        QTest::addRow("lower verse, shuffle %d", seed) << SortKey::Shimonoku << seed;
    }
}

void tst_GameRules::sortMatchesAStableReference()
{
    QFETCH(SortKey, key);
    QFETCH(int, seed);
    // All hundred rows, plus copies cut short so that prefixes and equal keys occur.
    std::vector<deck::PoemEntry> entries;
    for (int no = 1; no <= deck::kPoemCount; ++no) {
        entries.push_back(PoemTable[no]);
        deck::PoemEntry cut = PoemTable[no];
        cut.Kaminoku.length = static_cast<std::uint8_t>(2 * (no % 7));
        cut.Shimonoku.length = static_cast<std::uint8_t>(2 * (no % 5));
        cut.Kimariji = deck::PoemString(QByteArray::number(no)); // tells the copies apart
        entries.push_back(cut);
    }
    std::mt19937 gen(static_cast<unsigned>(seed));
    std::shuffle(entries.begin(), entries.end(), gen);

    std::vector<deck::PoemEntry> reference = entries;
    std::stable_sort(reference.begin(), reference.end(), [key](const auto &a, const auto &b) {
        const auto ka = key == SortKey::Kaminoku ? a.Kaminoku.view() : a.Shimonoku.view();
        const auto kb = key == SortKey::Kaminoku ? b.Kaminoku.view() : b.Shimonoku.view();
        // std::lexicographical_compare on unsigned bytes, independent of the code under test.
        return std::lexicographical_compare(
            reinterpret_cast<const unsigned char *>(ka.data()),
            reinterpret_cast<const unsigned char *>(ka.data()) + ka.size(),
            reinterpret_cast<const unsigned char *>(kb.data()),
            reinterpret_cast<const unsigned char *>(kb.data()) + kb.size());
    });
    insertionSort(entries, key);
    QVERIFY(entries == reference);
}


// --- one reading -------------------------------------------------------------

// Each reading reveals its own poem from its first tick, however the one
// before it ended, and its time-out names its own card.
void tst_GameRules::eachReadingRevealsItsOwnPoem()
{
    Game g(24, 2);
    g.Torifuda[3] = g.Yomifuda[1] = PoemTable[1];
    g.YomiSbtNo[1] = 3;
    g.Torifuda[8] = g.Yomifuda[2] = PoemTable[100];
    g.YomiSbtNo[2] = 8;
    g.startReading(deck::PoemTable);
    runTicks(g, 10);
    g.take(3);
    g.startReading(deck::PoemTable);
    const Shown shown = runTicks(g, 41);
    QCOMPARE(shown.lt1, PoemTable[100].Kaminoku.toByteArray());
    QCOMPARE(shown.lt2, PoemTable[100].Shimonoku.toByteArray().left(1));
    QCOMPARE(shown.beeps, 21);
    QCOMPARE(g.Keika(), 41);
    runTicks(g, 31);
    const TickStep last = g.tick();
    QCOMPARE(last.kind, TickStep::Kind::TimeOut);
    QCOMPARE(last.missedCard, 8);
    QVERIFY(last.gameOver);
}


void tst_GameRules::scoreOfATake_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("points");
    QTest::newRow("before the first tick") << 0 << 72;
    QTest::newRow("after tick 1") << 1 << 71;
    QTest::newRow("right after tick 40") << 40 << 32;
    QTest::newRow("after tick 41") << 41 << 31;
    QTest::newRow("after tick 72") << 72 << 0;
}

void tst_GameRules::scoreOfATake()
{
    QFETCH(int, ticks);
    Game g = readingOf(33, 5);
    g.startReading(deck::PoemTable);
    runTicks(g, ticks);
    const Verdict t = g.take(5);
    QCOMPARE(t.kind, Verdict::Kind::Correct);
    QTEST(t.points, "points");
    QCOMPARE(t.rightCard, 5);
    QVERIFY(g.Hanteizumi);
}


void tst_GameRules::judgedReadingIgnoresClicksAndTicks_data()
{
    QTest::addColumn<QString>("judgedBy");
    QTest::newRow("correct take") << "correct";
    QTest::newRow("wrong take") << "wrong";
    QTest::newRow("time-out") << "timeout";
}

void tst_GameRules::judgedReadingIgnoresClicksAndTicks()
{
    QFETCH(QString, judgedBy);
    Game g = readingOf(33, 5);
    g.startReading(deck::PoemTable);
    runTicks(g, 10);
    if (judgedBy == "correct")
        g.take(5);
    else if (judgedBy == "wrong")
        g.take(2);
    else
        runTicks(g, 63);
    QVERIFY(g.Hanteizumi);
    const int keika = g.Keika();
    for (int tag : {5, 2, 24}) {
        const Verdict t = g.take(tag);
        QCOMPARE(t.kind, Verdict::Kind::Ignored);
        QCOMPARE(t.points, 0);
        QVERIFY(!t.gameOver);
    }
    QCOMPARE(g.tick().kind, TickStep::Kind::None);
    QCOMPARE(g.Keika(), keika);
}

void tst_GameRules::nothingHappensOutsideAReading()
{
    Game g(24, 20);
    QCOMPARE(g.take(1).kind, Verdict::Kind::Ignored); // dealt, before the first reading
    QCOMPARE(g.tick().kind, TickStep::Kind::None);
    QCOMPARE(g.Keika(), 0);

    // A reset in the middle of a reading leaves no reading behind.
    g = readingOf(1, 1);
    g.startReading(deck::PoemTable);
    runTicks(g, 5);
    g.reset();
    QVERIFY(!g.Hanteizumi);
    QCOMPARE(g.take(1).kind, Verdict::Kind::Ignored);
    QCOMPARE(g.tick().kind, TickStep::Kind::None);
}




void tst_GameRules::decidedByTheEarlierReadings_data()
{
    QTest::addColumn<QList<int>>("earlier"); // poems of the readings before
    QTest::addColumn<int>("poem");
    QTest::addColumn<int>("tick");
    QTest::newRow("1 first: あきの") << QList<int>{} << 1 << 6;
    QTest::newRow("31 first: the separator counts") << QList<int>{} << 31 << 14;
    QTest::newRow("15 after 50: きみ") << QList<int>{50} << 15 << 4;
    QTest::newRow("44 after 60 and 95: おお, spelled あう") << QList<int>{60, 95} << 44 << 4;
    QTest::newRow("87 is decided at its first kana") << QList<int>{3, 4} << 87 << 2;
}

void tst_GameRules::decidedByTheEarlierReadings()
{
    QFETCH(QList<int>, earlier);
    QFETCH(int, poem);
    QFETCH(int, tick);
    Game g(24, 20);
    for (int i = 0; i < earlier.size(); ++i)
        g.Yomifuda[i + 1] = PoemTable[earlier[i]];
    g.Yomifuda[earlier.size() + 1] = PoemTable[poem];
    g.YomiNo = static_cast<int>(earlier.size());
    g.startReading(deck::PoemTable);
    QCOMPARE(g.decidedTick(), tick);
    // Exactly one tick of the whole reading says so.
    QList<int> decided;
    for (int t = 1; t <= deck::kTimeOutTick; ++t)
        if (g.tick().decided)
            decided << t;
    QCOMPARE(decided, QList<int>{tick});
}

QTEST_GUILESS_MAIN(tst_GameRules)
#include "tst_gamerules.moc"
