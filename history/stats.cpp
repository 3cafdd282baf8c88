#include "stats.h"

#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>
#include <limits>
#include <map>
#include <set>
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

// One group's times (a poem's) without a list that grows with the history:
// a count per millisecond over the span nearly every take falls in, each
// time outside it (or past a full count) kept as it is. The median is exact.
class TimeCounts {
public:
    void add(qint64 ms)
    {
        ++n_;
        if (ms >= kLow && ms < kHigh) {
            if (counts_.empty())
                counts_.assign(std::size_t(kHigh - kLow), 0);
            quint16 &c = counts_[std::size_t(ms - kLow)];
            if (c < std::numeric_limits<quint16>::max()) {
                ++c;
                return;
            }
        }
        rest_.push_back(ms);
    }

    std::optional<qint64> median()
    {
        if (!n_)
            return std::nullopt;
        std::sort(rest_.begin(), rest_.end());
        if (n_ % 2)
            return at(n_ / 2);
        return (at(n_ / 2 - 1) + at(n_ / 2)) >> 1; // rounds down, as median() does
    }

private:
    static constexpr qint64 kLow = -1024, kHigh = 8192;

    // The value at `rank` in sorted order; `rest_` sorted.
    qint64 at(qint64 rank) const
    {
        std::size_t r = 0; // rest_ values passed
        qint64 seen = 0;
        for (; r < rest_.size() && rest_[r] < kLow; ++r)
            if (seen++ == rank)
                return rest_[r];
        for (qint64 v = kLow; v < kHigh && !counts_.empty(); ++v) {
            seen += counts_[std::size_t(v - kLow)];
            for (; r < rest_.size() && rest_[r] == v; ++r)
                ++seen;
            if (seen > rank)
                return v;
        }
        for (; r < rest_.size(); ++r)
            if (seen++ == rank)
                return rest_[r];
        return 0; // not reached: rank < n_
    }

    qint64 n_ = 0;
    std::vector<quint16> counts_; // made with the first time in the span
    std::vector<qint64> rest_;
};

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
    // The rows come in the order they were written, so a day's takes mostly
    // come together: only the day at hand keeps its times. A day met again
    // after another (a clock set back, two copies of the program) is read
    // again at the end.
    std::array<TimeCounts, 100> poemTimes;
    std::array<qint64, 100> lastId{};
    std::map<qint64, DayStats> days;
    qint64 today = -1; // the day at hand, yyyymmdd
    std::vector<qint64> todayTimes;
    std::set<qint64> again;
    const auto closeDay = [&] {
        if (today >= 0)
            days[today].medianMs = median(todayTimes);
        todayTimes.clear();
    };
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
        const qint64 yyyymmdd = packed / 65536;
        if (yyyymmdd != today) {
            closeDay();
            today = yyyymmdd;
            if (days.count(today))
                again.insert(today);
        }
        DayStats &day = days[yyyymmdd];
        ++ps.times;
        ++day.times;
        ++st.total;
        lastId[i] = std::max(lastId[i], q.value(2).toLongLong());
        if (code == 1) {
            ++ps.right;
            ++day.right;
            const QVariant m = q.value(1);
            if (!m.isNull()) {
                poemTimes[i].add(m.toLongLong());
                todayTimes.push_back(m.toLongLong());
            }
        } else if (code == 2 && chosen >= 1 && chosen <= 100) {
            ++pairs[{p, chosen}];
        }
    }
    closeDay();
    std::vector<qint64>().swap(todayTimes);
    if (!again.empty()) {
        std::map<qint64, std::vector<qint64>> times;
        for (qint64 d : again)
            times[d];
        q.exec(); // the same rows once more, the same state of the file unless the writer came between
        while (q.next()) {
            const qint64 packed = q.value(0).toLongLong();
            const auto t = times.find(packed / 65536);
            const int p = int(packed % 128);
            if (t != times.end() && p >= 1 && p <= 100 && packed / 128 % 4 == 1 && !q.value(1).isNull())
                t->second.push_back(q.value(1).toLongLong());
        }
        for (auto &[d, values] : times)
            days[d].medianMs = median(values);
    }
    for (std::size_t i = 0; i < 100; ++i)
        st.poems[i].medianMs = poemTimes[i].median();
    for (auto &[yyyymmdd, day] : days) {
        day.day = QDate(int(yyyymmdd / 10000), int(yyyymmdd / 100 % 100), int(yyyymmdd % 100));
        st.days.append(day);
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
