#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "platform/countedstring.h"

// The records file: a plain run of 37-byte slots, no header. Slot k starts
// at byte 37 × k; slot 0 is never read nor written, the entries lie in slots
// 1 … N, best first. A table of N ≥ 1 entries is a file of 37 × (N + 1)
// bytes; an empty table is a missing or a 0-byte file.
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

static_assert(sizeof(RecordsEntry) == SlotSize);

// The slot's 37 bytes; the entry is copied as it is, insignificant bytes too.
QByteArray toSlot(const RecordsEntry &entry);
// `slot` must hold exactly SlotSize bytes. Lengths are taken as found: see
// entryDamage().
RecordsEntry fromSlot(QByteArrayView slot);

// Why an entry from a file cannot be trusted (a length byte larger than its
// field, which a damaged or foreign file may hold); empty when it is sound.
QString entryDamage(const RecordsEntry &entry);

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

// The reading side, used by the viewers: opens the file, creating it empty
// when missing, and reads the first ten entries. A failed file operation
// raises platform::InOutError; damage is returned in Table::damage.
Table readTable(const QString &path);

// The whole file as it stands, for a rewrite. A missing file is created
// empty first. Raises platform::InOutError.
QByteArray readForUpdate(const QString &path);

// Replaces the file's content with `bytes` all at once: after a failure or
// a kill at any moment the file holds either its old content or `bytes`.
// Raises platform::InOutError; the old content is then left as it was.
void replaceContent(const QString &path, const QByteArray &bytes);

// The message for a table that cannot be used.
QString damagedMessage(const QString &path, const QString &damage);

} // namespace records
