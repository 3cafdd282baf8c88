#include <QtTest>

#include <functional>

#include "deck/poemtable.h"
#include "deck/reveal.h"
#include "match/calibration.h"
#include "match/opponent.h"
#include "match/simulation.h"

using namespace match;
using deck::kTickMs;

namespace {

constexpr int kRuns = 1500;
constexpr int kMiddle = kLevels / 2;

// Cards as "P:3:1" (the player's slot 3 holds poem 1; 'O' the opponent's).
Field fieldOf(const QString &cards)
{
    Field f;
    for (const QString &card : cards.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = card.split(u':');
        f.put({parts[0] == u"P" ? Side::Player : Side::Opponent, parts[1].toInt()}, parts[2].toInt());
    }
    return f;
}

// An opponent that saw `before` at the first reading, and the second
// reading (poem `poem`, after the dead 90) open on `now`.
struct Scene {
    Opponent opponent{kMiddle};
    std::optional<Match> match;
};

Scene scene(int levelNo, QString before, QString now, int poem)
{
    // A card on each side far from the others, so that no side has won.
    before += QStringLiteral(" P:50:99 O:50:100");
    now += QStringLiteral(" P:50:99 O:50:100");
    Scene s{Opponent(levelNo), std::nullopt};
    Match first(fieldOf(before), {90});
    if (!first.startReading())
        qFatal("the scene's first reading did not open");
    platform::Random scratch{1u};
    s.opponent.plan(first, scratch);
    s.match.emplace(fieldOf(now), QList<int>{90, poem});
    s.match->startReading();
    s.match->endReading();
    if (!s.match->startReading())
        qFatal("the scene's reading did not open");
    return s;
}

// Plans of one reading, each from a copy of the same opponent so that all
// start from the same memory; the same seed gives two scenes the same draws.
QList<Plan> plans(const Scene &s, int runs = kRuns, quint32 seed = 5u)
{
    platform::Random rng{seed};
    QList<Plan> out;
    for (int i = 0; i < runs; ++i) {
        Opponent o = s.opponent;
        out << o.plan(*s.match, rng);
    }
    return out;
}

qint64 medianTake(const Scene &s)
{
    QList<qint64> at;
    for (const Plan &p : plans(s))
        at << p.takeAtMs.value();
    return *median(at);
}

} // namespace

class TestOpponent : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { deck::PoemTable.fill(); }

    void takesLaterWhereACardIsHarderToReach_data();
    void takesLaterWhereACardIsHarderToReach();
    void forgetsMoreAsTheFieldChanges();
    void anticipatesOnlyACardSharingTheOpeningHeard_data();
    void anticipatesOnlyACardSharingTheOpeningHeard();
    void levelsRunFromABeginnersPaceToAStrongPlayers();
    void adviceFollowsThePlayersMedianReaction_data();
    void adviceFollowsThePlayersMedianReaction();
    void simulatedMatchesGoToTheFasterSide_data();
    void simulatedMatchesGoToTheFasterSide();
};

void TestOpponent::takesLaterWhereACardIsHarderToReach_data()
{
    QTest::addColumn<QString>("sooner"); // the field before, the field now, the poem read
    QTest::addColumn<QString>("later");
    // Poem 87 むらさめの is told by its first syllable, 31 あさぼらけあ by its sixth.
    QTest::newRow("own side before the far side") << "O:3:1|O:3:1|1" << "P:3:1|P:3:1|1";
    QTest::newRow("a card decided early before one decided late") << "O:3:87|O:3:87|87" << "O:3:31|O:3:31|31";
    QTest::newRow("a card in its place before one just moved") << "O:3:1|O:3:1|1" << "O:9:1|O:3:1|1";
    QTest::newRow("a card kept before one just received") << "P:3:1 O:0:2|P:3:1 O:0:2|1"
                                                          << "O:3:1 O:0:2|P:3:1 O:0:2|1";
}

void TestOpponent::takesLaterWhereACardIsHarderToReach()
{
    QFETCH(QString, sooner);
    QFETCH(QString, later);
    const auto build = [](const QString &row) {
        const QStringList p = row.split(u'|');
        return scene(kMiddle, p[0], p[1], p[2].toInt());
    };
    const qint64 a = medianTake(build(sooner));
    const qint64 b = medianTake(build(later));
    QVERIFY2(a * 21 / 20 < b, qPrintable(QStringLiteral("%1 ms against %2 ms").arg(a).arg(b)));
}

void TestOpponent::forgetsMoreAsTheFieldChanges()
{
    // Twenty of the player's cards move between the two readings; the read
    // card stays. At the top level only a lapse takes a second or more.
    QString before, after;
    for (int i = 0; i < 20; ++i) {
        before += QStringLiteral(" P:%1:%2").arg(i).arg(2 + i);
        after += QStringLiteral(" P:%1:%2").arg(20 + i).arg(2 + i);
    }
    const auto lapses = [](const Scene &s) {
        const qint64 decidedMs = qint64(deck::decidedTick(1, s.match->readBefore())) * kTickMs;
        int n = 0;
        for (const Plan &p : plans(s, 4000))
            n += *p.takeAtMs - decidedMs >= 1000;
        return n;
    };
    const int calm = lapses(scene(kLevels, "O:3:1" + before, "O:3:1" + before, 1));
    const int changed = lapses(scene(kLevels, "O:3:1" + before, "O:3:1" + after, 1));
    QVERIFY2(calm > 0 && changed > 2 * calm, qPrintable(QStringLiteral("%1 against %2").arg(calm).arg(changed)));
}

void TestOpponent::anticipatesOnlyACardSharingTheOpeningHeard_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("read");
    QTest::addColumn<int>("touched"); // 0: never goes early
    QTest::addColumn<int>("verdict");
    // 1 あきのたの and 79 あきかぜに share あき; 87 むらさめの shares nothing with either.
    QTest::newRow("look-alike on the far side: a fault") << "O:3:1 P:5:79 O:0:87" << 1 << 79 << int(Verdict::Fault);
    QTest::newRow("look-alike on the same side: no fault") << "O:3:1 O:5:79 P:0:87" << 1 << 79 << int(Verdict::Nothing);
    QTest::newRow("dead card with a look-alike: a fault") << "P:5:79 O:0:87" << 1 << 79 << int(Verdict::Fault);
    QTest::newRow("nothing shares the opening: never early") << "O:3:87 P:5:79 P:0:1" << 87 << 0 << 0;
}

void TestOpponent::anticipatesOnlyACardSharingTheOpeningHeard()
{
    QFETCH(QString, field);
    QFETCH(int, read);
    QFETCH(int, touched);
    QFETCH(int, verdict);
    const Scene strong = scene(kLevels, field, field, read);
    const qint64 decidedMs = qint64(deck::decidedTick(read, strong.match->readBefore())) * kTickMs;
    int early = 0;
    for (const Plan &p : plans(strong)) {
        QCOMPARE(p.takeAtMs.has_value(), strong.match->field().find(read).has_value());
        if (!p.faultAtMs)
            continue;
        ++early;
        const int shared = sharedBeginning(read, touched);
        QCOMPARE(strong.match->field().at(p.faultPlace), touched);
        QVERIFY(*p.faultAtMs >= qint64(tickOfMorae(read, shared)) * kTickMs);
        QVERIFY(*p.faultAtMs < decidedMs);
        Match m = *strong.match;
        QCOMPARE(int(m.touch(Side::Opponent, p.faultPlace, *p.faultAtMs).verdict), verdict);
    }
    QCOMPARE(early > 0, touched != 0);
    if (touched) {
        int beginner = 0;
        for (const Plan &p : plans(scene(1, field, field, read)))
            beginner += p.faultAtMs.has_value();
        QVERIFY2(beginner * 2 < early, qPrintable(QStringLiteral("%1 against %2").arg(beginner).arg(early)));
    }
}

void TestOpponent::levelsRunFromABeginnersPaceToAStrongPlayers()
{
    QVERIFY(levelMedianMs(1) >= 3000);
    QVERIFY(levelMedianMs(kLevels) <= 300);
    for (int n = 1; n <= kLevels; ++n) {
        QCOMPARE(levelNearest(double(levelMedianMs(n))), n);
        if (n > 1) // a step of a few per cent at most
            QVERIFY(levelMedianMs(n) < levelMedianMs(n - 1) && levelMedianMs(n) * 21 > levelMedianMs(n - 1) * 20);
    }
}

void TestOpponent::adviceFollowsThePlayersMedianReaction_data()
{
    QTest::addColumn<QList<qint64>>("reactions");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<qint64>>("sameAs"); // empty: a few levels below current
    QTest::newRow("no takes: a few levels down") << QList<qint64>{} << 50 << QList<qint64>{};
    QTest::newRow("no takes at level 1: stays") << QList<qint64>{} << 1 << QList<qint64>{};
    QTest::newRow("median, not mean: one slow take does not count")
        << QList<qint64>{560, 540, 9000} << 1 << QList<qint64>{560};
    QTest::newRow("the level played does not count") << QList<qint64>{700, 900} << 3 << QList<qint64>{800};
}

void TestOpponent::adviceFollowsThePlayersMedianReaction()
{
    QFETCH(QList<qint64>, reactions);
    QFETCH(int, current);
    QFETCH(QList<qint64>, sameAs);
    const int advised = adviseLevel(reactions, current);
    if (sameAs.isEmpty())
        QVERIFY(advised >= 1 && (advised < current || current == 1));
    else
        QCOMPARE(advised, adviseLevel(sameAs, kLevels));

    // Whatever the row: a slower player never gets a stronger opponent, and
    // the scale is used end to end.
    int last = kLevels;
    for (double ms = 100; ms < 8000; ms *= 1.03) {
        const int n = adviseLevel({qint64(ms)}, current);
        QVERIFY2(n <= last, qPrintable(QString::number(ms)));
        last = n;
    }
    QCOMPARE(adviseLevel({100}, current), kLevels);
    QCOMPARE(last, 1);
}

void TestOpponent::simulatedMatchesGoToTheFasterSide_data()
{
    QTest::addColumn<double>("playerMs");
    QTest::addColumn<int>("levelNo");
    QTest::addColumn<double>("least");
    QTest::addColumn<double>("most");
    QTest::newRow("a strong player against level 1: wins all") << 300.0 << 1 << 1.0 << 1.0;
    QTest::newRow("a beginner against the top level: loses all") << 3000.0 << kLevels << 0.0 << 0.0;
    QTest::newRow("an even match: both win some") << 800.0 << levelNearest(800) << 0.15 << 0.85;
}

void TestOpponent::simulatedMatchesGoToTheFasterSide()
{
    QFETCH(double, playerMs);
    QFETCH(int, levelNo);
    QFETCH(double, least);
    QFETCH(double, most);
    platform::Random rng{11u};
    const SimPlayer player{playerMs, 0.35, 20};
    const double share = winShare(player, levelNo, 30, rng);
    QVERIFY2(share >= least && share <= most, qPrintable(QString::number(share)));
    // The takes the history would keep count from the deciding moment: never
    // slower in the middle than the player's pace (a lost race is not kept).
    const SimMatch one = simulateMatch(player, levelNo, rng);
    QVERIFY(one.result != Result::Ongoing);
    if (const std::optional<qint64> mid = median(one.takesMs))
        QVERIFY2(*mid >= kTickMs && *mid <= playerMs * 1.2, qPrintable(QString::number(*mid)));
}

QTEST_GUILESS_MAIN(TestOpponent)
#include "tst_opponent.moc"
