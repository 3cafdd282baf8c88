#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "platform/countedstring.h"
#include "platform/services.h"

// A records file has no header, only 37-byte slots, best entry first from
// slot 1. Slot 0 is unused, which puts entry k at offset 37 × k and makes a
// file of n entries 37 × (n + 1) bytes; no file, or an empty one, holds none.
namespace records {

// One slot, byte for byte: three counted Shift-JIS strings in a row. Bytes
// past a field's length are not significant.
struct RecordsEntry {
    platform::CountedString<4> Tokuten;  // score as decimal digits
    platform::CountedString<20> Shimei;  // player's name
    platform::CountedString<10> Hiduke;  // date of the game
};

inline constexpr qsizetype SlotSize = 37;
inline constexpr int MaxEntries = 10;
// The program never writes more than eleven slots (407 bytes). A file far
// larger is not a table at all, and is not read whole.
inline constexpr qint64 MaxFileBytes = 64 * 1024;

static_assert(sizeof(RecordsEntry) == SlotSize);

// The slot's 37 bytes; the entry is copied as it is, insignificant bytes too.
QByteArray toSlot(const RecordsEntry &entry);
// `slot` must hold exactly SlotSize bytes. Lengths are taken as found: see
// entryDamage().
RecordsEntry fromSlot(QByteArrayView slot);

// Why an entry from a file cannot be trusted (a length byte larger than its
// field, which a damaged or foreign file may hold); empty when it is sound.
// `number` is the entry's place in the file, for the message.
QString entryDamage(const RecordsEntry &entry, int number = 0);

// A table as found in a file.
struct Table {
    QList<RecordsEntry> entries; // the first MaxEntries at most, best first
    qsizetype slotCount = 0;     // entries the file holds, further ones included
    QString damage;              // empty when sound; otherwise `entries` stop before the fault
    bool isSound() const { return damage.isEmpty(); }
};

// Reads a table from the leading `bytes` of a file that is `fileSize` bytes
// long. Only the first MaxEntries entries are looked at, so `bytes` need not
// hold more than slots 0 … MaxEntries; the size alone tells a slot cut short.
Table parseTable(QByteArrayView bytes, qint64 fileSize);

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
// permitting). Closing it drops the lock.
class UpdateFile {
public:
    explicit UpdateFile(const QString &path);
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
