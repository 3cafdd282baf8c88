#include <QtTest>

#include "platform/ui/ticktimer.h"

using platform::ui::TickTimer;

// What the windows rely on: it ticks while running, not after stop, keeps
// QTimer's restart on a new interval, and an interval of 0 never runs.
class tst_TickTimer : public QObject {
    Q_OBJECT
private slots:
    void ticksUntilStopped();
    void aNewIntervalRestartsARunningTimer();
    void intervalZeroStaysStopped();
};

void tst_TickTimer::ticksUntilStopped()
{
    TickTimer timer;
    QSignalSpy ticks(&timer, &TickTimer::timeout);
    timer.start(5);
    QVERIFY(timer.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 3, 5000);
    timer.stop();
    QVERIFY(!timer.isActive());
    const qsizetype stoppedAt = ticks.count();
    QTest::qWait(30);
    QCOMPARE(ticks.count(), stoppedAt);
}

void tst_TickTimer::aNewIntervalRestartsARunningTimer()
{
    TickTimer timer;
    QSignalSpy ticks(&timer, &TickTimer::timeout);
    timer.start(60000);
    timer.setInterval(5);
    QCOMPARE(timer.interval(), 5);
    QVERIFY(timer.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, 5000);
}

void tst_TickTimer::intervalZeroStaysStopped()
{
    TickTimer timer;
    QSignalSpy ticks(&timer, &TickTimer::timeout);
    timer.start(5);
    timer.setInterval(0);
    QVERIFY(!timer.isActive());
    timer.start();
    QVERIFY(!timer.isActive());
    QTest::qWait(30);
    QCOMPARE(ticks.count(), 0);
}

QTEST_MAIN(tst_TickTimer)
#include "tst_ticktimer.moc"
