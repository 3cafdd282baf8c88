#pragma once

#include <QList>
#include <QString>

// The level to suggest after a match, from the player's own history.
namespace match {

constexpr int kCalibrationDays = 30; // takes older than this are not looked at

// The level at which a player whose recent takes came `reactionsMs` after
// the deciding moment wins about half the matches. Takes in a match are
// only the cards the player won the race for, so their median runs below
// the player's true pace by about as much as the opponent's own takes run
// below its level in an even match; the advice matches the two. With no
// take at all: a few levels below `current`.
int adviseLevel(const QList<qint64> &reactionsMs, int current);

// The rule as the player reads it on the end screen, for the advice given
// from `reactionsMs`.
QString calibrationRule(const QList<qint64> &reactionsMs);

} // namespace match
