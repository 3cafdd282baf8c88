#pragma once

#include <QString>

// The level to suggest after a match, from the player's own history.
namespace match {

constexpr int kCalibrationDays = 30; // takes older than this are not looked at

// The rule as the player reads it on the end screen.
QString calibrationRule();

} // namespace match
