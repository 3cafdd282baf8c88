#include "database.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>
#include <QVariant>

namespace history {
namespace {

constexpr QLatin1String kFileName("history.sqlite");

QString &pathSetting()
{
    static QString path = QString(kFileName);
    return path;
}

QString &unwritableSetting()
{
    static QString path;
    return path;
}

// Creating a file is what the history needs of its folder: the file itself
// and, beside it, the write-ahead log and its index.
bool canMakeFilesIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QString(kFileName) + QStringLiteral(".XXXXXX")));
    return probe.open();
}

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("history-%1").arg(counter.fetchAndAddRelaxed(1));
}

// SQLite's own result codes, as the driver reports them.
bool isDamage(const QSqlError &e)
{
    const QString code = e.nativeErrorCode();
    return code == QLatin1String("11") || code == QLatin1String("26"); // SQLITE_CORRUPT, SQLITE_NOTADB
}

bool isBusy(const QSqlError &e)
{
    const QString code = e.nativeErrorCode();
    return code == QLatin1String("5") || code == QLatin1String("6"); // SQLITE_BUSY, SQLITE_LOCKED
}

// Step v brings a file of user_version v to v + 1.
const QList<QStringList> &migrations()
{
    static const QList<QStringList> steps = {
        {
            QStringLiteral("CREATE TABLE readings ("
                           " id INTEGER PRIMARY KEY,"
                           " played_at TEXT NOT NULL,"
                           " mode TEXT NOT NULL,"
                           " session INTEGER NOT NULL,"
                           " poem INTEGER NOT NULL CHECK (poem BETWEEN 1 AND 100),"
                           " outcome TEXT NOT NULL,"
                           " chosen INTEGER,"
                           " ticks INTEGER,"
                           " ms INTEGER NOT NULL,"
                           " ms_after_deciding INTEGER,"
                           " deciding TEXT NOT NULL DEFAULT 'spelled',"
                           " extra TEXT)"),
            QStringLiteral("CREATE INDEX readings_poem ON readings (poem)"),
            QStringLiteral("CREATE INDEX readings_played_at ON readings (played_at)"),
        },
        // The player's own sets and options (playerstore.h); a program of
        // version 1 opens such a file and leaves these tables alone.
        {
            // A file whose tables were made by hand in the right shape keeps them.
            QStringLiteral("CREATE TABLE IF NOT EXISTS own_sets (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, poems TEXT NOT NULL)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS options (name TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        },
    };
    return steps;
}

const QStringList kBaseColumns = {
    QStringLiteral("played_at"), QStringLiteral("mode"),  QStringLiteral("session"),
    QStringLiteral("poem"),      QStringLiteral("outcome"), QStringLiteral("chosen"),
    QStringLiteral("ticks"),     QStringLiteral("ms"),    QStringLiteral("ms_after_deciding"),
    QStringLiteral("deciding"),
};

} // namespace

QString databasePath()
{
    return pathSetting();
}

void setDatabasePath(const QString &path)
{
    pathSetting() = path;
}

QString unwritableHistoryPath()
{
    return unwritableSetting();
}

void setUnwritableHistoryPath(const QString &path)
{
    unwritableSetting() = path;
}

HistoryChoice resolveHistory(const QString &workingFolder, const QString &dataFolder)
{
    const QString here = QDir(workingFolder).filePath(kFileName);
    const QFileInfo info(here);
    QFile existing(here);
    const bool usable = info.exists() || info.isSymLink()
        ? info.isFile() && existing.open(QIODevice::ReadWrite) && canMakeFilesIn(workingFolder)
        : canMakeFilesIn(workingFolder);
    if (usable)
        return {here, {}};
    QDir().mkpath(dataFolder);
    // Only a file can be a history: a folder or a pipe of that name is not
    // one the player would miss.
    return {QDir(dataFolder).filePath(kFileName), info.isFile() ? here : QString()};
}

QString historyChoiceMessage(const HistoryChoice &choice)
{
    return QStringLiteral("作業フォルダの学習記録ファイル(%1)には書き込めないため、"
                          "学習記録は %2 に残します。\n"
                          "作業フォルダの記録は「学習記録」の画面で、読むだけで見られます。")
        .arg(QDir::toNativeSeparators(choice.unwritable), QDir::toNativeSeparators(choice.path));
}

QString playerDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("kotoha"));
}

bool isPlainFileOrAbsent(const QString &path)
{
    for (const QString &p : {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        const QFileInfo info(p);
        if ((info.exists() || info.isSymLink()) && !info.isFile())
            return false;
    }
    return true;
}

QString troubleText(Trouble trouble)
{
    switch (trouble) {
    case Trouble::None: return {};
    case Trouble::Missing: return QStringLiteral("ファイルがありません。");
    case Trouble::NotAFile: return QStringLiteral("通常のファイルではありません(名前付きパイプやフォルダなど)。");
    case Trouble::Denied: return QStringLiteral("読み取りの許可がありません。");
    case Trouble::Damaged: return QStringLiteral("ファイルが壊れているか、学習記録のファイルではありません。");
    case Trouble::Other: return QStringLiteral("ファイルを開けませんでした。");
    }
    Q_UNREACHABLE();
}

QString isoWithOffset(const QDateTime &local)
{
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

Database::Database(const QString &path)
    : path_(path), connection_(uniqueConnectionName())
{
}

Database::~Database()
{
    insert_.reset();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection_);
    }
}

OpenResult Database::fail(const QString &what, const QSqlError &e)
{
    error_ = what + QStringLiteral(": ") + e.text();
    trouble_ = isDamage(e) ? Trouble::Damaged : Trouble::Other;
    return isDamage(e) ? OpenResult::Damaged : OpenResult::Unavailable;
}

bool Database::connect(const QString &name, const QString &options)
{
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(name);
    db_.setConnectOptions(options);
    if (db_.open())
        return true;
    error_ = QStringLiteral("open: ") + db_.lastError().text();
    trouble_ = Trouble::Other;
    return false;
}

// Reads only. Missing: no readings table yet, in a file no program has
// made its own (user_version 0).
Trouble Database::checkTables()
{
    // One snapshot for every read: another copy migrating meanwhile must not
    // be seen half, its tables without their version.
    QSqlQuery(db_).exec(QStringLiteral("BEGIN"));
    const auto done = qScopeGuard([this] { QSqlQuery(db_).exec(QStringLiteral("ROLLBACK")); });
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    auto failed = [&](const char *what) {
        error_ = QLatin1String(what) + QStringLiteral(": ") + q.lastError().text();
        return isDamage(q.lastError()) ? Trouble::Damaged : Trouble::Other;
    };
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return failed("user_version");
    const int version = q.value(0).toInt();

    // A set is found again by its id: own_sets, where there is one, must
    // have an id that SQLite itself gives, an alias of the row id. That is
    // a column INTEGER PRIMARY KEY alone, which makes no index of its own
    // (one declared DESC, or in a table WITHOUT ROWID, does, and lets
    // NULLs or text in).
    if (!q.exec(QStringLiteral("SELECT name, type, pk FROM pragma_table_info('own_sets')")))
        return failed("own_sets");
    QStringList setColumns;
    bool rowidKey = false;
    int keys = 0;
    while (q.next()) {
        setColumns << q.value(0).toString();
        if (q.value(2).toInt() > 0) {
            ++keys;
            rowidKey = q.value(0).toString() == QLatin1String("id")
                && q.value(1).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        }
    }
    if (q.lastError().isValid())
        return failed("own_sets");
    if (!setColumns.isEmpty()) {
        if (!q.exec(QStringLiteral("SELECT count(*) FROM pragma_index_list('own_sets') WHERE origin = 'pk'")) || !q.next())
            return failed("own_sets");
        if (keys != 1 || !rowidKey || q.value(0).toInt() != 0 || !setColumns.contains(QLatin1String("name"))
            || !setColumns.contains(QLatin1String("poems"))) {
            error_ = QStringLiteral("own_sets without its integer key or columns");
            return Trouble::Damaged;
        }
    }

    if (!q.exec(QStringLiteral("SELECT name FROM pragma_table_info('readings')")))
        return failed("table_info");
    QStringList columns;
    while (q.next())
        columns << q.value(0).toString();
    if (q.lastError().isValid())
        return failed("table_info");
    if (columns.isEmpty())
        return version == 0 ? Trouble::Missing : Trouble::Damaged;
    // A readings table the migration did not make is somebody else's.
    if (version == 0) {
        error_ = QStringLiteral("readings in a file of version 0");
        return Trouble::Damaged;
    }
    for (const QString &c : kBaseColumns) {
        if (!columns.contains(c)) {
            error_ = QStringLiteral("readings lacks column ") + c;
            return Trouble::Damaged;
        }
    }
    return Trouble::None;
}

OpenResult Database::open(bool check)
{
    if (!isPlainFileOrAbsent(path_)) {
        error_ = QStringLiteral("not a plain file");
        trouble_ = Trouble::NotAFile;
        return OpenResult::Unavailable;
    }
    // Another copy of the program may hold the write lock for a moment.
    if (!connect(path_, QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")))
        return OpenResult::Unavailable;

    QSqlQuery q(db_);
    // Up to the journal mode everything only reads: a file that turns out
    // not to be the history's is left byte for byte as it was.
    if (check) {
        if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
            return fail(QStringLiteral("quick_check"), q.lastError());
        if (q.value(0).toString() != QLatin1String("ok")) {
            error_ = q.value(0).toString();
            trouble_ = Trouble::Damaged;
            return OpenResult::Damaged;
        }
        q.finish();
    }
    if (const Trouble t = checkTables(); t != Trouble::None && t != Trouble::Missing) {
        trouble_ = t;
        return t == Trouble::Damaged ? OpenResult::Damaged : OpenResult::Unavailable;
    }

    // Turning a new file to the write-ahead log needs it alone for an
    // instant, and a second copy starting at that instant is refused at
    // once, without the busy timeout: it tries again for up to five seconds.
    for (int attempt = 0; !(q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && q.next()); ++attempt) {
        if (!isBusy(q.lastError()) || attempt == 100)
            return fail(QStringLiteral("journal_mode"), q.lastError());
        QThread::msleep(50);
    }
    if (q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        error_ = QStringLiteral("write-ahead log refused");
        trouble_ = Trouble::Other;
        return OpenResult::Unavailable;
    }
    // Every take is committed at once; NORMAL keeps a killed process's
    // commits and only a power cut may cost the last few.
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // A statement left stepping holds a read snapshot, and upgrading that to
    // a write while another copy writes fails at once, busy timeout or not.
    q.finish();
    if (!migrate()) {
        trouble_ = isDamage(db_.lastError()) ? Trouble::Damaged : Trouble::Other;
        return isDamage(db_.lastError()) ? OpenResult::Damaged : OpenResult::Unavailable;
    }

    columns_.clear();
    const QSqlRecord rec = db_.record(QStringLiteral("readings"));
    for (int i = 0; i < rec.count(); ++i)
        columns_ << rec.fieldName(i);
    // A file the player may not write, already in write-ahead mode, passes
    // everything above, and SQLite grants it even the write lock: write its
    // version again and take it back.
    const int version = schemaVersion();
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(QStringLiteral("write lock"), q.lastError());
    const bool writable = q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    const QSqlError refused = q.lastError();
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
    if (!writable)
        return fail(QStringLiteral("write"), refused);
    return OpenResult::Ok;
}

bool Database::openForReading()
{
    const QFileInfo info(path_);
    if (!isPlainFileOrAbsent(path_))
        trouble_ = Trouble::NotAFile;
    else if (!info.exists() || info.size() == 0)
        trouble_ = Trouble::Missing;
    else if (!info.isReadable())
        trouble_ = Trouble::Denied;
    if (trouble_ != Trouble::None)
        return false;

    readOnly_ = !info.isWritable() || !QFileInfo(info.absolutePath()).isWritable();
    // A file the player may not write is read as it stands, without the
    // -shm index SQLite would want to make beside it; what a killed writer
    // left in its log is then not seen.
    const bool connected = readOnly_
        ? connect(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1"),
                  QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"))
        : connect(path_, QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"));
    if (!connected)
        return false;
    trouble_ = checkTables();
    return trouble_ == Trouble::None;
}

int Database::schemaVersion()
{
    QSqlQuery q(db_);
    return q.exec(QStringLiteral("PRAGMA user_version")) && q.next() ? q.value(0).toInt() : -1;
}

bool Database::migrate()
{
    if (schemaVersion() >= kSchemaVersion)
        return true; // a newer program's file: its added columns are left alone
    QSqlQuery q(db_);
    // IMMEDIATE: of two copies starting together, one migrates and the
    // other then sees the new version.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        error_ = QStringLiteral("begin: ") + q.lastError().text();
        return false;
    }
    int version = schemaVersion();
    for (; version >= 0 && version < kSchemaVersion; ++version) {
        for (const QString &statement : migrations()[version]) {
            if (!q.exec(statement)) {
                error_ = statement.left(20) + QStringLiteral(": ") + q.lastError().text();
                QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
                return false;
            }
        }
        q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version + 1));
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        error_ = QStringLiteral("commit: ") + q.lastError().text();
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return version >= kSchemaVersion;
}

bool Database::insert(const Take &take, const QDateTime &playedAt)
{
    QStringList names = kBaseColumns;
    QVariantList values = {
        isoWithOffset(playedAt),
        word(take.mode),
        take.session,
        take.poem,
        word(take.outcome),
        take.chosen > 0 ? QVariant(take.chosen) : QVariant(QMetaType::fromType<int>()),
        take.ticks ? QVariant(*take.ticks) : QVariant(QMetaType::fromType<int>()),
        take.ms,
        take.msAfterDeciding ? QVariant(*take.msAfterDeciding) : QVariant(QMetaType::fromType<qint64>()),
        word(take.deciding),
    };
    QJsonObject rest;
    for (auto it = take.extra.cbegin(); it != take.extra.cend(); ++it) {
        if (columns_.contains(it.key()) && !kBaseColumns.contains(it.key()) && it.key() != QLatin1String("id")
            && it.key() != QLatin1String("extra")) {
            names << it.key();
            values << it.value();
        } else {
            rest.insert(it.key(), QJsonValue::fromVariant(it.value()));
        }
    }
    if (!rest.isEmpty()) {
        names << QStringLiteral("extra");
        values << QString::fromUtf8(QJsonDocument(rest).toJson(QJsonDocument::Compact));
    }

    QSqlQuery *q = nullptr;
    std::unique_ptr<QSqlQuery> once;
    if (names.size() == kBaseColumns.size()) {
        if (!insert_) {
            insert_ = std::make_unique<QSqlQuery>(db_);
            insert_->prepare(QStringLiteral("INSERT INTO readings (%1) VALUES (?%2)")
                                 .arg(kBaseColumns.join(QLatin1Char(',')), QStringLiteral(",?").repeated(int(kBaseColumns.size()) - 1)));
        }
        q = insert_.get();
    } else {
        once = std::make_unique<QSqlQuery>(db_);
        once->prepare(QStringLiteral("INSERT INTO readings (%1) VALUES (?%2)")
                          .arg(names.join(QLatin1Char(',')), QStringLiteral(",?").repeated(int(names.size()) - 1)));
        q = once.get();
    }
    for (int i = 0; i < values.size(); ++i)
        q->bindValue(i, values[i]);
    if (!q->exec()) {
        error_ = q->lastError().text();
        lastCode_ = q->lastError().nativeErrorCode().toInt() & 0xff; // extended codes carry the primary in their low byte
        return false;
    }
    return true;
}

QString setAside(const QString &path, const QDateTime &now)
{
    const QString target = path + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (QFile::exists(target) || !QFile::rename(path, target))
        return {};
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString companion = path + QLatin1String(suffix);
        if (QFile::exists(companion))
            QFile::rename(companion, target + QLatin1String(suffix));
    }
    return target;
}

} // namespace history
