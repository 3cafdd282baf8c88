#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>

#include "platform/countedstring.h"

// A records file has no header, only 37-byte slots, best entry first from
// slot 1. Slot 0 is unused, which puts entry k at offset 37 × k and makes a
// file of n entries 37 × (n + 1) bytes; no file, or an empty one, holds none.
// This part works on the bytes alone; recordsfile.h reads and writes them.
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

// Why a file of `size` bytes, more than MaxFileBytes, is no table.
QString oversizeDamage(qint64 size);

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

// The rules of a new result, on plain values. `scores` are those of a
// table's first MaxEntries entries, best first.

// The entries' scores, or in `damage` the first that is not a decimal number.
struct Scores {
    QList<int> values;
    QString damage;
};
Scores scoresOf(const QList<RecordsEntry> &entries);

// True when the table has room or `score` beats at least one stored score.
bool qualifies(const QList<int> &scores, int score);

// The slot (1-based) for `score`: below every entry with an equal or higher
// score.
int insertionPlace(const QList<int> &scores, int score);

// The file content after `entry` goes to slot `place` of `file`, which holds
// `entryCount` entries: entries place … 9 move down one slot, entry 10 drops
// out. Slot 0 and every slot not moved keep their bytes; an empty file gets
// a zero slot 0.
QByteArray withEntryInserted(const QByteArray &file, qsizetype entryCount, int place, const RecordsEntry &entry);

// The name as stored: Shift-JIS, at most 20 bytes, never ending in half a
// character. Characters that code page 932 lacks become "?".
QByteArray nameBytes(const QString &answer);

// The largest number of bytes a date format can produce when it is made of
// numeric fields (d, dd, M, MM, yy, yyyy) and ASCII separators only; -1 when
// it holds names, other fields or other text.
int numericDateWidth(const QString &format);

// The format the date is stored in: the user's when it is numeric and can
// never exceed 10 bytes, "yyyy/MM/dd" otherwise.
QString storedDateFormat(const QString &userFormat);

// The date field's bytes, at most 10.
QByteArray hidukeBytes(QDate date, const QString &userFormat);

// A new entry; the bytes past each field's length are zero.
RecordsEntry makeEntry(const QString &tokuten, const QByteArray &name, const QByteArray &date);

} // namespace records
