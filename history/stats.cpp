#include "stats.h"

#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <map>
#include <vector>

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
    // A dead card in a match was heard but lay on nobody's side: it says
    // nothing about the player's hold on that poem.
    QStringList parts{QStringLiteral("outcome <> ?")};
    w.values << word(Outcome::Dead);
    if (f.from) {
        parts << QStringLiteral("substr(played_at, 1, 10) >= ?");
        w.values << f.from->toString(Qt::ISODate);
    }
    if (f.to) {
        parts << QStringLiteral("substr(played_at, 1, 10) <= ?");
        w.values << f.to->toString(Qt::ISODate);
    }
    if (!f.modes.isEmpty()) {
        parts << QStringLiteral("mode IN (?%1)").arg(QStringLiteral(",?").repeated(f.modes.size() - 1));
        for (Mode m : f.modes)
            w.values << word(m);
    }
    w.sql = parts.join(QStringLiteral(" AND "));
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

// Middle value of an unsorted list (the mean of the two middle ones, rounded
// down, for an even count).
std::optional<qint64> median(std::vector<qint64> &values)
{
    if (values.empty())
        return std::nullopt;
    const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    if (values.size() % 2)
        return *mid;
    const qint64 below = *std::max_element(values.begin(), mid);
    return (below + *mid) >> 1; // rounds down, below zero too
}

Statistics loadStatistics(QSqlDatabase &db, const Filter &filter, const std::function<bool()> &stopped)
{
    // One scan of the table; every figure is gathered from it here, which
    // keeps the window quick with a large history (per-group medians in SQL
    // would sort the table once for each grouping).
    Statistics st;
    const Where w = whereOf(filter);
    // Poem, outcome, card taken and day packed into one integer per row:
    // every column read costs a variant, and this loop sees every take.
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT poem + 128 * ((outcome = ?) + 2 * (outcome = ?))"
                                     " + 512 * coalesce(chosen, 0)"
                                     " + 65536 * CAST(replace(substr(played_at, 1, 10), '-', '') AS INTEGER),"
                                     " ms_after_deciding, id FROM readings WHERE %1")
                          .arg(w.sql),
                      QVariantList{word(Outcome::Right), word(Outcome::Wrong)} + w.values);
    std::array<std::vector<qint64>, 100> poemTimes;
    std::array<qint64, 100> lastId{};
    std::map<qint64, std::pair<DayStats, std::vector<qint64>>> days;
    std::map<std::pair<int, int>, int> pairs;
    for (unsigned row = 1; q.next(); ++row) {
        if (stopped && row % 4096 == 0 && stopped())
            return st;
        const qint64 packed = q.value(0).toLongLong();
        const int p = int(packed % 128);
        const int code = int(packed / 128 % 4); // 1 right, 2 wrong, 0 otherwise
        const int chosen = int(packed / 512 % 128);
        if (p < 1 || p > 100)
            continue;
        const auto i = static_cast<std::size_t>(p - 1);
        PoemStats &ps = st.poems[i];
        auto &[day, dayTimes] = days[packed / 65536];
        ++ps.times;
        ++day.times;
        ++st.total;
        lastId[i] = std::max(lastId[i], q.value(2).toLongLong());
        if (code == 1) {
            ++ps.right;
            ++day.right;
            const QVariant m = q.value(1);
            if (!m.isNull()) {
                poemTimes[i].push_back(m.toLongLong());
                dayTimes.push_back(m.toLongLong());
            }
        } else if (code == 2 && chosen >= 1 && chosen <= 100) {
            ++pairs[{p, chosen}];
        }
    }
    for (std::size_t i = 0; i < 100; ++i)
        st.poems[i].medianMs = median(poemTimes[i]);
    for (auto &[yyyymmdd, entry] : days) {
        entry.first.day = QDate(int(yyyymmdd / 10000), int(yyyymmdd / 100 % 100), int(yyyymmdd % 100));
        entry.first.medianMs = median(entry.second);
        st.days.append(entry.first);
    }
    for (const auto &[pair, count] : pairs)
        st.confusions.append({pair.first, pair.second, count});
    std::stable_sort(st.confusions.begin(), st.confusions.end(),
                     [](const Confusion &a, const Confusion &b) { return a.count > b.count; });
    st.confusions = st.confusions.mid(0, 10);

    // The last take of each poem is its newest row.
    QStringList ids;
    for (qint64 id : lastId)
        if (id > 0)
            ids << QString::number(id);
    if (!ids.isEmpty()) {
        q = run(db, QStringLiteral("SELECT poem, played_at FROM readings WHERE id IN (%1)").arg(ids.join(QLatin1Char(','))), {});
        while (q.next()) {
            const int p = q.value(0).toInt();
            if (p >= 1 && p <= 100)
                st.poems[static_cast<std::size_t>(p - 1)].lastSeen = q.value(1).toString();
        }
    }
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

bool exportCsv(QSqlDatabase &db, QIODevice &out, QString *error, const std::function<bool(qint64 rows)> &going)
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
    for (qint64 rows = 0; ok && q.next();) {
        QStringList row;
        for (int i = 0; i < rec.count(); ++i)
            row << csvField(q.value(i));
        chunk += row.join(QLatin1Char(',')).toUtf8() + "\r\n";
        ++rows;
        if (chunk.size() > (1 << 16)) {
            ok = out.write(chunk) == chunk.size();
            chunk.clear();
            if (ok && going && !going(rows)) {
                if (error)
                    error->clear();
                return false;
            }
        }
    }
    ok = ok && out.write(chunk) == chunk.size();
    if (!ok && error)
        *error = out.errorString();
    return ok;
}

} // namespace history
