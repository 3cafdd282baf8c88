#include <QtTest>

#include "platform/random.h"
#include "platform/services.h"

using namespace platform;

namespace {
class FixedClock final : public Clock {
public:
    QTime time;
    QTime utcTimeOfDay() const override { return time; }
    QDate localDate() const override { return {2026, 12, 7}; }
    QString shortDateFormat() const override { return QStringLiteral("yyyy/MM/dd"); }
};
} // namespace

class tst_Random : public QObject {
    Q_OBJECT
private slots:
    void sequenceFromSeed_data();
    void sequenceFromSeed();
    void reseedUsesUtcMillisecondsSinceMidnight_data();
    void reseedUsesUtcMillisecondsSinceMidnight();
    void drawsStayBelowTheBound();
};

void tst_Random::sequenceFromSeed_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<quint32>("bound");
    QTest::addColumn<QList<quint32>>("states");
    QTest::addColumn<QList<quint32>>("draws");
    // Worked by hand: s1 = s0 * 134775813 + 1 (mod 2^32), draw = s1 * n >> 32.
    // Seed 0: s1 = 1, s2 = 134775814, s3 = 134775814 * 134775813 + 1 mod 2^32 = 3698175007.
    //   n = 100: 1*100>>32 = 0; 134775814*100>>32 = 3; 3698175007*100>>32 = 86.
    QTest::newRow("seed 0, below 100") << 0u << 100u << QList<quint32>{1u, 134775814u, 3698175007u}
                                       << QList<quint32>{0u, 3u, 86u};
    // Seed 1: s1 = 134775814, s2 = 3698175007, s3 = 3698175007 * 134775813 + 1 mod 2^32 = 870078620.
    //   n = 10: 0, 8, 2.
    QTest::newRow("seed 1, below 10") << 1u << 10u << QList<quint32>{134775814u, 3698175007u, 870078620u}
                                      << QList<quint32>{0u, 8u, 2u};
    // Seed 2^32-1: s1 = -134775813 + 1 = 4160191484; draw below 24 = 23.
    QTest::newRow("seed max, below 24") << 0xFFFFFFFFu << 24u << QList<quint32>{4160191484u}
                                        << QList<quint32>{23u};
}

void tst_Random::sequenceFromSeed()
{
    QFETCH(quint32, seed);
    QFETCH(quint32, bound);
    QFETCH(QList<quint32>, states);
    QFETCH(QList<quint32>, draws);
    Random r;
    r.state = seed;
    for (int i = 0; i < states.size(); ++i) {
        QCOMPARE(r.below(bound), draws[i]);
        QCOMPARE(r.state, states[i]);
    }
}

void tst_Random::reseedUsesUtcMillisecondsSinceMidnight_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<quint32>("state");
    QTest::newRow("midnight") << QTime(0, 0, 0, 0) << 0u;
    QTest::newRow("one ms") << QTime(0, 0, 0, 1) << 1u;
    QTest::newRow("12:34:56.789") << QTime(12, 34, 56, 789) << 45296789u;
    QTest::newRow("last ms of the day") << QTime(23, 59, 59, 999) << 86399999u;
}

void tst_Random::reseedUsesUtcMillisecondsSinceMidnight()
{
    QFETCH(QTime, time);
    QFETCH(quint32, state);
    FixedClock clock;
    clock.time = time;
    Services s;
    s.clock = &clock;
    ScopedServices scope(s);
    Random r;
    r.state = 12345;
    r.reseed();
    QCOMPARE(r.state, state);
}

void tst_Random::drawsStayBelowTheBound()
{
    Random r;
    r.state = 86399999;
    QList<int> seen(7, 0);
    for (int i = 0; i < 7000; ++i) {
        const int v = r.below(7);
        QVERIFY(v >= 0 && v < 7);
        ++seen[v];
    }
    for (int count : seen)
        QVERIFY2(count > 800, "every value is reached about equally often");
}

QTEST_GUILESS_MAIN(tst_Random)
#include "tst_random.moc"
