#include "calibration.h"

namespace match {

QString calibrationRule()
{
    return QStringLiteral("（直近%1日のゲーム・練習試合で取った札の\n反応の中央値に近いレベル）").arg(kCalibrationDays);
}

} // namespace match
