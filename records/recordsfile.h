#pragma once

#include <QByteArray>
#include <QString>

#include "platform/services.h"
#include "records/recordstable.h"

// The records file on disk: reading it, and the locked update of the
// record step. The bytes themselves are recordstable.h's.
namespace records {

// A records file that cannot be used, with what the player is told: what is
// wrong (`reason`) and what they can do about it (`advice`).
class RecordsError : public platform::InOutError {
public:
    enum class Kind { AccessDenied, NotWritable, NotAFile, Damaged, NoRoom, Busy, Other };
    RecordsError(Kind kind, const QString &path, const QString &reason, const QString &advice = {});
    Kind kind;
    QString path;
    QString reason;
    QString advice;
};

// The path as the player is shown it: absolute, so it can be found.
QString shownPath(const QString &path);

// The reading side, used by the viewers: opens the file, creating it empty
// when missing, and reads the first ten entries and the size, nothing more.
// Anything but a regular file is refused before it is opened. A failed file
// operation raises RecordsError; damage is returned in Table::damage.
Table readTable(const QString &path);

// An open records file for the record step: refused unless it is a regular
// file that may be read and written; created empty when missing (folder
// permitting). Closing it drops the lock. The player's questions go to
// `messages`, which outlive the file.
class UpdateFile {
public:
    UpdateFile(const QString &path, platform::Messages &messages);
    ~UpdateFile();
    UpdateFile(const UpdateFile &) = delete;
    UpdateFile &operator=(const UpdateFile &) = delete;

    // Takes the file for this copy of the program alone. The lock is the
    // kernel's, on the file itself: it goes when its owner's process ends,
    // however that happens. Waits while another copy holds it, keeping the
    // windows painted; after LockWaitMs the player is asked whether to wait
    // on. A file replaced while waiting is opened again. Also removes what
    // killed writers left beside the file.
    void lock();

    // The whole file; one larger than MaxFileBytes is refused as damaged.
    QByteArray readAll();

    // Replaces `before` (what readAll() gave) by `after`, which differs from
    // it in slots `firstSlot` and up. Normally the new content is written
    // beside the file and renamed over it, so a kill or a failure leaves the
    // old table whole. When the folder may not be written but the file may,
    // or the disk has no room for a copy, the changed slots are written in
    // place, last slot first.
    void write(const QByteArray &before, const QByteArray &after, int firstSlot);

    bool wroteInPlace() const { return inPlace_; }

    // Renames the locked file to `newPath` (a free variant of it when that
    // is taken) and goes on with a new, empty file in its place, locked in
    // turn. Returns the name used.
    QString setAside(const QString &newPath);

private:
    void open();
    QString path_;
    platform::Messages &messages_;
    int fd_ = -1;
    bool inPlace_ = false;
};

// Waiting for another copy of the program to finish its update before the
// player is asked whether to wait on, in ms.
inline constexpr int LockWaitMs = 10000;

// The name a damaged file is kept under when a new table is started: the
// file's name with the local date and time, e.g. "RecordsS.dat.20261207-153000".
QString setAsideName(const QString &path);

// Renames the file to `newPath` (a free variant of it when taken), with the
// lock held. Returns the name used, or nothing when another copy replaced
// the file meanwhile; raises RecordsError.
QString setAside(const QString &path, const QString &newPath);

} // namespace records
