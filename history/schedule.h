#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "history/words.h"

// When each poem is next due, after the whole history: every poem's memory
// is replayed through the FSRS model, one grade per poem and day.
namespace history {

enum class Grade { Again = 1, Hard = 2, Good = 3, Easy = 4 };

struct Memory {
    double stability = 0;  // days until recall falls to 90 %
    double difficulty = 0; // 1 .. 10
};

// FSRS-5 with its published default weights, as the open-spaced-repetition
// project's fsrs4anki wiki page "The Algorithm" gives them. Reviews on the
// same day are not fed in, so the same-day terms (w17, w18) only cap the
// stability after a lapse.
class Fsrs {
public:
    using Weights = std::array<double, 19>;
    static constexpr Weights kDefaultWeights = {0.40255, 1.18385, 3.173,  15.69105, 7.1949,  0.5345, 1.4604,
                                                0.0046,  1.54575, 0.1192, 1.01925,  1.9395,  0.11,   0.29605,
                                                2.2698,  0.2315,  2.9898, 0.51655,  0.6621};
    static constexpr double kDecay = -0.5;
    static constexpr double kFactor = 19.0 / 81.0; // 0.9^(1/decay) - 1
    static constexpr int kMaxInterval = 36500;

    // `retention` is the recall probability a review is due at, in (0, 1).
    explicit Fsrs(double retention = 0.9, const Weights &w = kDefaultWeights);

    Memory first(Grade grade) const;
    Memory next(const Memory &m, double elapsedDays, Grade grade) const;
    static double recall(double elapsedDays, double stability);
    // Whole days until recall falls to the retention: 1 .. kMaxInterval.
    int intervalDays(double stability) const;
    double retention() const { return retention_; }

private:
    double initialDifficulty(Grade grade) const;

    double retention_;
    Weights w_;
};

// The player's choices for the review; they hold until the program ends.
struct ReviewOptions {
    double retention = 0.9;
    int newPerDay = 5;
};
ReviewOptions &reviewOptions();

// The schedule's rule as the player reads it.
QString reviewRule();

// The player's own pace, from the right takes' ms after deciding: faster
// than the first quartile is clearly fast, slower than the third is slow.
// Unknown below kPaceMinTakes timed right takes; every right take is then Good.
struct Pace {
    static constexpr int kPaceMinTakes = 8;
    std::optional<qint64> fastMs; // first quartile
    std::optional<qint64> slowMs; // third quartile
};
Pace paceOf(std::vector<qint64> rightMs);

// One take as the schedule reads it.
struct ReviewTake {
    int poem = 0;
    QDate day; // the player's local date when it was played
    Outcome outcome = Outcome::Right;
    bool fault = false; // match: the player touched a wrong card on this reading
    std::optional<qint64> msAfterDeciding;
};

// A miss, time-out, the opponent's take, a card left, or a fault: Again. A
// right take: Easy below the pace's fast quartile, Hard above its slow one,
// Good between or without a time.
Grade gradeOf(const ReviewTake &take, const Pace &pace);

struct PoemSchedule {
    int poem = 0;
    int reviews = 0; // days with a graded take
    QDate firstDay, lastDay, due;
    Memory memory;
    bool met() const { return reviews > 0; }
    double recallOn(const QDate &day) const; // 0 when never met
};

struct Schedule {
    Schedule();
    std::array<PoemSchedule, 100> poems; // poems[i] is poem i + 1
    Pace pace;

    // Poems due on `day` or before, most overdue first (then the least
    // likely to be recalled, then by number).
    QList<int> dueOn(const QDate &day) const;
    // Poems never met, in the order new ones are offered, as many as are
    // still allowed on `day`: perDay less those first met that day.
    QList<int> newOn(const QDate &day, int perDay) const;
    // How many met poems fall due on each of `days` days from `from`; the
    // first day also counts those overdue.
    QList<int> dueCounts(const QDate &from, int days) const;
};

// Every poem's memory folded one take at a time, in the order they were
// played, once the pace is known.
class ScheduleFold {
public:
    ScheduleFold(const Fsrs &fsrs, const Pace &pace);
    void add(const ReviewTake &take);
    const Schedule &schedule() const { return schedule_; }

private:
    const Fsrs &fsrs_;
    Schedule schedule_;
};

// `takes` in the order they were played. Dead readings are not passed in.
Schedule buildSchedule(const QList<ReviewTake> &takes, const Fsrs &fsrs);

// Every take but the dead readings, oldest first.
QList<ReviewTake> loadReviewTakes(QSqlDatabase &db);

// The same schedule as buildSchedule(loadReviewTakes(db)), but the takes are
// folded as they come out of the file and never held: two passes, the first
// for the pace. `stopped` is asked every few thousand rows; once it says yes
// the result is incomplete and meant to be dropped.
Schedule streamSchedule(QSqlDatabase &db, const Fsrs &fsrs, const std::function<bool()> &stopped = {});

// The schedule after the history file at `path` (databasePath() when
// empty); empty (every poem new) with no history readable.
Schedule scheduleFromHistory(const Fsrs &fsrs, const QString &path = {},
                             const std::function<bool()> &stopped = {});

// The one-syllable deciders (む す め ふ さ ほ せ), then each opening
// family from the smallest as players learn them (う つ し も ゆ, い ち ひ き,
// は や よ か, み, た こ, お わ, な, あ); within a family, in kana order so
// that poems sharing an opening sit together.
const QList<int> &newPoemOrder();

} // namespace history
