#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <memory>

#include "history/recorder.h"

namespace history {

constexpr int kSchemaVersion = 1;

// Where the program keeps its history: "history.sqlite" in the working
// folder, beside the records files. Tests point it elsewhere.
QString databasePath();
void setDatabasePath(const QString &path);

enum class OpenResult {
    Ok,
    Unavailable, // cannot be opened or written: folder read-only, disk full, locked for good
    Damaged,     // not a database, or its pages fail the check
};

// One SQLite connection with the schema brought up to date. A connection
// belongs to the thread that opened it.
class Database {
public:
    explicit Database(const QString &path);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens (creating the file when it is missing) in write-ahead mode with a
    // busy timeout and migrates the schema forward. `check` also runs SQLite's
    // quick check over every page.
    OpenResult open(bool check = false);
    // Opens an existing file for reading only; never creates or migrates.
    bool openForReading();

    bool insert(const Take &take, const QDateTime &playedAt);

    QSqlDatabase &db() { return db_; }
    int schemaVersion();
    QString lastError() const { return error_; }

private:
    OpenResult fail(const QString &what, const class QSqlError &e);
    bool migrate();

    QString path_;
    QString connection_;
    QSqlDatabase db_;
    std::unique_ptr<QSqlQuery> insert_;
    QStringList columns_;
    QString error_;
};

// Renames a damaged file, with its -wal and -shm companions, to
// "<file>.damaged-<yyyyMMdd-hhmmss>"; returns the new name or an empty string.
QString setAside(const QString &path, const QDateTime &now);

// The played_at text: local time with its offset, ISO 8601.
QString isoWithOffset(const QDateTime &local);

} // namespace history
