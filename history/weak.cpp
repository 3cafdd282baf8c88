#include "weak.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "history/database.h"

namespace history {

QString weakRuleShort()
{
    return QStringLiteral("直近30日の誤答と遅い正解が多い順");
}

QString weakRule()
{
    return QStringLiteral("苦手札の選び方: 直近30日の解答ごとに、誤答・時間切れは1点、正解は決まり字から"
                          "答えまでの秒数÷3(0〜1点)。新しい解答ほど重く(7日で重みが半分)した平均点の高い順に選びます。"
                          "まだ出ていない札は0.5点、同点は無作為。");
}

double penalty(const WeakTake &take)
{
    if (take.outcome != Outcome::Right)
        return 1.0;
    const qint64 ms = take.msAfterDeciding.value_or(0);
    return std::clamp(static_cast<double>(ms) / static_cast<double>(kSlowMs), 0.0, 1.0);
}

QList<int> rankWeakest(const QList<WeakTake> &takes, const QDate &today, int n, platform::Random &rng)
{
    std::array<double, 101> weighted{};
    std::array<double, 101> weights{};
    for (const WeakTake &t : takes) {
        const qint64 age = t.day.daysTo(today);
        if (t.poem < 1 || t.poem > 100 || age < 0 || age >= kWeakDays)
            continue;
        const double w = std::exp2(-static_cast<double>(age) / kHalfLifeDays);
        weighted[static_cast<std::size_t>(t.poem)] += w * penalty(t);
        weights[static_cast<std::size_t>(t.poem)] += w;
    }
    std::array<int, 100> order{};
    std::iota(order.begin(), order.end(), 1);
    // A random order first, so the stable sort leaves equal scores shuffled.
    for (int i = 99; i > 0; --i)
        std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(rng.below(i + 1))]);
    auto score = [&](int p) {
        const auto i = static_cast<std::size_t>(p);
        return weights[i] > 0 ? weighted[i] / weights[i] : kUnseenScore;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return score(a) > score(b); });
    n = std::clamp(n, 0, 100);
    return QList<int>(order.begin(), order.begin() + n);
}

QList<WeakTake> loadRecentTakes(QSqlDatabase &db, const QDate &today)
{
    QList<WeakTake> takes;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT poem, outcome, ms_after_deciding, substr(played_at, 1, 10) FROM readings"
                             " WHERE played_at >= ? AND outcome <> ?"));
    // The first day's date alone sorts before every time of that day: the
    // index on played_at serves the range.
    q.bindValue(0, today.addDays(1 - kWeakDays).toString(Qt::ISODate));
    q.bindValue(1, word(Outcome::Dead));
    if (!q.exec())
        return takes;
    while (q.next()) {
        WeakTake t;
        t.poem = q.value(0).toInt();
        // A later program's outcome is no right take, so it counts against the poem.
        t.outcome = outcomeFromWord(q.value(1).toString()).value_or(Outcome::Wrong);
        if (!q.value(2).isNull())
            t.msAfterDeciding = q.value(2).toLongLong();
        t.day = QDate::fromString(q.value(3).toString(), Qt::ISODate);
        takes << t;
    }
    return takes;
}

QList<WeakTake> readRecentTakes(const QString &path, const QDate &today)
{
    Database db(path);
    return db.openForReading() ? loadRecentTakes(db.db(), today) : QList<WeakTake>{};
}

QList<int> weakestPoems(const QDate &today, int n, platform::Random &rng)
{
    return rankWeakest(readRecentTakes(databasePath(), today), today, n, rng);
}

} // namespace history
