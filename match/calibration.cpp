#include "calibration.h"

#include <algorithm>

#include "match/opponent.h"

namespace match {

namespace {
// The level's median over the median of the player's takes at which the
// player wins about half the matches; measured with bench_opponent.
constexpr double kEvenRatio = 1.14;
// Without a take the match was far too quick: a third slower, about as far
// as the share of wins takes to run from nothing to even.
constexpr int kStepDown = 15;
} // namespace

int adviseLevel(const QList<qint64> &reactionsMs, int current)
{
    const std::optional<qint64> mid = median(reactionsMs);
    if (!mid)
        return std::max(1, current - kStepDown);
    return levelNearest(double(*mid) * kEvenRatio);
}

QString calibrationRule(const QList<qint64> &reactionsMs)
{
    if (reactionsMs.isEmpty())
        return QStringLiteral("（取った札がまだないため、\n今のレベルから%1下げた目安）").arg(kStepDown);
    return QStringLiteral("（直近%1日のゲーム・練習試合で取った札の\n反応の中央値から、五分に戦えるレベル）")
        .arg(kCalibrationDays);
}

} // namespace match
