// The learning history's costs on the UI thread.
//
// BM_InsertOnUiThread: one take written and committed directly (what a tick
// or click would wait for without the writer thread) - the baseline; max_us
// is the longest single insert.
// BM_RecordOnUiThread: one take handed to the program's recorder, which
// writes it on its worker thread; the counter max_us is the longest single
// hand-over seen.
// BM_OpenStatsWindow/<rows>: the statistics window shown and painted over a
// history of that many takes (0 as the baseline, 100000 for the target).
//   QT_QPA_PLATFORM=offscreen bench_history
#include <benchmark/benchmark.h>

#include "widgetbench.h"

#include <QApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <chrono>

#include "deck/poemtable.h"
#include "history/database.h"
#include "history/stats.h"
#include "history/tf_stats.h"
#include "history/writer.h"
#include "platform/random.h"
#include "platform/gui/fonts.h"

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
    if (!recorder.start()) {
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

// A year of takes spread over every mode, poem and outcome.
void fillHistory(const QString &path, int rows)
{
    history::Database db(path);
    if (db.open() != history::OpenResult::Ok)
        return;
    QSqlQuery(db.db()).exec(QStringLiteral("BEGIN"));
    platform::Random rng{20261207};
    const QDateTime start = QDateTime::currentDateTime().addDays(-365);
    const history::Mode modes[] = {history::Mode::GameS, history::Mode::GameM, history::Mode::GameL, history::Mode::Training};
    for (int i = 0; i < rows; ++i) {
        history::Take t = sampleTake(i);
        t.mode = modes[rng.below(4)];
        t.poem = rng.below(100) + 1;
        const int r = rng.below(10);
        t.outcome = r < 7 ? history::Outcome::Right : r < 9 ? history::Outcome::Wrong : history::Outcome::Timeout;
        t.chosen = t.outcome == history::Outcome::Wrong ? rng.below(100) + 1 : 0;
        t.msAfterDeciding = t.outcome == history::Outcome::Timeout ? std::nullopt : std::optional<qint64>(rng.below(4000) - 500);
        db.insert(t, start.addSecs(qint64(i) * 365 * 86400 / std::max(rows, 1)));
    }
    QSqlQuery(db.db()).exec(QStringLiteral("COMMIT"));
}

void BM_OpenStatsWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    history::setDatabasePath(dir.filePath(QStringLiteral("history.sqlite")));
    fillHistory(history::databasePath(), static_cast<int>(state.range(0)));
    TF_Stats w;
    for (auto _ : state) {
        w.show();
        w.repaint();
        state.PauseTiming();
        w.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["takes"] = w.statistics().total;
    history::setDatabasePath(QStringLiteral("history.sqlite"));
}
// The statistics alone, without the window.
void BM_LoadStatistics(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    fillHistory(path, static_cast<int>(state.range(0)));
    history::Database db(path);
    db.openForReading();
    for (auto _ : state)
        benchmark::DoNotOptimize(history::loadStatistics(db.db(), {}).total);
}
BENCHMARK(BM_LoadStatistics)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK(BM_OpenStatsWindow)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    return bench::runWidgetBenchmarks(argc, argv);
}
