#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

#include "history/words.h"
#include "platform/random.h"

// Which poems a learner is weakest on, for the training drill.
namespace history {

constexpr int kWeakDays = 30;         // takes older than this are not looked at
constexpr double kHalfLifeDays = 7.0; // a take's weight halves every week
constexpr qint64 kSlowMs = 3000;      // a right take this long after deciding counts as a miss
constexpr double kUnseenScore = 0.5;  // a poem not met in the window

struct WeakTake {
    int poem = 0;
    Outcome outcome = Outcome::Right;
    std::optional<qint64> msAfterDeciding;
    QDate day;
};

// The rule as the player reads it.
QString weakRuleShort();
QString weakRule();

// 1 for a miss or a time-out; a right take scores its time after deciding
// over kSlowMs, between 0 and 1.
double penalty(const WeakTake &take);

// Each poem's weighted mean penalty over the window (unseen: kUnseenScore);
// the n highest, poems of equal score in an order drawn from `rng`.
QList<int> rankWeakest(const QList<WeakTake> &takes, const QDate &today, int n, platform::Random &rng);

QList<WeakTake> loadRecentTakes(QSqlDatabase &db, const QDate &today);
// The same from the file at `path`, opened read-only with a connection of the
// calling thread's own; empty when it cannot be read.
QList<WeakTake> readRecentTakes(const QString &path, const QDate &today);

// The n weakest poems after the history file at databasePath(); with no
// history readable, n poems drawn from all hundred.
QList<int> weakestPoems(const QDate &today, int n, platform::Random &rng);

} // namespace history
