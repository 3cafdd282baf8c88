#include "schedule.h"

#include <QSqlDriver>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <memory>

#include <sqlite3.h>

#include "deck/spoken.h"
#include "history/database.h"

namespace history {

Fsrs::Fsrs(double retention, const Weights &w)
    : retention_(std::clamp(retention, 0.01, 0.99))
    , w_(w)
{
}

double Fsrs::initialDifficulty(Grade grade) const
{
    return w_[4] - std::exp(w_[5] * (int(grade) - 1)) + 1;
}

Memory Fsrs::first(Grade grade) const
{
    return {std::max(w_[int(grade) - 1], 0.1), std::clamp(initialDifficulty(grade), 1.0, 10.0)};
}

Memory Fsrs::next(const Memory &m, double elapsedDays, Grade grade) const
{
    const double s = m.stability;
    const double d = m.difficulty;
    const double r = recall(elapsedDays, s);
    const int g = int(grade);

    // Difficulty moves by the grade, less the nearer it is to 10, then
    // reverts a little towards an Easy first review's.
    const double moved = d - w_[6] * (g - 3) * (10 - d) / 9;
    const double difficulty = std::clamp(w_[7] * initialDifficulty(Grade::Easy) + (1 - w_[7]) * moved, 1.0, 10.0);

    double stability;
    if (grade == Grade::Again) {
        const double lapse = w_[11] * std::pow(d, -w_[12]) * (std::pow(s + 1, w_[13]) - 1) * std::exp(w_[14] * (1 - r));
        stability = std::min(lapse, s / std::exp(w_[17] * w_[18]));
    } else {
        const double bonus = (grade == Grade::Hard ? w_[15] : 1.0) * (grade == Grade::Easy ? w_[16] : 1.0);
        stability = s * (1 + std::exp(w_[8]) * (11 - d) * std::pow(s, -w_[9]) * (std::exp(w_[10] * (1 - r)) - 1) * bonus);
    }
    return {std::max(stability, 0.01), difficulty};
}

double Fsrs::recall(double elapsedDays, double stability)
{
    return std::pow(1 + kFactor * std::max(elapsedDays, 0.0) / stability, kDecay);
}

int Fsrs::intervalDays(double stability) const
{
    const double days = stability / kFactor * (std::pow(retention_, 1 / kDecay) - 1);
    return int(std::clamp(std::round(days), 1.0, double(kMaxInterval)));
}

ReviewOptions &reviewOptions()
{
    static ReviewOptions options;
    return options;
}

QString reviewRule()
{
    return QStringLiteral("今日の復習: これまでの解答から札ごとに次の復習日を決めます。"
                          "誤答・時間切れ・お手つき、相手に取られた札や誰も取らなかった札は「もう一度」、正解は決まり字からの時間が"
                          "普段の速いほう4分の1より速ければ「簡単」、遅いほう4分の1より遅ければ「難しい」、その間は「良い」。"
                          "同じ札の同じ日の2回目からは数えません。思い出せる見込みが%1%まで下がる日が次の復習日です。"
                          "まだ出ていない札は一字決まりから、頭の音のまとまりごとに1日%2首ずつ加わります。")
        .arg(qRound(reviewOptions().retention * 100))
        .arg(reviewOptions().newPerDay);
}

Pace paceOf(std::vector<qint64> rightMs)
{
    Pace pace;
    if (int(rightMs.size()) < Pace::kPaceMinTakes)
        return pace;
    std::sort(rightMs.begin(), rightMs.end());
    pace.fastMs = rightMs[rightMs.size() / 4];
    pace.slowMs = rightMs[rightMs.size() * 3 / 4];
    return pace;
}

Grade gradeOf(const ReviewTake &take, const Pace &pace)
{
    if (take.outcome != Outcome::Right || take.fault)
        return Grade::Again;
    if (!take.msAfterDeciding || !pace.fastMs)
        return Grade::Good;
    if (*take.msAfterDeciding < *pace.fastMs)
        return Grade::Easy;
    if (*take.msAfterDeciding > *pace.slowMs)
        return Grade::Hard;
    return Grade::Good;
}

double PoemSchedule::recallOn(const QDate &day) const
{
    return met() ? Fsrs::recall(double(lastDay.daysTo(day)), memory.stability) : 0.0;
}

Schedule::Schedule()
{
    for (int i = 0; i < 100; ++i)
        poems[std::size_t(i)].poem = i + 1;
}

QList<int> Schedule::dueOn(const QDate &day) const
{
    QList<const PoemSchedule *> due;
    for (const PoemSchedule &p : poems)
        if (p.met() && p.due <= day)
            due << &p;
    std::sort(due.begin(), due.end(), [&day](const PoemSchedule *a, const PoemSchedule *b) {
        if (a->due != b->due)
            return a->due < b->due;
        const double ra = a->recallOn(day), rb = b->recallOn(day);
        if (ra != rb)
            return ra < rb;
        return a->poem < b->poem;
    });
    QList<int> order;
    for (const PoemSchedule *p : due)
        order << p->poem;
    return order;
}

QList<int> Schedule::newOn(const QDate &day, int perDay) const
{
    int left = perDay;
    for (const PoemSchedule &p : poems)
        if (p.met() && p.firstDay == day)
            --left;
    QList<int> fresh;
    for (int poem : newPoemOrder()) {
        if (fresh.size() >= left)
            break;
        if (!poems[std::size_t(poem - 1)].met())
            fresh << poem;
    }
    return fresh;
}

QList<int> Schedule::dueCounts(const QDate &from, int days) const
{
    QList<int> counts(std::max(days, 0), 0);
    for (const PoemSchedule &p : poems) {
        if (!p.met())
            continue;
        const qint64 ahead = std::max<qint64>(from.daysTo(p.due), 0);
        if (ahead < days)
            ++counts[ahead];
    }
    return counts;
}

ScheduleFold::ScheduleFold(const Fsrs &fsrs, const Pace &pace)
    : fsrs_(fsrs)
{
    schedule_.pace = pace;
}

void ScheduleFold::add(const ReviewTake &t)
{
    if (t.poem < 1 || t.poem > 100 || !t.day.isValid())
        return;
    PoemSchedule &p = schedule_.poems[std::size_t(t.poem - 1)];
    // A day's first take is its grade; a clock set back adds nothing.
    if (p.met() && t.day <= p.lastDay)
        return;
    const Grade grade = gradeOf(t, schedule_.pace);
    if (!p.met()) {
        p.memory = fsrs_.first(grade);
        p.firstDay = t.day;
    } else {
        p.memory = fsrs_.next(p.memory, double(p.lastDay.daysTo(t.day)), grade);
    }
    ++p.reviews;
    p.lastDay = t.day;
    p.due = t.day.addDays(fsrs_.intervalDays(p.memory.stability));
}

Schedule buildSchedule(const QList<ReviewTake> &takes, const Fsrs &fsrs)
{
    std::vector<qint64> rightMs;
    for (const ReviewTake &t : takes)
        if (t.outcome == Outcome::Right && !t.fault && t.msAfterDeciding)
            rightMs.push_back(*t.msAfterDeciding);
    ScheduleFold fold(fsrs, paceOf(std::move(rightMs)));
    for (const ReviewTake &t : takes)
        fold.add(t);
    return fold.schedule();
}

namespace {

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

// Read through SQLite's own interface, as QSqlDriver::handle() offers it: a
// QVariant per column and row would cost twice the time budget over a large
// history. Debian's Qt plugin links the same system SQLite as this library;
// a plugin with a copy of its own would not do.
sqlite3 *connectionOf(QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// What every query below binds: right, match, dead, and the JSON path of
// the player's fault in `extra`.
struct Words {
    QByteArray right = word(Outcome::Right).toUtf8();
    QByteArray match = word(Mode::Match).toUtf8();
    QByteArray dead = word(Outcome::Dead).toUtf8();
    QByteArray faultPath = "$." + word(Extra::PlayerFault).toUtf8();
};

// A fault is read only from well-formed JSON of a match row (CASE, unlike
// AND, is sure to skip the rest), so a damaged `extra` cannot stop the query.
#define KOTOHA_FAULT                                                                                                   \
    "CASE WHEN mode = ?2 THEN CASE WHEN json_valid(extra)"                                                             \
    " THEN coalesce(json_extract(extra, ?4), 0) = 1 ELSE 0 END ELSE 0 END"

Statement prepare(sqlite3 *connection, const char *sql, const Words &words)
{
    sqlite3_stmt *statement = nullptr;
    if (!connection || sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return Statement(nullptr, sqlite3_finalize);
    }
    const QByteArray *bound[] = {&words.right, &words.match, &words.dead, &words.faultPath};
    for (int i = 0; i < 4; ++i)
        sqlite3_bind_text(statement, i + 1, bound[i]->constData(), int(bound[i]->size()), SQLITE_STATIC);
    return Statement(statement, sqlite3_finalize);
}

bool stoppedAt(unsigned row, const std::function<bool()> &stopped)
{
    return stopped && row % 4096 == 0 && stopped();
}

// Hands every take but the dead readings to `each`, oldest first. False when
// the file could not be read or `stopped` said so.
template <typename Each>
bool forEachReviewTake(QSqlDatabase &db, Each &&each, const std::function<bool()> &stopped = {})
{
    const Words words;
    const Statement statement = prepare(connectionOf(db),
                                        "SELECT poem, outcome = ?1, " KOTOHA_FAULT ", ms_after_deciding, played_at"
                                        " FROM readings WHERE outcome <> ?3 ORDER BY id",
                                        words);
    if (!statement)
        return false;
    sqlite3_stmt *s = statement.get();
    QByteArray lastDayText;
    QDate lastDay;
    int step;
    for (unsigned row = 1; (step = sqlite3_step(s)) == SQLITE_ROW; ++row) {
        if (stoppedAt(row, stopped))
            return false;
        ReviewTake t;
        const sqlite3_int64 poem = sqlite3_column_int64(s, 0);
        t.poem = poem >= 1 && poem <= 100 ? int(poem) : 0;
        // Anything but a right take, a later program's outcome too, counts as a miss.
        t.outcome = sqlite3_column_int(s, 1) ? Outcome::Right : Outcome::Wrong;
        t.fault = sqlite3_column_int(s, 2) != 0;
        if (sqlite3_column_type(s, 3) != SQLITE_NULL)
            t.msAfterDeciding = sqlite3_column_int64(s, 3);
        // The local date heads played_at; most rows share their neighbour's.
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 4));
        const QByteArrayView day(text ? text : "", text ? std::min(sqlite3_column_bytes(s, 4), 10) : 0);
        if (day != lastDayText) {
            lastDayText = day.toByteArray();
            lastDay = day.size() == 10 ? QDate::fromString(QLatin1StringView(day), Qt::ISODate) : QDate();
        }
        t.day = lastDay;
        each(t);
    }
    return step == SQLITE_DONE;
}

// The pace from the file without holding the times: one count per
// millisecond over the span real takes fall in, and a second pass only when
// a quartile lies among times outside it (a damaged or edited file). The
// rows and their order are those paceOf() is given by buildSchedule().
std::optional<Pace> paceOfHistory(QSqlDatabase &db, const std::function<bool()> &stopped)
{
    constexpr qint64 kLow = -(1 << 17), kHigh = 1 << 17; // about ±2 minutes
    const Words words;
    const Statement statement = prepare(connectionOf(db),
                                        "SELECT ms_after_deciding FROM readings WHERE outcome = ?1"
                                        " AND ms_after_deciding IS NOT NULL AND NOT (" KOTOHA_FAULT ")",
                                        words);
    if (!statement)
        return std::nullopt;
    std::vector<quint32> counts(std::size_t(kHigh - kLow), 0);
    qint64 below = 0, above = 0;
    // A damaged page ends the rows here as it ends the listed takes: the
    // pace is that of the rows before it, as buildSchedule() would see them.
    for (unsigned row = 1; sqlite3_step(statement.get()) == SQLITE_ROW; ++row) {
        if (stoppedAt(row, stopped))
            return std::nullopt;
        const qint64 ms = sqlite3_column_int64(statement.get(), 0);
        if (ms < kLow)
            ++below;
        else if (ms >= kHigh)
            ++above;
        else
            ++counts[std::size_t(ms - kLow)];
    }
    std::size_t inside = 0;
    for (quint32 c : counts)
        inside += c;
    const qint64 total = below + above + qint64(inside);
    if (total < Pace::kPaceMinTakes)
        return Pace{};

    // The value at `rank` in sorted order, as paceOf() picks it.
    std::vector<qint64> outside; // filled on the rare second pass
    auto at = [&](qint64 rank) -> std::optional<qint64> {
        if (rank >= below && rank < below + qint64(inside)) {
            qint64 seen = below;
            for (std::size_t i = 0; i < counts.size(); ++i) {
                seen += counts[i];
                if (seen > rank)
                    return qint64(i) + kLow;
            }
        }
        if (outside.empty()) {
            sqlite3_reset(statement.get());
            for (unsigned row = 1; sqlite3_step(statement.get()) == SQLITE_ROW; ++row) {
                if (stoppedAt(row, stopped))
                    return std::nullopt;
                const qint64 ms = sqlite3_column_int64(statement.get(), 0);
                if (ms < kLow || ms >= kHigh)
                    outside.push_back(ms);
            }
            std::sort(outside.begin(), outside.end());
            if (qint64(outside.size()) != below + above)
                return std::nullopt; // the file changed under us
        }
        return rank < below ? outside[std::size_t(rank)] : outside[std::size_t(rank - qint64(inside))];
    };
    Pace pace;
    pace.fastMs = at(total / 4);
    pace.slowMs = at(total * 3 / 4);
    if (!pace.fastMs || !pace.slowMs)
        return std::nullopt;
    return pace;
}

#undef KOTOHA_FAULT

} // namespace

QList<ReviewTake> loadReviewTakes(QSqlDatabase &db)
{
    QList<ReviewTake> takes;
    forEachReviewTake(db, [&takes](const ReviewTake &t) { takes << t; });
    return takes;
}

Schedule streamSchedule(QSqlDatabase &db, const Fsrs &fsrs, const std::function<bool()> &stopped)
{
    // Both passes read the same state of the file, though the writer may
    // commit meanwhile.
    sqlite3 *connection = connectionOf(db);
    // Each pass reads every page once: a page cache beyond a few pages only
    // holds memory.
    if (connection)
        sqlite3_exec(connection, "PRAGMA cache_size = -256", nullptr, nullptr, nullptr);
    const bool snapshot = connection && sqlite3_exec(connection, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    Schedule schedule;
    if (const std::optional<Pace> pace = paceOfHistory(db, stopped)) {
        ScheduleFold fold(fsrs, *pace);
        forEachReviewTake(db, [&fold](const ReviewTake &t) { fold.add(t); }, stopped);
        schedule = fold.schedule();
    }
    if (snapshot)
        sqlite3_exec(connection, "COMMIT", nullptr, nullptr, nullptr);
    return schedule;
}

Schedule scheduleFromHistory(const Fsrs &fsrs, const QString &path, const std::function<bool()> &stopped)
{
    Database db(path.isEmpty() ? databasePath() : path);
    if (!db.openForReading())
        return {};
    return streamSchedule(db.db(), fsrs, stopped);
}

const QList<int> &newPoemOrder()
{
    static const QList<int> order = [] {
        const QString families = QStringLiteral("むすめふさほせうつしもゆいちひきはやよかみたこおわなあ");
        QList<int> all;
        for (int no = 1; no <= deck::kPoemCount; ++no)
            all << no;
        auto rank = [&families](int no) {
            const QString &text = deck::spokenKaminoku(no).text();
            const qsizetype at = text.isEmpty() ? -1 : families.indexOf(text.front());
            return at < 0 ? families.size() : at;
        };
        std::stable_sort(all.begin(), all.end(), [&rank](int a, int b) {
            const qsizetype ra = rank(a), rb = rank(b);
            if (ra != rb)
                return ra < rb;
            return deck::spokenKaminoku(a).text() < deck::spokenKaminoku(b).text();
        });
        return all;
    }();
    return order;
}

} // namespace history
