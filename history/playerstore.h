#pragma once

#include <QList>
#include <QString>

#include "history/ownsets.h"
#include "history/schedule.h"

// What the player keeps in the history file beside the takes: their own
// sets (table own_sets) and the review's options (table options). Each call
// opens its own connection on the calling thread; a save creates or
// migrates the file as the recorder would.
namespace history {

constexpr double kRetentionMin = 0.80;
constexpr double kRetentionMax = 0.97;
constexpr int kNewPerDayMax = 20;

// Reads only. Empty when the file, its table or its rows are missing or
// unreadable; a row that breaks the set rules (edited by hand) is left out.
QList<OwnSet> loadOwnSets(const QString &path);

// Both return why it failed, in the player's words, or an empty string.
// A set of id 0 is added and gets its row's id; another is replaced.
QString saveOwnSet(const QString &path, OwnSet &set);
QString deleteOwnSet(const QString &path, qint64 id);

// The defaults for what the file does not hold; stored values are brought
// into kRetentionMin .. kRetentionMax and 0 .. kNewPerDayMax.
ReviewOptions loadReviewOptions(const QString &path);
QString saveReviewOptions(const QString &path, const ReviewOptions &options);

} // namespace history
