#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <memory>

#include "history/recorder.h"

namespace history {

constexpr int kSchemaVersion = 2;

// The history file in use, resolved once at start (resolveHistory);
// "history.sqlite" in the working folder until then. Tests point it elsewhere.
QString databasePath();
void setDatabasePath(const QString &path);

// A history in the working folder that is there but cannot be written, set
// once at start beside databasePath(); empty when there is none. 学習記録
// shows it as it stands.
QString unwritableHistoryPath();
void setUnwritableHistoryPath(const QString &path);

struct HistoryChoice {
    QString path;       // the history written
    QString unwritable; // the working folder's history when it is there but cannot be written
};

// The history is the player's own: "history.sqlite" in `workingFolder` when
// it is there and can be written, or can be made there; otherwise in
// `dataFolder`, made when missing. The data folder's path comes back even
// when that fails too, so that the player is told about it.
HistoryChoice resolveHistory(const QString &workingFolder, const QString &dataFolder);
// Which history is written and why, when the working folder's cannot be.
QString historyChoiceMessage(const HistoryChoice &choice);

// $XDG_DATA_HOME/kotoha, else ~/.local/share/kotoha.
QString playerDataFolder();

// False for a FIFO, a folder, a device ... at `path` or at its -wal or -shm
// companion: opening one of those can wait forever or read anything.
bool isPlainFileOrAbsent(const QString &path);

enum class OpenResult {
    Ok,
    Unavailable, // cannot be opened or written: folder read-only, disk full, locked for good
    Damaged,     // not a database, or its pages fail the check
};

// Why a history could not be read.
enum class Trouble {
    None,
    Missing,  // no file yet: nothing played
    NotAFile, // a FIFO, a folder ... in its place
    Denied,   // no permission to read it
    Damaged,  // not a database, or not the history's tables
    Other,
};

// The reason in the player's words.
QString troubleText(Trouble trouble);

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
    // quick check over every page. Nothing is written to a file before it is
    // known to be the history's, and Ok means it can be written.
    OpenResult open(bool check = false);
    // Opens an existing file for reading only; never creates, migrates or
    // writes. A file the player may not write is read as it stands on disk.
    bool openForReading();
    Trouble trouble() const { return trouble_; }
    bool readOnly() const { return readOnly_; } // after openForReading: the file cannot be written

    bool insert(const Take &take, const QDateTime &playedAt);
    // SQLite's primary result code of the last failed insert (13: the disk
    // is full); 0 when it did not say.
    int lastCode() const { return lastCode_; }

    QSqlDatabase &db() { return db_; }
    int schemaVersion();
    QString lastError() const { return error_; }

private:
    OpenResult fail(const QString &what, const class QSqlError &e);
    bool migrate();
    bool connect(const QString &name, const QString &options);
    Trouble checkTables();

    QString path_;
    QString connection_;
    QSqlDatabase db_;
    std::unique_ptr<QSqlQuery> insert_;
    QStringList columns_;
    QString error_;
    int lastCode_ = 0;
    Trouble trouble_ = Trouble::None;
    bool readOnly_ = false;
};

// Renames a damaged file, with its -wal and -shm companions, to
// "<file>.damaged-<yyyyMMdd-hhmmss>"; returns the new name or an empty string.
QString setAside(const QString &path, const QDateTime &now);

// The played_at text: local time with its offset, ISO 8601.
QString isoWithOffset(const QDateTime &local);

} // namespace history
