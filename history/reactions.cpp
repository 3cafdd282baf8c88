#include "reactions.h"

#include <QSqlQuery>
#include <QVariant>

#include "history/database.h"
#include "history/words.h"

namespace history {

QList<qint64> recentReactions(QSqlDatabase &db, const QDate &today, int days, qint64 skipSession)
{
    QList<qint64> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT ms_after_deciding FROM readings"
                             " WHERE outcome = ? AND ms_after_deciding IS NOT NULL"
                             " AND mode IN (?, ?, ?, ?) AND NOT (mode = ? AND session = ?)"
                             " AND played_at >= ?"));
    const QVariantList values = {
        word(Outcome::Right),
        word(Mode::GameS), word(Mode::GameM), word(Mode::GameL), word(Mode::Match),
        word(Mode::Match), skipSession,
        today.addDays(1 - days).toString(Qt::ISODate), // sorts before every time of that day
    };
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        return out;
    while (q.next())
        out << q.value(0).toLongLong();
    return out;
}

QList<qint64> recentReactions(const QDate &today, int days, qint64 skipSession)
{
    Database db(databasePath());
    if (!db.openForReading())
        return {};
    return recentReactions(db.db(), today, days, skipSession);
}

} // namespace history
