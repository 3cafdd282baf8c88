#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>

// The player's own reaction times, for the match's level suggestion.
namespace history {

// Milliseconds after the deciding point of the player's right takes in games
// and matches over the `days` days up to `today`, leaving out the match
// `skipSession` (its takes may still be on their way to the file). A quiz
// answer is a choice among rows, not a card taken from a floor: its time
// would pull the figure away from the opponent's scale.
QList<qint64> recentReactions(QSqlDatabase &db, const QDate &today, int days, qint64 skipSession);

// The same from the history file at databasePath(); empty when it cannot be read.
QList<qint64> recentReactions(const QDate &today, int days, qint64 skipSession);

} // namespace history
