#include "playerstore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <functional>

#include "history/database.h"

namespace history {

namespace {

const QString kRetention = QStringLiteral("review.retention");
const QString kNewPerDay = QStringLiteral("review.new_per_day");

QString cannotWrite(const QString &detail)
{
    return QStringLiteral("学習記録のファイルに書き込めませんでした。\n%1").arg(detail);
}

// Runs `write` on a connection that may write; its outcome in the player's words.
QString writing(const QString &path, const std::function<QString(QSqlQuery &)> &write)
{
    Database db(path);
    if (db.open() != OpenResult::Ok)
        return cannotWrite(db.trouble() != Trouble::None && db.trouble() != Trouble::Other ? troubleText(db.trouble())
                                                                                           : db.lastError());
    QSqlQuery q(db.db());
    return write(q);
}

} // namespace

QList<OwnSet> loadOwnSets(const QString &path)
{
    QList<OwnSet> sets;
    Database db(path);
    if (!db.openForReading())
        return sets;
    QSqlQuery q(db.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, name, poems FROM own_sets ORDER BY id")))
        return sets; // a file from before the sets
    QStringList names;
    while (q.next()) {
        const QString name = q.value(1).toString();
        const ParsedLine line = parseSetLine(q.value(2).toString());
        if (!line.problem.isEmpty() || !line.name.isEmpty() || !nameProblem(name, names).isEmpty())
            continue;
        names << name.trimmed();
        sets.append({q.value(0).toLongLong(), name.trimmed(), line.poems});
    }
    return sets;
}

QString saveOwnSet(const QString &path, OwnSet &set)
{
    Q_ASSERT(nameProblem(set.name, {}).isEmpty() && poemsProblem(set.poems).isEmpty());
    return writing(path, [&set](QSqlQuery &q) -> QString {
        q.prepare(QStringLiteral("INSERT INTO own_sets (id, name, poems) VALUES (?, ?, ?)"
                                 " ON CONFLICT (id) DO UPDATE SET name = excluded.name, poems = excluded.poems"));
        q.addBindValue(set.id > 0 ? QVariant(set.id) : QVariant(QMetaType::fromType<qint64>()));
        q.addBindValue(set.name.trimmed());
        q.addBindValue(setLine({}, set.poems));
        if (!q.exec()) {
            // SQLITE_CONSTRAINT or its _UNIQUE form: another copy of the
            // program took the name first.
            const QString code = q.lastError().nativeErrorCode();
            if (code == QLatin1String("19") || code == QLatin1String("2067"))
                return nameProblem(set.name, {set.name});
            return cannotWrite(q.lastError().text());
        }
        if (set.id <= 0)
            set.id = q.lastInsertId().toLongLong();
        return {};
    });
}

QString deleteOwnSet(const QString &path, qint64 id)
{
    return writing(path, [id](QSqlQuery &q) -> QString {
        q.prepare(QStringLiteral("DELETE FROM own_sets WHERE id = ?"));
        q.addBindValue(id);
        return q.exec() ? QString() : cannotWrite(q.lastError().text());
    });
}

ReviewOptions loadReviewOptions(const QString &path)
{
    ReviewOptions options;
    Database db(path);
    if (!db.openForReading())
        return options;
    QSqlQuery q(db.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT name, value FROM options")))
        return options;
    while (q.next()) {
        bool ok = false;
        if (q.value(0).toString() == kRetention) {
            const double r = q.value(1).toString().toDouble(&ok);
            if (ok && std::isfinite(r))
                options.retention = std::clamp(r, kRetentionMin, kRetentionMax);
        } else if (q.value(0).toString() == kNewPerDay) {
            const int n = q.value(1).toString().toInt(&ok);
            if (ok)
                options.newPerDay = std::clamp(n, 0, kNewPerDayMax);
        }
    }
    return options;
}

QString saveReviewOptions(const QString &path, const ReviewOptions &options)
{
    return writing(path, [&options](QSqlQuery &q) -> QString {
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO options (name, value) VALUES (?, ?), (?, ?)"));
        q.addBindValue(kRetention);
        q.addBindValue(QString::number(options.retention, 'g', 4));
        q.addBindValue(kNewPerDay);
        q.addBindValue(QString::number(options.newPerDay));
        return q.exec() ? QString() : cannotWrite(q.lastError().text());
    });
}

} // namespace history
