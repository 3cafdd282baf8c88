// The review schedule built from the whole history, against the statistics
// gathered from the same rows in the same run.
//
// BM_LoadStatistics/<rows>: the statistics window's figures - the baseline.
// BM_BuildSchedule/<rows>: every take read and every poem's memory replayed;
// the target is under 50 ms for 100,000 rows.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "history/database.h"
#include "history/schedule.h"
#include "history/stats.h"
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
    for (int i = 0; i < rows; ++i) {
        const qint64 second = qint64(i) * 365 * 86400 / std::max(rows, 1);
        const int r = rng.below(10);
        const int outcome = r < 7 ? 0 : r < 8 ? 1 : r < 9 ? 2 : 3;
        const int mode = rng.below(10) == 0 ? 2 : rng.below(2);
        insert.bindValue(0, start.addDays(second / 86400).toString(Qt::ISODate)
                                + QTime(0, 0).addSecs(int(second % 86400)).toString(QStringLiteral("'T'HH:mm:ss'+09:00'")));
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

void BM_LoadStatistics(benchmark::State &state)
{
    history::Database db(historyOf(static_cast<int>(state.range(0))));
    db.openForReading();
    for (auto _ : state)
        benchmark::DoNotOptimize(history::loadStatistics(db.db(), {}).total);
}
BENCHMARK(BM_LoadStatistics)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_BuildSchedule(benchmark::State &state)
{
    history::Database db(historyOf(static_cast<int>(state.range(0))));
    db.openForReading();
    const history::Fsrs fsrs;
    int met = 0;
    for (auto _ : state) {
        const history::Schedule s = history::buildSchedule(history::loadReviewTakes(db.db()), fsrs);
        met = int(std::count_if(s.poems.begin(), s.poems.end(), [](const auto &p) { return p.met(); }));
        benchmark::DoNotOptimize(met);
    }
    state.counters["poems"] = met;
}
BENCHMARK(BM_BuildSchedule)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
