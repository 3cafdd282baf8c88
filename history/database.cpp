#include "database.h"

#include <QAtomicInt>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>
#include <QVariant>

namespace history {
namespace {

QString &pathSetting()
{
    static QString path = QStringLiteral("history.sqlite");
    return path;
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
    return isDamage(e) ? OpenResult::Damaged : OpenResult::Unavailable;
}

OpenResult Database::open(bool check)
{
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(path_);
    // Another copy of the program may hold the write lock for a moment.
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db_.open())
        return fail(QStringLiteral("open"), db_.lastError());

    QSqlQuery q(db_);
    // The first read of the header tells a file that is no database. Turning
    // a new file to the write-ahead log needs it alone for an instant, and a
    // second copy starting at that instant is refused at once, without the
    // busy timeout: it tries again for up to five seconds.
    for (int attempt = 0; !(q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && q.next()); ++attempt) {
        if (!isBusy(q.lastError()) || attempt == 100)
            return fail(QStringLiteral("journal_mode"), q.lastError());
        QThread::msleep(50);
    }
    if (q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        error_ = QStringLiteral("write-ahead log refused");
        return OpenResult::Unavailable;
    }
    // Every take is committed at once; NORMAL keeps a killed process's
    // commits and only a power cut may cost the last few.
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (check) {
        if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next())
            return fail(QStringLiteral("quick_check"), q.lastError());
        if (q.value(0).toString() != QLatin1String("ok")) {
            error_ = q.value(0).toString();
            return OpenResult::Damaged;
        }
    }
    // A statement left stepping holds a read snapshot, and upgrading that to
    // a write while another copy writes fails at once, busy timeout or not.
    q.finish();
    if (!migrate())
        return isDamage(db_.lastError()) ? OpenResult::Damaged : OpenResult::Unavailable;

    columns_.clear();
    const QSqlRecord rec = db_.record(QStringLiteral("readings"));
    for (int i = 0; i < rec.count(); ++i)
        columns_ << rec.fieldName(i);
    for (const QString &c : kBaseColumns) {
        if (!columns_.contains(c)) {
            error_ = QStringLiteral("readings lacks column ") + c;
            return OpenResult::Damaged;
        }
    }
    return OpenResult::Ok;
}

bool Database::openForReading()
{
    if (!QFile::exists(path_))
        return false;
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db_.setDatabaseName(path_);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"));
    if (!db_.open()) {
        error_ = db_.lastError().text();
        return false;
    }
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name = 'readings'")) || !q.next()
        || q.value(0).toInt() != 1) {
        error_ = q.lastError().text();
        return false;
    }
    return true;
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
