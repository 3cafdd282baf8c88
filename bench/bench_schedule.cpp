// The review schedule built from the whole history, against the statistics
// gathered from the same rows in the same run.
//
// BM_LoadStatistics/<rows>: the statistics window's figures - the baseline.
// BM_BuildSchedule/<rows>: every take read into a list, then every poem's
// memory replayed (what the program did before it streamed the takes).
// BM_StreamSchedule/<rows>: the program's schedule, folded as the takes come
// out of the file; the target is under 50 ms for 100,000 rows. Its CPU time
// and its peak memory at 1,000,000 rows against 0 rows in the same run:
// cpu_ratio, and peak_ratio / peak_mb (the whole process's VmHWM, which the
// empty history's run sets; every history is written before the first
// measurement). BM_BuildSchedule and BM_LoadStatistics report their peaks
// against the same empty run.
//   bench_schedule --benchmark_filter='Stream|Build|Load'
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>

#include "history/database.h"
#include "history/schedule.h"
#include "history/stats.h"
#include "peakmemory.h"
#include "platform/random.h"

namespace {

// A year of takes over every mode, a tenth of them in matches with a fault
// now and then, written once per size.
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
                                  " ms_after_deciding, deciding, extra) VALUES (?, ?, 1, ?, ?, NULL, NULL, 1000, ?, 'spelled', ?)"));
    platform::Random rng{20261207};
    const QDate start = QDate::currentDate().addDays(-365);
    using history::word;
    const QString modes[] = {word(history::Mode::GameS), word(history::Mode::Training), word(history::Mode::Match)};
    const QString outcomes[] = {word(history::Outcome::Right), word(history::Outcome::Wrong),
                                word(history::Outcome::Timeout), word(history::Outcome::Dead)};
    const QVariant none(QMetaType::fromType<QString>());
    QString day;
    qint64 dayNumber = -1;
    for (int i = 0; i < rows; ++i) {
        const qint64 second = qint64(i) * 365 * 86400 / std::max(rows, 1);
        if (second / 86400 != dayNumber) {
            dayNumber = second / 86400;
            day = start.addDays(dayNumber).toString(Qt::ISODate);
        }
        const int r = rng.below(10);
        const int outcome = r < 7 ? 0 : r < 8 ? 1 : r < 9 ? 2 : 3;
        const int mode = rng.below(10) == 0 ? 2 : rng.below(2);
        const int s = int(second % 86400);
        insert.bindValue(0, QStringLiteral("%1T%2:%3:%4+09:00")
                                .arg(day)
                                .arg(s / 3600, 2, 10, QLatin1Char('0'))
                                .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(s % 60, 2, 10, QLatin1Char('0')));
        insert.bindValue(1, modes[mode]);
        insert.bindValue(2, rng.below(100) + 1);
        insert.bindValue(3, outcomes[outcome]);
        insert.bindValue(4, outcome == 2 ? QVariant(QMetaType::fromType<int>()) : QVariant(rng.below(4000) - 500));
        insert.bindValue(5, mode == 2 ? QVariant(rng.below(20) ? QStringLiteral("{\"player_fault\":false,\"level\":3}")
                                                               : QStringLiteral("{\"player_fault\":true,\"level\":3}"))
                                      : none);
        insert.exec();
    }
    QSqlQuery(db.db()).exec(QStringLiteral("COMMIT"));
    return path;
}

// The empty history's figures, which the larger ones are set against.
struct Baseline {
    double cpuMs = 0;
    double peakMb = 0;
};
Baseline &emptyRun()
{
    static Baseline b;
    return b;
}

// Runs `work` once per iteration and reports its CPU time and the process's
// peak memory, as ratios to the 0-row run of the streamed schedule.
template <typename Work>
void measured(benchmark::State &state, Work &&work, bool baseline = false)
{
    const QString path = historyOf(static_cast<int>(state.range(0)));
    double peak = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::resetPeakMemory();
        const std::clock_t c0 = std::clock();
        state.ResumeTiming();
        work(path);
        state.PauseTiming();
        cpuMs += 1000.0 * double(std::clock() - c0) / CLOCKS_PER_SEC;
        peak = std::max(peak, bench::peakMemoryMb());
        state.ResumeTiming();
    }
    cpuMs /= double(state.iterations());
    if (baseline && state.range(0) == 0)
        emptyRun() = {cpuMs, peak};
    state.counters["cpu_ms"] = cpuMs;
    state.counters["peak_mb"] = peak;
    if (emptyRun().peakMb > 0) {
        state.counters["peak_ratio"] = peak / emptyRun().peakMb;
        state.counters["cpu_ratio"] = cpuMs / std::max(emptyRun().cpuMs, 1e-3);
    }
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

void BM_StreamSchedule(benchmark::State &state)
{
    const history::Fsrs fsrs;
    int met = 0;
    measured(
        state,
        [&](const QString &path) {
            const history::Schedule s = history::scheduleFromHistory(fsrs, path);
            met = int(std::count_if(s.poems.begin(), s.poems.end(), [](const auto &p) { return p.met(); }));
            benchmark::DoNotOptimize(met);
        },
        true);
    state.counters["poems"] = met;
}
BENCHMARK(BM_StreamSchedule)->Arg(0)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BuildSchedule(benchmark::State &state)
{
    const history::Fsrs fsrs;
    measured(state, [&](const QString &path) {
        history::Database db(path);
        db.openForReading();
        const history::Schedule s = history::buildSchedule(history::loadReviewTakes(db.db()), fsrs);
        benchmark::DoNotOptimize(s.poems[0].reviews);
    });
}
BENCHMARK(BM_BuildSchedule)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadStatistics(benchmark::State &state)
{
    measured(state, [](const QString &path) {
        history::Database db(path);
        db.openForReading();
        benchmark::DoNotOptimize(history::loadStatistics(db.db(), {}).total);
    });
}
BENCHMARK(BM_LoadStatistics)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
