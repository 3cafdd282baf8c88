// The learning history's costs on the UI thread.
//
// BM_InsertOnUiThread: one take written and committed directly (what a tick
// or click would wait for without the writer thread) - the baseline; max_us
// is the longest single insert.
// BM_RecordOnUiThread: one take handed to the program's recorder, which
// writes it on its worker thread; the counter max_us is the longest single
// hand-over seen.
// BM_OpenStatsWindow/<rows>: the statistics window shown and painted over a
// history of that many takes (0 as the baseline, 100000 and 1000000): the
// time until the player sees it, while its figures are read on their own
// thread; filled_ms is the time until they are painted in it.
// BM_LoadStatistics/<rows>: the figures gathered without the window.
// BM_StartRecorder/<rows>: how long start() holds the window thread over a
// history of that many takes, beside the synchronous open and quick check it
// replaced (sync_ms, run in the same iterations); held_ratio is the one over
// the other, ready_ms the time until started() says the file is fit.
// BM_ReadRecentTakes/<rows>: the drill's read of the last 30 days, on a pool
// thread; BM_RankWeakest/<rows>: their ranking, on the window thread when
// they arrive and at every change of N.
// BM_RecentReactions/<rows>: the match's calibration, read (on a pool thread
// since) when the match ends.
// BM_ShowQuiz/<rows>: the quiz shown and painted after a take was written,
// over a history of that many takes (0 as the baseline, 1000000): held_ms is
// how long the window thread is held, against sync_ms, the schedule worked
// out in the show handler as before (run in the same iterations; held_ratio
// the one over the other); ready_ms is the time until 今日の復習 has its figures.
//   QT_QPA_PLATFORM=offscreen bench_history
#include <benchmark/benchmark.h>

#include "peakmemory.h"
#include "widgetbench.h"

#include <QApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <chrono>
#include <memory>

#include "deck/poemtable.h"
#include "history/database.h"
#include "history/reactions.h"
#include "history/stats.h"
#include "history/tf_stats.h"
#include "history/weak.h"
#include "history/schedule.h"
#include "history/schedulecache.h"
#include "history/writer.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/gui/fonts.h"
#include "training/tf_training.h"
#include "voice/speaker.h"

namespace {

history::Take sampleTake(int i)
{
    history::Take t;
    t.mode = history::Mode::GameS;
    t.session = 1;
    t.poem = i % 100 + 1;
    t.outcome = i % 4 ? history::Outcome::Right : history::Outcome::Wrong;
    t.chosen = i % 4 ? 0 : (i + 7) % 100 + 1;
    t.ticks = i % 73;
    t.ms = 150 * (i % 73);
    t.msAfterDeciding = 150 * (i % 73) - 900;
    return t;
}

void BM_InsertOnUiThread(benchmark::State &state)
{
    QTemporaryDir dir;
    history::Database db(dir.filePath(QStringLiteral("history.sqlite")));
    if (db.open() != history::OpenResult::Ok) {
        state.SkipWithError("cannot open");
        return;
    }
    int i = 0;
    double maxUs = 0;
    const QDateTime now = QDateTime::currentDateTime();
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(db.insert(sampleTake(i++), now));
        maxUs = std::max(maxUs, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
    }
    state.counters["max_us"] = maxUs;
}
BENCHMARK(BM_InsertOnUiThread)->Unit(benchmark::kMicrosecond);

void BM_RecordOnUiThread(benchmark::State &state)
{
    QTemporaryDir dir;
    history::SqliteRecorder recorder(dir.filePath(QStringLiteral("history.sqlite")));
    recorder.start();
    if (!recorder.waitUntilStarted()) {
        state.SkipWithError("cannot open");
        return;
    }
    int i = 0;
    double maxUs = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        recorder.record(sampleTake(i++));
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        maxUs = std::max(maxUs, us);
        // A game judges one take per reading; let the writer keep up as it would.
        if (i % 256 == 0) {
            state.PauseTiming();
            recorder.flush();
            state.ResumeTiming();
        }
    }
    recorder.flush();
    state.counters["max_us"] = maxUs;
}
BENCHMARK(BM_RecordOnUiThread)->Unit(benchmark::kMicrosecond);

// A year of takes spread over every mode, poem and outcome, written once
// per size for all the benchmarks: one transaction, one prepared insert.
QString historyOf(int rows)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history-%1.sqlite").arg(rows));
    if (QFile::exists(path))
        return path;
    history::Database db(path);
    if (db.open() != history::OpenResult::Ok)
        return path;
    QSqlQuery(db.db()).exec(QStringLiteral("BEGIN"));
    QSqlQuery insert(db.db());
    insert.prepare(QStringLiteral("INSERT INTO readings (played_at, mode, session, poem, outcome, chosen, ticks, ms,"
                                  " ms_after_deciding, deciding) VALUES (?, ?, 1, ?, ?, ?, ?, ?, ?, 'spelled')"));
    platform::Random rng{20261207};
    const QDate start = QDate::currentDate().addDays(-365);
    const QString modes[] = {history::word(history::Mode::GameS), history::word(history::Mode::GameM),
                             history::word(history::Mode::GameL), history::word(history::Mode::Training)};
    const QString outcomes[] = {history::word(history::Outcome::Right), history::word(history::Outcome::Wrong),
                                history::word(history::Outcome::Timeout)};
    const QVariant none(QMetaType::fromType<int>());
    QString day;
    qint64 dayNumber = -1;
    for (int i = 0; i < rows; ++i) {
        const qint64 second = qint64(i) * 365 * 86400 / std::max(rows, 1);
        if (second / 86400 != dayNumber) {
            dayNumber = second / 86400;
            day = start.addDays(dayNumber).toString(Qt::ISODate);
        }
        const int s = int(second % 86400);
        const int r = rng.below(10);
        const int outcome = r < 7 ? 0 : r < 9 ? 1 : 2;
        insert.bindValue(0, QStringLiteral("%1T%2:%3:%4+09:00")
                                .arg(day)
                                .arg(s / 3600, 2, 10, QLatin1Char('0'))
                                .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(s % 60, 2, 10, QLatin1Char('0')));
        insert.bindValue(1, modes[rng.below(4)]);
        insert.bindValue(2, rng.below(100) + 1);
        insert.bindValue(3, outcomes[outcome]);
        insert.bindValue(4, outcome == 1 ? QVariant(rng.below(100) + 1) : none);
        insert.bindValue(5, i % 73);
        insert.bindValue(6, 150 * (i % 73));
        insert.bindValue(7, outcome == 2 ? none : QVariant(rng.below(4000) - 500));
        insert.exec();
    }
    QSqlQuery(db.db()).exec(QStringLiteral("COMMIT"));
    return path;
}

// The process's peak since the last reset, and its ratio to the same
// benchmark's over the empty history (run first, in the same process).
void peakAgainstEmpty(benchmark::State &state, const char *what)
{
    static QHash<QByteArray, double> empty;
    const double peak = bench::peakMemoryMb();
    if (state.range(0) == 0)
        empty[what] = peak;
    state.counters["peak_mb"] = peak;
    if (empty.value(what) > 0)
        state.counters["peak_ratio"] = peak / empty.value(what);
}

// Every history written before anything is measured, so that none of the
// writing's memory counts in a peak.
void BM_WriteHistories(benchmark::State &state)
{
    for (auto _ : state)
        for (int rows : {0, 100000, 1000000})
            historyOf(rows);
}
BENCHMARK(BM_WriteHistories)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OpenStatsWindow(benchmark::State &state)
{
    history::setDatabasePath(historyOf(static_cast<int>(state.range(0))));
    TF_Stats w(platform::services(), deck::PoemTable);
    double filledMs = 0;
    bench::resetPeakMemory();
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        w.show();
        w.repaint();
        state.PauseTiming();
        w.waitUntilLoaded();
        w.repaint();
        filledMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        w.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["takes"] = w.statistics().total;
    state.counters["filled_ms"] = filledMs / double(state.iterations());
    peakAgainstEmpty(state, "stats");
    history::setDatabasePath(QStringLiteral("history.sqlite"));
}

void BM_LoadStatistics(benchmark::State &state)
{
    history::Database db(historyOf(static_cast<int>(state.range(0))));
    db.openForReading();
    for (auto _ : state)
        benchmark::DoNotOptimize(history::loadStatistics(db.db(), {}).total);
}
void BM_StartRecorder(benchmark::State &state)
{
    using Ms = std::chrono::duration<double, std::milli>;
    const QString path = historyOf(static_cast<int>(state.range(0)));
    double held = 0, sync = 0, ready = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        auto recorder = std::make_unique<history::SqliteRecorder>(path);
        recorder->start();
        const auto t1 = std::chrono::steady_clock::now();
        state.PauseTiming();
        if (!recorder->waitUntilStarted()) {
            state.SkipWithError("cannot open");
            return;
        }
        held += Ms(t1 - t0).count();
        ready += Ms(std::chrono::steady_clock::now() - t0).count();
        recorder.reset();
        const auto t2 = std::chrono::steady_clock::now();
        {
            history::Database db(path);
            if (db.open(true) != history::OpenResult::Ok) {
                state.SkipWithError("cannot open");
                return;
            }
        }
        sync += Ms(std::chrono::steady_clock::now() - t2).count();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["sync_ms"] = sync / n;
    state.counters["ready_ms"] = ready / n;
    state.counters["held_ratio"] = held / sync;
}
BENCHMARK(BM_StartRecorder)->Arg(0)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadRecentTakes(benchmark::State &state)
{
    const QString path = historyOf(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(history::readRecentTakes(path, QDate::currentDate()).size());
}
BENCHMARK(BM_ReadRecentTakes)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RankWeakest(benchmark::State &state)
{
    const QDate today = QDate::currentDate();
    const QList<history::WeakTake> takes = history::readRecentTakes(historyOf(static_cast<int>(state.range(0))), today);
    platform::Random rng{1};
    for (auto _ : state)
        benchmark::DoNotOptimize(history::rankWeakest(takes, today, 100, rng).size());
    state.counters["takes"] = double(takes.size());
}
BENCHMARK(BM_RankWeakest)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_RecentReactions(benchmark::State &state)
{
    history::setDatabasePath(historyOf(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(history::recentReactions(QDate::currentDate(), 30, 0).size());
    history::setDatabasePath(QStringLiteral("history.sqlite"));
}
BENCHMARK(BM_RecentReactions)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK(BM_LoadStatistics)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ShowQuiz(benchmark::State &state)
{
    using Ms = std::chrono::duration<double, std::milli>;
    history::setDatabasePath(historyOf(static_cast<int>(state.range(0))));
    platform::Random rng{1};
    TF_Training w({platform::services(), rng, history::recorder(), voice::options(), deck::PoemTable});
    double held = 0, ready = 0, sync = 0;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::resetPeakMemory();
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        w.show();
        w.repaint();
        const auto t1 = std::chrono::steady_clock::now();
        state.PauseTiming();
        w.schedules().wait();
        ready += Ms(std::chrono::steady_clock::now() - t0).count();
        held += Ms(t1 - t0).count();
        w.hide();
        QCoreApplication::processEvents();
        peak = std::max(peak, bench::peakMemoryMb());
        // What the show handler did before: the whole history listed and replayed.
        const auto t2 = std::chrono::steady_clock::now();
        {
            history::Database db(history::databasePath());
            if (db.openForReading())
                benchmark::DoNotOptimize(history::buildSchedule(history::loadReviewTakes(db.db()), history::Fsrs()));
        }
        sync += Ms(std::chrono::steady_clock::now() - t2).count();
        w.schedules().takeWritten(); // the next show finds the history changed
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["held_ms"] = held / n;
    state.counters["ready_ms"] = ready / n;
    state.counters["sync_ms"] = sync / n;
    state.counters["held_ratio"] = held / std::max(sync, 1e-3);
    static double emptyPeak = 0;
    if (state.range(0) == 0)
        emptyPeak = peak;
    state.counters["peak_mb"] = peak; // the quiz shown and its review worked out
    if (emptyPeak > 0)
        state.counters["peak_ratio"] = peak / emptyPeak;
    history::setDatabasePath(QStringLiteral("history.sqlite"));
}
BENCHMARK(BM_ShowQuiz)->Arg(0)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK(BM_OpenStatsWindow)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return bench::runWidgetBenchmarks(argc, argv);
}
