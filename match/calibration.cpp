#include "calibration.h"

#include <QSqlQuery>
#include <QVariant>

#include "history/database.h"

namespace match {

QString calibrationRule()
{
    return QStringLiteral("（直近%1日のゲーム・練習試合で取った札の\n反応の中央値に近いレベル）").arg(kCalibrationDays);
}

QList<qint64> recentReactions(QSqlDatabase &db, const QDate &today, qint64 skipSession)
{
    QList<qint64> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // A quiz answer is a choice among rows, not a card taken from a floor:
    // its time would pull the figure away from the opponent's scale.
    q.prepare(QStringLiteral("SELECT ms_after_deciding FROM readings"
                             " WHERE outcome = 'right' AND ms_after_deciding IS NOT NULL"
                             " AND (substr(mode, 1, 5) = 'game-' OR mode = 'match')"
                             " AND NOT (mode = 'match' AND session = ?)"
                             " AND substr(played_at, 1, 10) > ?"));
    q.bindValue(0, skipSession);
    q.bindValue(1, today.addDays(-kCalibrationDays).toString(Qt::ISODate));
    if (!q.exec())
        return out;
    while (q.next())
        out << q.value(0).toLongLong();
    return out;
}

QList<qint64> recentReactions(const QDate &today, qint64 skipSession)
{
    history::Database db(history::databasePath());
    if (!db.openForReading())
        return {};
    return recentReactions(db.db(), today, skipSession);
}

} // namespace match
