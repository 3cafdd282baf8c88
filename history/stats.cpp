#include "stats.h"

#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>

namespace history {
namespace {

// The WHERE clause and its bound values for a filter.
struct Where {
    QString sql;
    QVariantList values;
};

Where whereOf(const Filter &f)
{
    Where w;
    QStringList parts;
    if (f.from) {
        parts << QStringLiteral("substr(played_at, 1, 10) >= ?");
        w.values << f.from->toString(Qt::ISODate);
    }
    if (f.to) {
        parts << QStringLiteral("substr(played_at, 1, 10) <= ?");
        w.values << f.to->toString(Qt::ISODate);
    }
    if (f.mode.endsWith(QLatin1Char('-'))) {
        parts << QStringLiteral("substr(mode, 1, ?) = ?");
        w.values << int(f.mode.size()) << f.mode;
    } else if (!f.mode.isEmpty()) {
        parts << QStringLiteral("mode = ?");
        w.values << f.mode;
    }
    w.sql = parts.isEmpty() ? QStringLiteral("1") : parts.join(QStringLiteral(" AND "));
    return w;
}

QSqlQuery run(QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        qWarning("history: %s", qUtf8Printable(q.lastError().text()));
    return q;
}

// Median of the right takes' ms after deciding per group, computed by SQLite
// (the middle one, or the mean of the two middle ones, rounded down).
QString medianSql(const QString &group, const QString &where)
{
    return QStringLiteral("WITH r AS (SELECT %1 AS g, ms_after_deciding AS m,"
                          " row_number() OVER (PARTITION BY %1 ORDER BY ms_after_deciding) AS rn,"
                          " count(*) OVER (PARTITION BY %1) AS c"
                          " FROM readings WHERE %2 AND outcome = 'right' AND ms_after_deciding IS NOT NULL)"
                          " SELECT g, CAST(floor(avg(m)) AS INTEGER) FROM r WHERE rn IN ((c + 1) / 2, (c + 2) / 2) GROUP BY g")
        .arg(group, where);
}

QString csvField(const QVariant &v)
{
    if (v.isNull())
        return {};
    QString s = v.toString();
    if (s.contains(QLatin1Char(',')) || s.contains(QLatin1Char('"')) || s.contains(QLatin1Char('\n'))
        || s.contains(QLatin1Char('\r'))) {
        s.replace(QLatin1String("\""), QLatin1String("\"\""));
        s = QLatin1Char('"') + s + QLatin1Char('"');
    }
    return s;
}

} // namespace

Statistics loadStatistics(QSqlDatabase &db, const Filter &filter)
{
    Statistics st;
    for (int i = 0; i < 100; ++i)
        st.poems[static_cast<std::size_t>(i)].poem = i + 1;
    const Where w = whereOf(filter);

    QSqlQuery q = run(db,
                      QStringLiteral("SELECT poem, count(*), sum(outcome = 'right'), max(played_at) FROM readings"
                                     " WHERE %1 GROUP BY poem")
                          .arg(w.sql),
                      w.values);
    while (q.next()) {
        const int p = q.value(0).toInt();
        if (p < 1 || p > 100)
            continue;
        PoemStats &s = st.poems[static_cast<std::size_t>(p - 1)];
        s.times = q.value(1).toInt();
        s.right = q.value(2).toInt();
        s.lastSeen = q.value(3).toString();
        st.total += s.times;
    }
    q = run(db, medianSql(QStringLiteral("poem"), w.sql), w.values);
    while (q.next()) {
        const int p = q.value(0).toInt();
        if (p >= 1 && p <= 100)
            st.poems[static_cast<std::size_t>(p - 1)].medianMs = q.value(1).toLongLong();
    }

    const QString day = QStringLiteral("substr(played_at, 1, 10)");
    q = run(db,
            QStringLiteral("SELECT %1, count(*), sum(outcome = 'right') FROM readings WHERE %2 GROUP BY 1 ORDER BY 1")
                .arg(day, w.sql),
            w.values);
    while (q.next())
        st.days.append({QDate::fromString(q.value(0).toString(), Qt::ISODate), q.value(1).toInt(), q.value(2).toInt(), {}});
    q = run(db, medianSql(day, w.sql), w.values);
    while (q.next()) {
        const QDate d = QDate::fromString(q.value(0).toString(), Qt::ISODate);
        auto it = std::find_if(st.days.begin(), st.days.end(), [&](const DayStats &s) { return s.day == d; });
        if (it != st.days.end())
            it->medianMs = q.value(1).toLongLong();
    }

    q = run(db,
            QStringLiteral("SELECT poem, chosen, count(*) FROM readings WHERE %1 AND outcome = 'wrong'"
                           " AND chosen IS NOT NULL GROUP BY poem, chosen ORDER BY 3 DESC, 1, 2 LIMIT 10")
                .arg(w.sql),
            w.values);
    while (q.next())
        st.confusions.append({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt()});
    return st;
}

QList<PoemStats> Statistics::slowest(int n) const
{
    QList<PoemStats> list;
    for (const PoemStats &p : poems)
        if (p.medianMs)
            list << p;
    std::stable_sort(list.begin(), list.end(), [](const PoemStats &a, const PoemStats &b) { return *a.medianMs > *b.medianMs; });
    return list.mid(0, n);
}

QList<PoemStats> Statistics::mostMissed(int n) const
{
    QList<PoemStats> list;
    for (const PoemStats &p : poems)
        if (p.misses() > 0)
            list << p;
    std::stable_sort(list.begin(), list.end(), [](const PoemStats &a, const PoemStats &b) { return a.misses() > b.misses(); });
    return list.mid(0, n);
}

bool exportCsv(QSqlDatabase &db, QIODevice &out, QString *error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM readings ORDER BY id"))) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    const QSqlRecord rec = q.record();
    QStringList header;
    for (int i = 0; i < rec.count(); ++i)
        header << csvField(rec.fieldName(i));
    QByteArray chunk = header.join(QLatin1Char(',')).toUtf8() + "\r\n";
    bool ok = true;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < rec.count(); ++i)
            row << csvField(q.value(i));
        chunk += row.join(QLatin1Char(',')).toUtf8() + "\r\n";
        if (chunk.size() > (1 << 16)) {
            ok = ok && out.write(chunk) == chunk.size();
            chunk.clear();
        }
    }
    ok = ok && out.write(chunk) == chunk.size();
    if (!ok && error)
        *error = out.errorString();
    return ok;
}

} // namespace history
