// The history file as it may be found on disk: any bytes. Every reader of
// the program runs on it in a scratch folder (the statistics and their CSV,
// the weak-poem drill, the match's reactions, the review schedule, the
// player's own sets and options), then the recorder's start-up
// with a yes or no to setting a damaged file aside, and one take.
//
// Input, in order:
//   flags  1 byte  1 yes when asked to set a damaged file aside
//   file   the rest (none: no file at all)
//
// What must hold: reading never changes the file; the player is told of
// trouble once (and of a take lost at the end); a file declined keeps
// every byte, and unless its header asks for the write-ahead log (which
// SQLite then opens beside it) no other file appears; a file set aside is
// kept whole under its new name and a new history takes the take; a file
// accepted as it is keeps its takes and gains the new one.
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "history/database.h"
#include "history/playerstore.h"
#include "history/reactions.h"
#include "history/schedule.h"
#include "history/stats.h"
#include "history/weak.h"
#include "history/writer.h"
#include "platform/random.h"
#include "platform/services.h"

#include "fuzzcheck.h"
#include "scratchdir.h"

using namespace history;

namespace {

class Answers final : public platform::Messages {
public:
    bool yes = false;
    int asked = 0;
    int informed = 0;
    QString last;
    void inform(const QString &message) override
    {
        ++informed;
        last = message;
    }
    bool askYesNo(const QString &) override
    {
        ++asked;
        return yes;
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 rows(const QString &path)
{
    Database db(path);
    if (!db.openForReading())
        return -1;
    QSqlQuery q(db.db());
    return q.exec(QStringLiteral("SELECT count(*) FROM readings")) && q.next() ? q.value(0).toLongLong() : -1;
}

// A header that asks for the write-ahead log: SQLite makes -wal and -shm
// beside the file as soon as it reads it.
bool walHeader(const QByteArray &file)
{
    return file.size() > 19 && file[18] == 2 && file[19] == 2;
}

void run(const std::uint8_t *data, std::size_t size, const QString &dir)
{
    for (const QString &name : QDir(dir).entryList(QDir::Files))
        QFile::remove(dir + QLatin1Char('/') + name);
    const QString path = dir + QStringLiteral("/history.sqlite");
    const bool yes = size > 0 && (data[0] & 1);
    const QByteArray file = size > 1 ? QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
                                     : QByteArray();
    if (size > 1) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size())
            fuzzFailed("cannot write the input");
    }
    setDatabasePath(path);

    const QDate today(2026, 12, 7);
    {
        Database db(path);
        if (db.openForReading()) {
            const Statistics st = loadStatistics(db.db(), Filter{});
            CHECK(st.total >= 0);
            loadRecentTakes(db.db(), today);
            recentReactions(db.db(), today, 30, 0);
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            exportCsv(db.db(), out);
            // Folded as the rows stream out, the schedule is the one built from every take listed.
            const Fsrs fsrs;
            const Schedule streamed = streamSchedule(db.db(), fsrs);
            const Schedule listed = buildSchedule(loadReviewTakes(db.db()), fsrs);
            CHECK(streamed.pace.fastMs == listed.pace.fastMs && streamed.pace.slowMs == listed.pace.slowMs);
            for (std::size_t i = 0; i < listed.poems.size(); ++i) {
                const PoemSchedule &a = streamed.poems[i], &b = listed.poems[i];
                CHECK(a.reviews == b.reviews && a.firstDay == b.firstDay && a.lastDay == b.lastDay && a.due == b.due);
                CHECK(a.memory.stability == b.memory.stability && a.memory.difficulty == b.memory.difficulty);
            }
        }
    }
    platform::Random rng{1};
    CHECK(weakestPoems(today, 10, rng).size() == 10);
    {
        // Whatever the file holds, the schedule keeps to the model's ranges.
        const Schedule schedule = scheduleFromHistory(Fsrs());
        for (const PoemSchedule &p : schedule.poems) {
            if (!p.met())
                continue;
            CHECK(p.memory.stability > 0 && p.memory.difficulty >= 1 && p.memory.difficulty <= 10);
            CHECK(p.due > p.lastDay && p.lastDay >= p.firstDay);
        }
        const QList<int> review = schedule.dueOn(today) + schedule.newOn(today, 5);
        CHECK(QSet<int>(review.begin(), review.end()).size() == review.size());
        CHECK(std::all_of(review.begin(), review.end(), [](int poem) { return poem >= 1 && poem <= 100; }));
    }
    {
        // The player's sets and options keep to their rules, whatever the file holds.
        QStringList names;
        for (const OwnSet &set : loadOwnSets(path)) {
            CHECK(set.id > 0 && nameProblem(set.name, names).isEmpty() && poemsProblem(set.poems).isEmpty());
            names << set.name;
        }
        const ReviewOptions options = loadReviewOptions(path);
        CHECK(options.retention >= kRetentionMin && options.retention <= kRetentionMax);
        CHECK(options.newPerDay >= 0 && options.newPerDay <= kNewPerDayMax);
    }
    CHECK(readAll(path) == file);
    const qint64 before = rows(path);

    Answers answers;
    answers.yes = yes;
    platform::Services s;
    s.messages = &answers;
    const platform::ScopedServices scoped(s);
    bool recording = false;
    {
        SqliteRecorder r(path);
        r.now = [] { return QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0)); };
        r.start();
        recording = r.waitUntilStarted();
        Take t;
        t.mode = Mode::GameS;
        t.poem = 7;
        r.record(t);
        r.flush();
        QCoreApplication::processEvents(); // a failed write is told from the writer's thread
    }
    // Told once at most, and a second time only of a take that waited for
    // room in vain.
    CHECK(answers.asked <= 1 && answers.asked + answers.informed <= 2);
    CHECK(answers.asked + answers.informed <= 1 || answers.last == lostAtLeavingMessage(path, 1));
    if (answers.asked && !yes) {
        CHECK(!recording);
        CHECK(readAll(path) == file);
        if (!walHeader(file))
            CHECK(QDir(dir).entryList(QDir::Files) == QStringList{QStringLiteral("history.sqlite")});
    } else if (answers.asked) {
        CHECK(readAll(path + QStringLiteral(".damaged-20261207-093000")) == file);
        CHECK(recording && rows(path) == 1);
    } else if (recording && !answers.informed) {
        CHECK(rows(path) == (before < 0 ? 0 : before) + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_history";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const QString dir = scratchDir(QStringLiteral("fuzz_history-"));
    if (dir.isEmpty())
        fuzzFailed("no scratch folder");
    run(data, size, dir);
    return 0;
}
