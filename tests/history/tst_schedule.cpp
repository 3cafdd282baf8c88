#include <QtTest>

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>

#include "deck/spoken.h"
#include "history/database.h"
#include "history/schedule.h"
#include "history/schedulecache.h"
#include "history/writer.h"
#include "platform/random.h"

using namespace history;

Q_DECLARE_METATYPE(history::Grade)
Q_DECLARE_METATYPE(history::Outcome)

namespace {

// "G", "A3" ...: a grade letter (A H G E) and the days since the previous review.
QList<std::pair<Grade, int>> reviews(const QString &text)
{
    QList<std::pair<Grade, int>> list;
    for (const QString &r : text.split(' ', Qt::SkipEmptyParts)) {
        const Grade g = r[0] == 'A' ? Grade::Again : r[0] == 'H' ? Grade::Hard : r[0] == 'E' ? Grade::Easy : Grade::Good;
        list.append({g, r.mid(1).toInt()});
    }
    return list;
}

ReviewTake take(int poem, const QDate &day, Outcome outcome = Outcome::Right, std::optional<qint64> ms = {})
{
    return {poem, day, outcome, false, ms};
}

const QDate kDay{2026, 12, 1};

} // namespace

class tst_Schedule : public QObject {
    Q_OBJECT
private slots:
    void memoryAfterReviews_data();
    void memoryAfterReviews();
    void grades_data();
    void grades();
    void scheduleFromTakes();
    void dueOrderAndCounts();
    void newPoems();
    void readsTheHistoryFile();
    void streamedFromTheFileAsFromTheList_data();
    void streamedFromTheFileAsFromTheList();
    void sharedScheduleOncePerChange();
};

void tst_Schedule::memoryAfterReviews_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<double>("retention");
    QTest::addColumn<double>("stability");
    QTest::addColumn<double>("difficulty");
    QTest::addColumn<int>("interval");

    // Worked by hand from the published FSRS-5 formulas and default weights:
    //   S0(G) = w[G-1];  D0(G) = w4 - e^(w5 (G-1)) + 1
    //   R(t, S) = (1 + 19/81 t/S)^-0.5;  I(r, S) = S / (19/81) (r^-2 - 1), so I(0.9, S) = S
    //   D' = w7 D0(4) + (1 - w7) (D - w6 (G-3) (10-D)/9), D0(4) = 3.22450
    //   recall:  S' = S (1 + e^w8 (11-D) S^-w9 (e^(w10 (1-R)) - 1) [w15 if Hard] [w16 if Easy])
    //   lapse:   S' = min(w11 D^-w12 ((S+1)^w13 - 1) e^(w14 (1-R)), S / e^(w17 w18))
    // First Good: S = 3.173, D = 7.1949 - e^1.069 + 1 = 5.28243. Three days
    // later R = (1 + 19/81 * 3/3.173)^-0.5 = 0.904698, and
    //   Good:  S = 3.173 (1 + 4.6916 * 5.71757 * 0.87141 * 0.10206) = 10.73893
    //   Again: S = 1.9395 * 5.28243^-0.11 * (4.173^0.29605 - 1) * e^(2.2698 * 0.095302) = 1.05556
    // Eleven days after that R = (1 + 19/81 * 11/10.73893)^-0.5 = 0.897929.
    QTest::newRow("first Good") << "G0" << 0.9 << 3.173 << 5.28243 << 3;
    QTest::newRow("first Again") << "A0" << 0.9 << 0.40255 << 7.1949 << 1;
    QTest::newRow("first Easy") << "E0" << 0.9 << 15.69105 << 3.22450 << 16;
    QTest::newRow("Good at retention 0.8") << "G0" << 0.8 << 3.173 << 5.28243 << 8; // 13.5275 * 0.5625
    QTest::newRow("Good, Good after 3 days") << "G0 G3" << 0.9 << 10.73893 << 5.27297 << 11;
    QTest::newRow("Good, Hard after 3 days") << "G0 H3" << 0.9 << 4.92451 << 6.03495 << 5;
    QTest::newRow("Good, Easy after 3 days") << "G0 E3" << 0.9 << 25.79361 << 4.51099 << 26;
    QTest::newRow("Good, Again after 3 days") << "G0 A3" << 0.9 << 1.05556 << 6.79693 << 1;
    QTest::newRow("Good, Good 3, Good 11") << "G0 G3 G11" << 0.9 << 34.57762 << 5.26354 << 35;
}

void tst_Schedule::memoryAfterReviews()
{
    QFETCH(QString, sequence);
    QFETCH(double, retention);
    const Fsrs fsrs(retention);
    const auto list = reviews(sequence);
    Memory m = fsrs.first(list[0].first);
    for (qsizetype i = 1; i < list.size(); ++i)
        m = fsrs.next(m, list[i].second, list[i].first);
    QFETCH(double, stability);
    QVERIFY2(qAbs(m.stability - stability) < 1e-4, qPrintable(QString::number(m.stability, 'f', 6)));
    QFETCH(double, difficulty);
    QVERIFY2(qAbs(m.difficulty - difficulty) < 1e-4, qPrintable(QString::number(m.difficulty, 'f', 6)));
    QFETCH(int, interval);
    QCOMPARE(fsrs.intervalDays(m.stability), interval);
}

void tst_Schedule::grades_data()
{
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<bool>("fault");
    QTest::addColumn<qint64>("ms"); // -1: no time
    QTest::addColumn<Grade>("grade");

    // The pace below: first quartile 300 ms, third 1000 ms.
    QTest::newRow("wrong card") << Outcome::Wrong << false << qint64(200) << Grade::Again;
    QTest::newRow("time-out") << Outcome::Timeout << false << qint64(-1) << Grade::Again;
    QTest::newRow("opponent took it") << Outcome::Opponent << false << qint64(-1) << Grade::Again;
    QTest::newRow("nobody took it") << Outcome::Missed << false << qint64(-1) << Grade::Again;
    QTest::newRow("right after a fault") << Outcome::Right << true << qint64(100) << Grade::Again;
    QTest::newRow("clearly fast") << Outcome::Right << false << qint64(299) << Grade::Easy;
    QTest::newRow("at the fast quartile") << Outcome::Right << false << qint64(300) << Grade::Good;
    QTest::newRow("at the slow quartile") << Outcome::Right << false << qint64(1000) << Grade::Good;
    QTest::newRow("slow") << Outcome::Right << false << qint64(1001) << Grade::Hard;
    QTest::newRow("right without a time") << Outcome::Right << false << qint64(-1) << Grade::Good;
}

void tst_Schedule::grades()
{
    QFETCH(Outcome, outcome);
    QFETCH(bool, fault);
    QFETCH(qint64, ms);
    QFETCH(Grade, grade);
    // Eight times, shuffled: sorted 100 200 300 400 800 900 1000 2000.
    const Pace pace = paceOf({900, 100, 2000, 400, 300, 1000, 200, 800});
    QCOMPARE(pace.fastMs, qint64(300));
    QCOMPARE(pace.slowMs, qint64(1000));
    QCOMPARE(gradeOf({1, kDay, outcome, fault, ms < 0 ? std::nullopt : std::optional<qint64>(ms)}, pace), grade);
    // Too few timed right takes to know the pace: a right take is Good.
    if (outcome == Outcome::Right && !fault)
        QCOMPARE(gradeOf({1, kDay, outcome, false, ms}, paceOf({100, 200, 300})), Grade::Good);
}

void tst_Schedule::scheduleFromTakes()
{
    const Fsrs fsrs;
    // Poem 1: right, wrong later the same day (ignored), right three days on:
    // Good then Good. Poem 2: right, then the opponent's three days on: Good
    // then Again: the first interval of 3 days grows to 11 and shrinks to 1.
    // Poem 3: a clock set back adds nothing.
    const QList<ReviewTake> takes = {
        take(1, kDay), take(2, kDay), take(1, kDay, Outcome::Wrong), take(3, kDay.addDays(5)),
        take(1, kDay.addDays(3)), take(2, kDay.addDays(3), Outcome::Opponent), take(3, kDay.addDays(2), Outcome::Wrong),
    };
    const Schedule s = buildSchedule(takes, fsrs);
    const PoemSchedule &one = s.poems[0], &two = s.poems[1], &three = s.poems[2];
    QCOMPARE(one.reviews, 2);
    QCOMPARE(one.due, kDay.addDays(3 + 11));
    QCOMPARE(two.reviews, 2);
    QCOMPARE(two.due, kDay.addDays(3 + 1));
    QCOMPARE(three.reviews, 1);
    QCOMPARE(three.due, kDay.addDays(5 + 3));
    QVERIFY(!s.poems[3].met());
    QCOMPARE(s.poems[3].recallOn(kDay), 0.0);
    // Three days after a first Good: (1 + 19/81 * 3/3.173)^-0.5.
    QVERIFY(qAbs(three.recallOn(three.due) - 0.904698) < 1e-6);
}

void tst_Schedule::dueOrderAndCounts()
{
    // Due on day 1: poem 11 (Again on day 0). Due on day 3: poem 10 (Good
    // on day 0) and poem 12 (Again on day 2), which on day 5 is the less
    // likely recalled of the two. Due on day 8: poem 13 (Good on day 5).
    const QList<ReviewTake> takes = {
        take(10, kDay), take(11, kDay, Outcome::Wrong), take(12, kDay.addDays(2), Outcome::Wrong),
        take(13, kDay.addDays(5)),
    };
    const Schedule s = buildSchedule(takes, Fsrs());
    QCOMPARE(s.dueOn(kDay), QList<int>{});
    QCOMPARE(s.dueOn(kDay.addDays(1)), QList<int>{11});
    QCOMPARE(s.dueOn(kDay.addDays(5)), (QList<int>{11, 12, 10}));
    // The overdue poem 11 counts on the first day.
    QCOMPARE(s.dueCounts(kDay.addDays(2), 14), (QList<int>{1, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
}

void tst_Schedule::newPoems()
{
    const QList<int> &order = newPoemOrder();
    QCOMPARE(order.mid(0, 7), (QList<int>{87, 18, 57, 22, 70, 81, 77})); // む す め ふ さ ほ せ
    QList<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    QList<int> all;
    for (int i = 1; i <= 100; ++i)
        all << i;
    QCOMPARE(sorted, all);
    // The う family follows in kana order (うか, うら); あ's sixteen close the list.
    QCOMPARE(order.mid(7, 2), (QList<int>{74, 65}));
    for (int poem : order.mid(84))
        QVERIFY2(deck::spokenKaminoku(poem).text().startsWith(u'あ'), qPrintable(QString::number(poem)));

    // Two poems first met today and one met before leave three of five.
    const Schedule s = buildSchedule({take(87, kDay.addDays(-1)), take(18, kDay), take(57, kDay, Outcome::Wrong)}, Fsrs());
    QCOMPARE(s.newOn(kDay, 5), (QList<int>{22, 70, 81}));
    QCOMPARE(s.newOn(kDay.addDays(1), 5), (QList<int>{22, 70, 81, 77, 74}));
    QCOMPARE(s.newOn(kDay, 1), QList<int>{});
}

void tst_Schedule::readsTheHistoryFile()
{
    QTemporaryDir dir;
    Database db(dir.filePath("history.sqlite"));
    QCOMPARE(db.open(), OpenResult::Ok);
    struct Row {
        Mode mode;
        int poem;
        Outcome outcome;
        QVariantMap extra;
    };
    const Row rows[] = {
        {Mode::Training, 1, Outcome::Right, {}},
        {Mode::Match, 2, Outcome::Right, {{"player_fault", true}}},
        {Mode::Match, 3, Outcome::Right, {{"player_fault", false}}},
        {Mode::Match, 4, Outcome::Dead, {}},
        {Mode::GameS, 5, Outcome::Timeout, {}},
    };
    int second = 0;
    for (const Row &r : rows) {
        Take t;
        t.mode = r.mode;
        t.poem = r.poem;
        t.outcome = r.outcome;
        t.msAfterDeciding = 250;
        t.extra = r.extra;
        // Late in the evening at +09:00: the day is the player's, not UTC's.
        QVERIFY(db.insert(t, QDateTime(QDate(2026, 12, 6), QTime(23, 30, ++second), QTimeZone(9 * 3600))));
    }
    // A damaged extra on a match row must not stop the reading.
    QSqlQuery(db.db()).exec("UPDATE readings SET extra = '{broken' WHERE poem = 3");
    const QList<ReviewTake> takes = loadReviewTakes(db.db());
    QStringList seen;
    for (const ReviewTake &t : takes)
        seen << QStringLiteral("%1:%2%3:%4:%5")
                    .arg(t.poem)
                    .arg(t.outcome == Outcome::Right ? "right" : "miss")
                    .arg(t.fault ? "+fault" : "")
                    .arg(t.day.toString(Qt::ISODate))
                    .arg(t.msAfterDeciding.value_or(-1));
    QCOMPARE(seen, (QStringList{"1:right:2026-12-06:250", "2:right+fault:2026-12-06:250", "3:right:2026-12-06:250",
                                "5:miss:2026-12-06:250"}));
}

void tst_Schedule::streamedFromTheFileAsFromTheList_data()
{
    QTest::addColumn<int>("takes");
    QTest::addColumn<int>("farPercent"); // right takes timed beyond two minutes either way
    QTest::addColumn<bool>("damagedTimes");

    QTest::newRow("too few timed takes for a pace") << 6 << 0 << false;
    QTest::newRow("a year of every mode") << 3000 << 0 << false;
    QTest::newRow("a quartile among far times") << 3000 << 60 << false;
    QTest::newRow("times that are not numbers") << 3000 << 5 << true;
}

// The schedule folded as the rows come out of the file is the one built from
// every take held in a list, field for field.
void tst_Schedule::streamedFromTheFileAsFromTheList()
{
    QFETCH(int, takes);
    QFETCH(int, farPercent);
    QFETCH(bool, damagedTimes);
    QTemporaryDir dir;
    Database db(dir.filePath("history.sqlite"));
    QCOMPARE(db.open(), OpenResult::Ok);
    platform::Random rng{20261208};
    const Mode modes[] = {Mode::GameS, Mode::GameL, Mode::Training, Mode::Match, Mode::Nagashi};
    const Outcome outcomes[] = {Outcome::Right, Outcome::Right, Outcome::Right, Outcome::Wrong,
                                Outcome::Timeout, Outcome::Opponent, Outcome::Dead};
    QVERIFY(db.db().transaction());
    for (int i = 0; i < takes; ++i) {
        Take t;
        t.mode = modes[rng.below(5)];
        t.poem = rng.below(100) + 1;
        t.outcome = outcomes[rng.below(7)];
        if (rng.below(10))
            t.msAfterDeciding = rng.below(100) < farPercent ? (rng.below(2) ? 1 : -1) * (200000 + rng.below(50000))
                                                             : rng.below(4000) - 500;
        if (t.mode == Mode::Match)
            t.extra = {{"player_fault", rng.below(5) == 0}};
        // Half a year, a few days played backwards now and then (a clock set back).
        const int day = i * 180 / takes - (rng.below(50) == 0 ? 3 : 0);
        QVERIFY(db.insert(t, QDateTime(kDay.addDays(day), QTime(10, 0).addSecs(i % 3600))));
    }
    QVERIFY(db.db().commit());
    if (damagedTimes)
        QVERIFY(QSqlQuery(db.db()).exec("UPDATE readings SET ms_after_deciding = '12abc' WHERE id % 97 = 0"));

    const Fsrs fsrs(0.85);
    const Schedule listed = buildSchedule(loadReviewTakes(db.db()), fsrs);
    const Schedule streamed = streamSchedule(db.db(), fsrs);
    QCOMPARE(streamed.pace.fastMs, listed.pace.fastMs);
    QCOMPARE(streamed.pace.slowMs, listed.pace.slowMs);
    if (takes > 100)
        QVERIFY(listed.pace.fastMs && listed.pace.fastMs < listed.pace.slowMs);
    int met = 0;
    for (int i = 0; i < 100; ++i) {
        const PoemSchedule &a = streamed.poems[std::size_t(i)], &b = listed.poems[std::size_t(i)];
        QCOMPARE(a.reviews, b.reviews);
        QCOMPARE(a.firstDay, b.firstDay);
        QCOMPARE(a.lastDay, b.lastDay);
        QCOMPARE(a.due, b.due);
        QCOMPARE(a.memory.stability, b.memory.stability);
        QCOMPARE(a.memory.difficulty, b.memory.difficulty);
        met += a.met();
    }
    QVERIFY(met > 0);
}

// Worked out once, then handed out as it is until the history or the
// retention changes; a take the writer has written counts as a change.
void tst_Schedule::sharedScheduleOncePerChange()
{
    QTemporaryDir dir;
    setDatabasePath(dir.filePath("history.sqlite"));
    SqliteRecorder writer(databasePath());
    ScheduleCache cache;
    connect(&writer, &SqliteRecorder::takeWritten, &cache, &ScheduleCache::takeWritten);
    writer.start();
    QVERIFY(writer.waitUntilStarted());
    QSignalSpy ready(&cache, &ScheduleCache::ready);

    QVERIFY(!cache.request());
    QVERIFY(cache.building());
    QVERIFY(!cache.request()); // asked again meanwhile: the same build
    QVERIFY(ready.wait());
    QCOMPARE(ready.size(), 1);
    QVERIFY(cache.request());
    QVERIFY(!cache.building());

    Take t;
    t.mode = Mode::Training;
    t.poem = 87;
    t.outcome = Outcome::Right;
    QSignalSpy written(&writer, &SqliteRecorder::takeWritten);
    writer.record(t);
    QVERIFY(written.wait());
    QVERIFY(!cache.request());
    QVERIFY(ready.wait());
    QVERIFY(cache.schedule().poems[86].met());
    QVERIFY(cache.request());

    // Told of a take with the file looking the same: still worked out again.
    cache.takeWritten();
    QVERIFY(!cache.request());
    QVERIFY(ready.wait());
    const ReviewOptions options = reviewOptions();
    reviewOptions().retention = 0.8;
    QVERIFY(!cache.request());
    QVERIFY(ready.wait());
    QCOMPARE(cache.schedule().poems[86].due, cache.schedule().poems[86].lastDay.addDays(8));
    reviewOptions() = options;
    setDatabasePath("history.sqlite");
}

QTEST_GUILESS_MAIN(tst_Schedule)
#include "tst_schedule.moc"
