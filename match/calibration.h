#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The level to suggest after a match, from the player's own history.
namespace match {

constexpr int kCalibrationDays = 30; // takes older than this are not looked at

// The rule as the player reads it on the end screen.
QString calibrationRule();

// Milliseconds after the deciding point of the player's own takes in games
// and matches over the last kCalibrationDays, leaving out the match
// `skipSession` (its takes may still be on their way to the file).
QList<qint64> recentReactions(QSqlDatabase &db, const QDate &today, qint64 skipSession);

// The same from the history file at history::databasePath(); empty when
// there is none.
QList<qint64> recentReactions(const QDate &today, qint64 skipSession);

} // namespace match
