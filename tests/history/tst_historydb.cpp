#include <QtTest>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

#include "../support/fakehistory.h"
#include "../support/fakeservices.h"
#include "../support/smalldisk.h"

#include "history/database.h"
#include "history/reactions.h"
#include "history/weak.h"
#include "history/writer.h"

using namespace history;

namespace {

QVariant scalar(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

Take sampleTake()
{
    Take t;
    t.mode = Mode::GameS;
    t.session = 7;
    t.poem = 12;
    t.outcome = Outcome::Wrong;
    t.chosen = 40;
    t.ticks = 9;
    t.ms = 1380;
    t.msAfterDeciding = -120;
    return t;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void runOn(const QString &path, const QStringList &statements)
{
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        raw.setDatabaseName(path);
        QVERIFY(raw.open());
        for (const QString &s : statements)
            QVERIFY2(QSqlQuery(raw).exec(s), qPrintable(s));
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

// A file that is no database: SQLite refuses it at its first read.
const QByteArray kGarbage = QByteArray("RecordsS.dat? no.").repeated(300);

} // namespace

class tst_HistoryDb : public QObject {
    Q_OBJECT
private slots:
    void init();
    void wordsAreTheFilesOwn();
    void schemaIsCreatedOrMigratedForward_data();
    void schemaIsCreatedOrMigratedForward();
    void damagedFileIsSetAsideOnlyOnYes_data();
    void damagedFileIsSetAsideOnlyOnYes();
    void takesDuringTheCheckAreKept_data();
    void takesDuringTheCheckAreKept();
    void unwritableHistoryIsToldOnce();
    void takesWaitOutAFullDisk_data();
    void takesWaitOutAFullDisk();
    void historyLivesWhereThePlayerCanWrite_data();
    void historyLivesWhereThePlayerCanWrite();
    void unwritableHistoryInTheWorkingFolderIsKeptInView();
    void whatIsNoPlainFileIsNeverOpened_data();
    void whatIsNoPlainFileIsNeverOpened();
    void playerWithoutRights_data();
    void playerWithoutRights();
    void killMidStreamLeavesASoundFile_data();
    void killMidStreamLeavesASoundFile();
    void twoCopiesWriteAtOnce();
    void weakestRanking_data();
    void weakestRanking();
    void recentTakesLeaveDeadCardsOut();
    void reactionsAreThePlayersRecentCardTakes_data();
    void reactionsAreThePlayersRecentCardTakes();

private:
    QString file(const QString &name = QStringLiteral("history.sqlite")) const { return dir_->filePath(name); }
    std::unique_ptr<QTemporaryDir> dir_;
};

void tst_HistoryDb::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

// Files already written hold these words: a change would split a poem's
// history in two or lose it from the statistics.
void tst_HistoryDb::wordsAreTheFilesOwn()
{
    const QStringList modes{"game-S", "game-M", "game-L", "training", "match", "nagashi", "position"};
    const QStringList outcomes{"right", "wrong", "timeout", "opponent", "missed", "dead"};
    for (int i = 0; i < modes.size(); ++i) {
        QCOMPARE(word(Mode(i)), modes[i]);
        QCOMPARE(modeFromWord(modes[i]), std::optional<Mode>(Mode(i)));
    }
    for (int i = 0; i < outcomes.size(); ++i) {
        QCOMPARE(word(Outcome(i)), outcomes[i]);
        QCOMPARE(outcomeFromWord(outcomes[i]), std::optional<Outcome>(Outcome(i)));
    }
    QCOMPARE(word(Deciding::Spelled), QStringLiteral("spelled"));
    QCOMPARE(word(Deciding::Spoken), QStringLiteral("spoken"));
    QVERIFY(!outcomeFromWord(u"Right"));
    QVERIFY(!modeFromWord(u"game-"));
}

void tst_HistoryDb::schemaIsCreatedOrMigratedForward_data()
{
    QTest::addColumn<QStringList>("before");  // statements run on the file first
    QTest::addColumn<int>("version");         // user_version afterwards
    QTest::addColumn<QString>("whoColumn");   // where extra["who"] lands
    QTest::newRow("new file") << QStringList{} << kSchemaVersion << "extra";
    QTest::newRow("version 0 with a foreign table")
        << QStringList{"CREATE TABLE notes (x)", "INSERT INTO notes VALUES (1)"} << kSchemaVersion << "extra";
    QTest::newRow("version 1 with own sets made by hand")
        << QStringList{"CREATE TABLE readings (id INTEGER PRIMARY KEY, played_at TEXT, mode TEXT, session INTEGER,"
                       " poem INTEGER, outcome TEXT, chosen INTEGER, ticks INTEGER, ms INTEGER,"
                       " ms_after_deciding INTEGER, deciding TEXT, extra TEXT)",
                       "CREATE TABLE own_sets (id INTEGER PRIMARY KEY, name TEXT, poems TEXT)",
                       "INSERT INTO own_sets VALUES (4, '自陣', '3 15')", "PRAGMA user_version = 1"}
        << kSchemaVersion << "extra";
    QTest::newRow("newer program's file")
        << QStringList{"CREATE TABLE readings (id INTEGER PRIMARY KEY, played_at TEXT, mode TEXT, session INTEGER,"
                       " poem INTEGER, outcome TEXT, chosen INTEGER, ticks INTEGER, ms INTEGER,"
                       " ms_after_deciding INTEGER, deciding TEXT, extra TEXT, who TEXT)",
                       "PRAGMA user_version = 7"}
        << 7 << "who";
}

void tst_HistoryDb::schemaIsCreatedOrMigratedForward()
{
    QFETCH(QStringList, before);
    QFETCH(int, version);
    QFETCH(QString, whoColumn);
    if (!before.isEmpty())
        runOn(file(), before);
    Database db(file());
    QCOMPARE(db.open(true), OpenResult::Ok);
    QCOMPARE(db.schemaVersion(), version);
    QCOMPARE(scalar(db.db(), "PRAGMA journal_mode").toString(), QStringLiteral("wal"));

    Take t = sampleTake();
    t.extra = {{"who", "A"}, {"note", "x,y"}};
    QVERIFY2(db.insert(t, QDateTime::currentDateTime()), qPrintable(db.lastError()));
    const QJsonObject extra =
        QJsonDocument::fromJson(scalar(db.db(), "SELECT extra FROM readings").toString().toUtf8()).object();
    QCOMPARE(extra.value("note").toString(), QStringLiteral("x,y"));
    if (whoColumn == "who")
        QCOMPARE(scalar(db.db(), "SELECT who FROM readings").toString(), QStringLiteral("A"));
    else
        QCOMPARE(extra.value("who").toString(), QStringLiteral("A"));
    if (before.size() == 2 && version == kSchemaVersion)
        QCOMPARE(scalar(db.db(), "SELECT x FROM notes").toInt(), 1);
    if (before.size() == 4)
        QCOMPARE(scalar(db.db(), "SELECT group_concat(id || name) FROM own_sets").toString(), QStringLiteral("4自陣"));
}

void tst_HistoryDb::damagedFileIsSetAsideOnlyOnYes_data()
{
    QTest::addColumn<QStringList>("make"); // statements making the file; empty: kGarbage
    QTest::addColumn<bool>("yes");
    const QStringList wrongColumns{"CREATE TABLE readings (id INTEGER PRIMARY KEY, poem INTEGER, said TEXT)",
                                   "INSERT INTO readings VALUES (1, 3, 'x')"};
    QTest::newRow("not a database, no") << QStringList{} << false;
    QTest::newRow("not a database, yes") << QStringList{} << true;
    QTest::newRow("readings of other columns at version 0, no") << wrongColumns << false;
    QTest::newRow("readings of other columns at version 1, no") << (wrongColumns + QStringList{"PRAGMA user_version = 1"})
                                                                 << false;
    QTest::newRow("readings of other columns at version 1, yes") << (wrongColumns + QStringList{"PRAGMA user_version = 1"})
                                                                  << true;
    QTest::newRow("version 1 without readings, no") << QStringList{"CREATE TABLE t (x)", "PRAGMA user_version = 1"} << false;
    // Sets read from these would have no id to be saved or deleted by.
    const QString readings = "CREATE TABLE readings (id INTEGER PRIMARY KEY, played_at TEXT, mode TEXT, session INTEGER,"
                             " poem INTEGER, outcome TEXT, chosen INTEGER, ticks INTEGER, ms INTEGER,"
                             " ms_after_deciding INTEGER, deciding TEXT, extra TEXT)";
    auto sets = [&](const QString &table, const QString &id = "NULL") {
        return QStringList{readings, table, "INSERT INTO own_sets (id, name) VALUES (" + id + ", '自陣')",
                           "PRAGMA user_version = 2"};
    };
    QTest::newRow("own sets without a key, no") << sets("CREATE TABLE own_sets (id, name, poems)") << false;
    QTest::newRow("own sets without a key, yes") << sets("CREATE TABLE own_sets (id, name, poems)") << true;
    QTest::newRow("own sets keyed by text, no") << sets("CREATE TABLE own_sets (id TEXT PRIMARY KEY, name, poems)") << false;
    QTest::newRow("own sets keyed in descending order, no")
        << sets("CREATE TABLE own_sets (id INTEGER PRIMARY KEY DESC, name, poems)") << false;
    QTest::newRow("own sets without row ids, no")
        << sets("CREATE TABLE own_sets (id INTEGER PRIMARY KEY, name, poems) WITHOUT ROWID", "'x'") << false;
    QTest::newRow("own sets without poems, no") << sets("CREATE TABLE own_sets (id INTEGER PRIMARY KEY, name, poem)") << false;
}

void tst_HistoryDb::damagedFileIsSetAsideOnlyOnYes()
{
    QFETCH(QStringList, make);
    QFETCH(bool, yes);
    if (make.isEmpty())
        writeFile(file(), kGarbage);
    else
        runOn(file(), make);
    const QByteArray before = readAll(file());
    {
        // The statistics window and the drill only look.
        Database reader(file());
        QVERIFY(!reader.openForReading());
        QCOMPARE(reader.trouble(), Trouble::Damaged);
    }
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"history.sqlite"});
    fakes::FakeMessages notice;
    notice.answers = {yes};
    platform::Services s;
    s.messages = &notice;
    const platform::ScopedServices scoped(s);
    {
        SqliteRecorder r(file());
        r.now = [] { return QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0)); };
        r.start();
        r.record(sampleTake()); // waits for the check and the player's answer
        QCOMPARE(r.waitUntilStarted(), yes);
        r.record(sampleTake());
        r.flush();
    }
    QCOMPARE(notice.asked.size(), 1);
    QVERIFY(notice.informed.isEmpty());
    if (!yes) {
        QCOMPARE(readAll(file()), before);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"history.sqlite"});
        return;
    }
    QCOMPARE(readAll(file("history.sqlite.damaged-20261207-093000")), before);
    Database db(file());
    QVERIFY(db.openForReading());
    QCOMPARE(scalar(db.db(), "SELECT count(*) FROM readings").toInt(), 2);
}

void tst_HistoryDb::takesDuringTheCheckAreKept_data()
{
    QTest::addColumn<bool>("waited"); // else the recorder is closed before the check's outcome comes back
    QTest::newRow("written once the check passed") << true;
    QTest::newRow("written when closed during the check") << false;
}

void tst_HistoryDb::takesDuringTheCheckAreKept()
{
    QFETCH(bool, waited);
    {
        Database db(file());
        QCOMPARE(db.open(), OpenResult::Ok);
        QVERIFY(db.insert(sampleTake(), QDateTime::currentDateTime()));
    }
    fakes::FakeMessages notice;
    platform::Services s;
    s.messages = &notice;
    const platform::ScopedServices scoped(s);
    {
        SqliteRecorder r(file());
        r.start();
        Take t = sampleTake();
        for (t.poem = 1; t.poem <= 3; ++t.poem)
            r.record(t);
        if (waited)
            QVERIFY(r.waitUntilStarted());
    }
    QVERIFY(notice.asked.isEmpty() && notice.informed.isEmpty());
    Database db(file());
    QVERIFY(db.openForReading());
    QCOMPARE(scalar(db.db(), "SELECT group_concat(poem) FROM (SELECT poem FROM readings ORDER BY id)").toString(), QStringLiteral("12,1,2,3"));
}

void tst_HistoryDb::unwritableHistoryIsToldOnce()
{
    fakes::FakeMessages notice;
    platform::Services s;
    s.messages = &notice;
    const platform::ScopedServices scoped(s);
    SqliteRecorder r(file("gone/history.sqlite"));
    r.start();
    QVERIFY(!r.waitUntilStarted());
    r.record(sampleTake());
    r.record(sampleTake());
    QCOMPARE(notice.informed, QStringList{unavailableMessage(file("gone/history.sqlite"))});
    QVERIFY(notice.asked.isEmpty());
}

void tst_HistoryDb::takesWaitOutAFullDisk_data()
{
    QTest::addColumn<QString>("room"); // when the space comes back
    QTest::addColumn<int>("kept");     // how many takes may wait
    QTest::newRow("before the next take") << "next take" << 10;
    QTest::newRow("before leaving") << "leaving" << 10;
    QTest::newRow("never") << "never" << 10;
    QTest::newRow("after more than can be kept") << "next take" << 3;
}

// Four takes meet a full disk: each waits, in order, and the player hears
// of it once, the count kept up to date while the notice is up.
void tst_HistoryDb::takesWaitOutAFullDisk()
{
    QFETCH(QString, room);
    QFETCH(int, kept);
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    const QString path = disk.filePath("history.sqlite");
    fakes::FakeMessages notice;
    platform::Services s;
    s.messages = &notice;
    const platform::ScopedServices scoped(s);
    QStringList told;
    QStringList amended;
    {
        SqliteRecorder r(path);
        r.tellDuringPlay = [&](const QString &m) { told << m; };
        r.amendDuringPlay = [&](const QString &m) { amended << m; };
        r.waitingMax = kept;
        r.start();
        QVERIFY(r.waitUntilStarted());
        Take t = sampleTake();
        auto take = [&](int poem) {
            t.poem = poem;
            r.record(t);
            r.flush();
            QCoreApplication::processEvents(); // the worker's report
        };
        take(1);
        take(2);
        QVERIFY(disk.fill());
        for (int poem = 3; poem <= 6; ++poem)
            take(poem);
        const int waiting = std::min(kept, 4);
        QCOMPARE(told, QStringList{waitingMessage(path, 1, 0, true)});
        QCOMPARE(amended.last(), waitingMessage(path, waiting, 4 - waiting, true));
        QCOMPARE(amended.size(), 3);
        if (room == "next take") {
            disk.release();
            take(7);
            QCOMPARE(amended.last(), writtenLateMessage(waiting));
        } else if (room == "leaving") {
            disk.release();
        }
    }
    QCOMPARE(told.size(), 1);
    QCOMPARE(notice.informed, room == "never" ? QStringList{lostAtLeavingMessage(path, 4)} : QStringList{});
    disk.release();
    Database db(path);
    QVERIFY(db.openForReading());
    const QString expected = kept < 4 ? "1,2,3,4,5,7" : room == "next take" ? "1,2,3,4,5,6,7" : room == "leaving" ? "1,2,3,4,5,6" : "1,2";
    QCOMPARE(scalar(db.db(), "SELECT group_concat(poem) FROM (SELECT poem FROM readings ORDER BY id)").toString(), expected);
}

void tst_HistoryDb::historyLivesWhereThePlayerCanWrite_data()
{
    QTest::addColumn<QString>("working"); // under the test's folder; "file" is a plain file there
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("existing"); // a history in the working folder already
    QTest::newRow("working folder that can hold it") << "work" << "data/kotoha" << "work/history.sqlite" << false;
    QTest::newRow("history already in the working folder") << "work" << "data/kotoha" << "work/history.sqlite" << true;
    // A path under a plain file cannot be made, whoever runs the test.
    QTest::newRow("working folder that cannot be") << "file/work" << "data/kotoha" << "data/kotoha/history.sqlite" << false;
    QTest::newRow("neither can hold it") << "file/work" << "file/kotoha" << "file/kotoha/history.sqlite" << false;
}

void tst_HistoryDb::historyLivesWhereThePlayerCanWrite()
{
    QFETCH(QString, working);
    QFETCH(QString, data);
    QFETCH(QString, expected);
    QFETCH(bool, existing);
    writeFile(file("file"), "records");
    QDir(dir_->path()).mkpath("work");
    if (existing)
        runOn(file("work/history.sqlite"), {"CREATE TABLE notes (x)"});
    const QByteArray before = readAll(file("work/history.sqlite"));
    const HistoryChoice choice = resolveHistory(file(working), file(data));
    QCOMPARE(choice.path, file(expected));
    QCOMPARE(choice.unwritable, QString());
    QCOMPARE(readAll(file("work/history.sqlite")), before);
    QCOMPARE(QDir(file("work")).entryList(QDir::Files), existing ? QStringList{"history.sqlite"} : QStringList{});
    // The data folder is made when it is the one used.
    QCOMPARE(QFileInfo(file(data)).isDir(), expected.startsWith("data/"));
}

// A history the player cannot write any more (here a read-only file
// system): a new one is made in the data folder, and the old one stays in
// view, read as it stands.
void tst_HistoryDb::unwritableHistoryInTheWorkingFolderIsKeptInView()
{
    SmallDisk work;
    SKIP_WITHOUT_SMALL_DISK(work);
    const QString old = work.filePath("history.sqlite");
    {
        Database db(old);
        QCOMPARE(db.open(), OpenResult::Ok);
        for (int i = 0; i < 3; ++i)
            QVERIFY(db.insert(sampleTake(), QDateTime::currentDateTime()));
    }
    QVERIFY(work.setReadOnly(true));
    const QByteArray before = readAll(old);
    const HistoryChoice choice = resolveHistory(work.path(), file("data/kotoha"));
    QCOMPARE(choice.path, file("data/kotoha/history.sqlite"));
    QCOMPARE(choice.unwritable, old);
    QVERIFY(QFileInfo(file("data/kotoha")).isDir());
    Database db(choice.unwritable);
    QVERIFY(db.openForReading());
    QVERIFY(db.readOnly());
    QCOMPARE(scalar(db.db(), "SELECT count(*) FROM readings").toInt(), 3);
    QCOMPARE(readAll(old), before);
    // The working folder's writable again: back to it, silently.
    QVERIFY(work.setReadOnly(false));
    QCOMPARE(resolveHistory(work.path(), file("data/kotoha")).path, old);
    QCOMPARE(resolveHistory(work.path(), file("data/kotoha")).unwritable, QString());
}

void tst_HistoryDb::whatIsNoPlainFileIsNeverOpened_data()
{
    QTest::addColumn<QString>("at"); // where the odd thing stands
    QTest::addColumn<bool>("fifo");  // else a folder
    QTest::newRow("a named pipe") << "history.sqlite" << true;
    QTest::newRow("a folder") << "history.sqlite" << false;
    QTest::newRow("a named pipe as its log") << "history.sqlite-wal" << true;
}

// Opening a named pipe waits for a writer that never comes: every reader
// must refuse it first. A hang here fails the test by its time limit.
void tst_HistoryDb::whatIsNoPlainFileIsNeverOpened()
{
    QFETCH(QString, at);
    QFETCH(bool, fifo);
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(file(at)).constData(), 0644), 0);
    else
        QVERIFY(QDir(dir_->path()).mkdir(at));
    fakes::FakeMessages notice;
    platform::Services s;
    s.messages = &notice;
    const platform::ScopedServices scoped(s);
    {
        SqliteRecorder r(file());
        r.start();
        QVERIFY(!r.waitUntilStarted());
    }
    QCOMPARE(notice.informed, QStringList{unavailableMessage(file())});
    QVERIFY(notice.asked.isEmpty());
    Database reader(file());
    QVERIFY(!reader.openForReading());
    QCOMPARE(reader.trouble(), Trouble::NotAFile);
    setDatabasePath(file());
    platform::Random rng{1};
    QCOMPARE(weakestPoems(QDate(2026, 12, 7), 5, rng).size(), 5);
    QVERIFY(recentReactions(QDate(2026, 12, 7), 30, 0).isEmpty());
    setDatabasePath(QStringLiteral("history.sqlite"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList{at});
}

void tst_HistoryDb::playerWithoutRights_data()
{
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("folderWritable");
    QTest::newRow("a history the player may read") << true << false;
    QTest::newRow("a history the player may not read") << false << false;
    // The write-ahead log can be made beside it: only a write finds out.
    QTest::newRow("a read-only history in the player's folder") << true << true;
}

// As the player runs it: a process without rights to the folder or the
// file. Run as root, the helper is started as user nobody.
void tst_HistoryDb::playerWithoutRights()
{
    QFETCH(bool, readable);
    QFETCH(bool, folderWritable);
    const bool root = ::geteuid() == 0;
    if (root && QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("running as root without setpriv: no way to run as a player");
    {
        Database db(file());
        QCOMPARE(db.open(), OpenResult::Ok);
        for (int i = 0; i < 3; ++i)
            QVERIFY(db.insert(sampleTake(), QDateTime::currentDateTime()));
    }
    const QByteArray before = readAll(file());
    // Root owns both: the player may read (or not) and write neither.
    QFile::setPermissions(file(), readable ? QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther
                                           : QFileDevice::Permissions{});
    const QFileDevice::Permissions everyone = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(dir_->path(), folderWritable ? everyone | QFileDevice::WriteOwner | QFileDevice::WriteOther : everyone);
    if (folderWritable && !root)
        QFile::setPermissions(dir_->path(), everyone | QFileDevice::WriteOwner);
    auto run = [&](const QStringList &arguments, QByteArray *err = nullptr) {
        QProcess p;
        if (root)
            p.start(QStringLiteral("setpriv"), QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                                           QStringLiteral(HISTORY_WRITER)} + arguments);
        else
            p.start(QStringLiteral(HISTORY_WRITER), arguments);
        p.waitForFinished(20000);
        if (err)
            *err = p.readAllStandardError();
        return p.readAllStandardOutput().trimmed();
    };
    QByteArray err;
    const QByteArray written = run({file(), "5", "8"}, &err);
    const QByteArray read = run({file(), "read"});
    QFile::setPermissions(dir_->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(file(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // Told once at start, before any take, and nothing written.
    QVERIFY2(written.isEmpty(), written.constData());
    QVERIFY2(err.contains(unavailableMessage(file()).toUtf8()), err.constData());
    QCOMPARE(readAll(file()), before);
    if (!folderWritable)
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"history.sqlite"});
    QCOMPARE(read, readable ? QByteArray("rows 3 readonly 1") : QByteArray("trouble ") + QByteArray::number(int(Trouble::Denied)));
}

void tst_HistoryDb::killMidStreamLeavesASoundFile_data()
{
    QTest::addColumn<int>("after"); // takes written before the kill
    QTest::newRow("early") << 10;
    QTest::newRow("later") << 150;
}

void tst_HistoryDb::killMidStreamLeavesASoundFile()
{
    QFETCH(int, after);
    QProcess writer;
    writer.start(QStringLiteral(HISTORY_WRITER), {file(), "0", "33"});
    QVERIFY(writer.waitForStarted());
    int written = 0;
    while (written < after && writer.waitForReadyRead(10000)) {
        while (writer.canReadLine())
            written = QString::fromLatin1(writer.readLine()).section(' ', 1).trimmed().toInt();
    }
    QVERIFY(written >= after);
    ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
    QVERIFY(writer.waitForFinished());

    Database db(file());
    QCOMPARE(db.open(), OpenResult::Ok);
    QCOMPARE(scalar(db.db(), "PRAGMA integrity_check").toString(), QStringLiteral("ok"));
    const int rows = scalar(db.db(), "SELECT count(*) FROM readings").toInt();
    QVERIFY(rows >= written);
    // Nothing half-written: every row is whole and none is missing in between.
    QCOMPARE(scalar(db.db(), "SELECT max(id) FROM readings").toInt(), rows);
    QCOMPARE(scalar(db.db(), "SELECT count(*) FROM readings WHERE poem = 33 AND ms IS NOT NULL").toInt(), rows);
}

void tst_HistoryDb::twoCopiesWriteAtOnce()
{
    QProcess a, b;
    a.start(QStringLiteral(HISTORY_WRITER), {file(), "300", "5"});
    b.start(QStringLiteral(HISTORY_WRITER), {file(), "300", "6"});
    QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    Database db(file());
    QVERIFY(db.openForReading());
    QCOMPARE(scalar(db.db(), "SELECT count(*) FROM readings WHERE poem = 5").toInt(), 300);
    QCOMPARE(scalar(db.db(), "SELECT count(*) FROM readings WHERE poem = 6").toInt(), 300);
    QCOMPARE(scalar(db.db(), "SELECT count(DISTINCT session) FROM readings").toInt(), 2);
    QCOMPARE(scalar(db.db(), "PRAGMA integrity_check").toString(), QStringLiteral("ok"));
}

void tst_HistoryDb::weakestRanking_data()
{
    const QDate today(2026, 12, 7);
    auto take = [&](int poem, const char *outcome, qint64 msad, int daysAgo) {
        return WeakTake{poem, *outcomeFromWord(QString::fromLatin1(outcome)), msad, today.addDays(-daysAgo)};
    };
    QTest::addColumn<QList<WeakTake>>("takes");
    QTest::addColumn<int>("n");
    QTest::addColumn<QList<int>>("first"); // the head of the ranking, in order
    QTest::addColumn<QList<int>>("absent"); // poems that must not be among the n
    QTest::newRow("miss, slow, unseen, fast")
        << QList<WeakTake>{take(3, "right", 2400, 0), take(4, "wrong", 0, 0), take(5, "right", 100, 0)}
        << 2 << QList<int>{4, 3} << QList<int>{5};
    QTest::newRow("recent outweighs old")
        << QList<WeakTake>{take(8, "wrong", 0, 20), take(8, "right", 0, 0), take(9, "right", 0, 20), take(9, "timeout", 0, 0)}
        << 1 << QList<int>{9} << QList<int>{8};
    QTest::newRow("older than the window is forgotten")
        << QList<WeakTake>{take(10, "wrong", 0, 30), take(11, "right", 0, 29)}
        << 99 << QList<int>{} << QList<int>{11};
    QTest::newRow("right before deciding is no fault")
        << QList<WeakTake>{take(20, "right", -300, 0)} << 99 << QList<int>{} << QList<int>{20};
}

void tst_HistoryDb::weakestRanking()
{
    QFETCH(QList<WeakTake>, takes);
    QFETCH(int, n);
    QFETCH(QList<int>, first);
    QFETCH(QList<int>, absent);
    platform::Random rng{12345};
    const QList<int> ranked = rankWeakest(takes, QDate(2026, 12, 7), n, rng);
    QCOMPARE(ranked.size(), n);
    QCOMPARE(QSet<int>(ranked.begin(), ranked.end()).size(), n);
    QCOMPARE(ranked.mid(0, first.size()), first);
    for (int p : absent)
        QVERIFY2(!ranked.contains(p), qPrintable(QString::number(p)));
}

// A dead card in a match is heard, not missed: the drill must not pick it.
void tst_HistoryDb::recentTakesLeaveDeadCardsOut()
{
    const QDate today(2026, 12, 7);
    Database db(file());
    QCOMPARE(db.open(), OpenResult::Ok);
    QList<Outcome> kept;
    for (Outcome outcome : {Outcome::Right, Outcome::Opponent, Outcome::Missed, Outcome::Dead}) {
        Take t;
        t.mode = Mode::Match;
        t.poem = 9;
        t.outcome = outcome;
        QVERIFY(db.insert(t, QDateTime(today, QTime(12, 0))));
    }
    for (const WeakTake &t : loadRecentTakes(db.db(), today))
        kept << t.outcome;
    QCOMPARE(kept, (QList<Outcome>{Outcome::Right, Outcome::Opponent, Outcome::Missed}));
}

void tst_HistoryDb::reactionsAreThePlayersRecentCardTakes_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<qint64>("session");
    QTest::addColumn<bool>("counted");
    QTest::newRow("a right take on a board") << "game-M" << "right" << 0 << qint64(7) << true;
    QTest::newRow("a right take in an earlier match") << "match" << "right" << 3 << qint64(7) << true;
    QTest::newRow("the match just played") << "match" << "right" << 0 << qint64(9) << false;
    QTest::newRow("a board's session of the same number") << "game-S" << "right" << 0 << qint64(9) << true;
    QTest::newRow("the opponent's take") << "match" << "opponent" << 0 << qint64(7) << false;
    QTest::newRow("a wrong card") << "game-L" << "wrong" << 0 << qint64(7) << false;
    QTest::newRow("a quiz answer") << "training" << "right" << 0 << qint64(7) << false;
    QTest::newRow("the last day of the window") << "game-S" << "right" << 29 << qint64(7) << true;
    QTest::newRow("older than the window") << "game-S" << "right" << 30 << qint64(7) << false;
}

void tst_HistoryDb::reactionsAreThePlayersRecentCardTakes()
{
    QFETCH(QString, mode);
    QFETCH(QString, outcome);
    QFETCH(int, daysAgo);
    QFETCH(qint64, session);
    QFETCH(bool, counted);
    const QDate today(2026, 12, 7);
    Database db(file());
    QCOMPARE(db.open(), OpenResult::Ok);
    Take t;
    t.mode = *modeFromWord(mode);
    t.session = session;
    t.poem = 1;
    t.outcome = *outcomeFromWord(outcome);
    t.ms = 900;
    t.msAfterDeciding = 420;
    QVERIFY(db.insert(t, QDateTime(today.addDays(-daysAgo), QTime(23, 59))));
    QCOMPARE(recentReactions(db.db(), today, 30, 9), counted ? QList<qint64>{420} : QList<qint64>{});
}

QTEST_GUILESS_MAIN(tst_HistoryDb)
#include "tst_historydb.moc"
