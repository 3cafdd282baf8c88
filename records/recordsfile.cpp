#include "recordsfile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "platform/services.h"

namespace records {

static_assert(std::is_trivially_copyable_v<RecordsEntry>);
static_assert(std::is_standard_layout_v<RecordsEntry>);
static_assert(offsetof(RecordsEntry, Tokuten) == 0);
static_assert(offsetof(RecordsEntry, Shimei) == 5);
static_assert(offsetof(RecordsEntry, Hiduke) == 26);

namespace {

// `err` is errno right after the failed call, when known.
QString reason(const QFileDevice &file, int err)
{
    if (file.error() == QFileDevice::PermissionsError || err == EACCES || err == EPERM)
        return QStringLiteral("access denied");
    return file.errorString();
}

[[noreturn]] void fail(const QString &what, const QString &path, const QFileDevice &file, int err = 0,
                       const QString &after = {})
{
    throw platform::InOutError(
        QStringLiteral("%1 the records file \"%2\": %3.%4").arg(what, path, reason(file, err), after).toStdString());
}

// Creates a missing file empty; never truncates one that another copy of
// the program has just written.
void createIfMissing(const QString &path)
{
    QFile file(path);
    if (file.exists())
        return;
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return;
    const int err = errno;
    if (!file.exists())
        fail(QStringLiteral("Cannot create"), path, file, err);
}

template <std::size_t N>
QString fieldDamage(const platform::CountedString<N> &field, const char *name)
{
    if (field.lengthValid())
        return {};
    return QStringLiteral("its %1 is %2 bytes long, more than its field's %3")
        .arg(QLatin1String(name))
        .arg(field.length)
        .arg(N);
}

} // namespace

QByteArray toSlot(const RecordsEntry &entry)
{
    return QByteArray(reinterpret_cast<const char *>(&entry), SlotSize);
}

RecordsEntry fromSlot(QByteArrayView slot)
{
    Q_ASSERT(slot.size() == SlotSize);
    RecordsEntry entry;
    std::memcpy(static_cast<void *>(&entry), slot.data(), SlotSize);
    return entry;
}

QString entryDamage(const RecordsEntry &entry)
{
    for (const QString &d : {fieldDamage(entry.Tokuten, "score"), fieldDamage(entry.Shimei, "name"),
                             fieldDamage(entry.Hiduke, "date")}) {
        if (!d.isEmpty())
            return d;
    }
    return {};
}

Table parseTable(QByteArrayView bytes, qint64 fileSize)
{
    Table table;
    if (fileSize <= 0)
        return table;
    const qint64 whole = std::max<qint64>(fileSize / SlotSize - 1, 0);
    const bool sizeRight = fileSize % SlotSize == 0 && whole >= 1;
    table.slotCount = whole;
    const qint64 wanted = std::min<qint64>(whole, MaxEntries);
    for (int k = 1; k <= wanted; ++k) {
        const qint64 at = SlotSize * k;
        Q_ASSERT(at + SlotSize <= bytes.size());
        const RecordsEntry entry = fromSlot(bytes.sliced(at, SlotSize));
        const QString damage = entryDamage(entry);
        if (!damage.isEmpty()) {
            table.damage = QStringLiteral("entry %1: %2").arg(k).arg(damage);
            return table;
        }
        table.entries.append(entry);
    }
    if (!sizeRight)
        table.damage = QStringLiteral("entry %1 is cut short: the file is %2 bytes long, which is not 37 × (N + 1)")
                           .arg(whole + 1)
                           .arg(fileSize);
    return table;
}

Table readTable(const QString &path)
{
    createIfMissing(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot open"), path, file, errno);
    const qint64 size = file.size();
    const qint64 wanted = std::min<qint64>(size, SlotSize * (MaxEntries + 1));
    const QByteArray head = file.read(wanted);
    if (head.size() != wanted)
        fail(QStringLiteral("Cannot read"), path, file);
    return parseTable(head, size);
}

QByteArray readForUpdate(const QString &path)
{
    createIfMissing(path);
    // Read-write, as for the update itself: a file that may not be written
    // is refused here, before anything is asked of the player.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        fail(QStringLiteral("Cannot open"), path, file, errno);
    const qint64 size = file.size();
    QByteArray bytes = file.readAll();
    if (bytes.size() != size)
        fail(QStringLiteral("Cannot read"), path, file);
    return bytes;
}

void replaceContent(const QString &path, const QByteArray &bytes)
{
    // The new table is written beside the old one and renamed over it on
    // commit; a kill or a full disk before that leaves the old file whole.
    // Unbuffered: a write that fails (a full disk) is then seen by the
    // save file itself, which refuses to commit. Buffered, the failure would
    // only come at the final flush inside commit(), which renames a
    // truncated file over the old one all the same.
    QSaveFile out(path);
    const QString kept = QStringLiteral(" It was left as it was.");
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("Cannot write"), path, out, errno, kept);
    const qint64 written = out.write(bytes);
    if (written != bytes.size()) {
        const int err = errno;
        const QString why = out.error() != QFileDevice::NoError ? reason(out, err)
                            : err != 0 ? QString::fromLocal8Bit(std::strerror(err))
                                       : QStringLiteral("%1 of %2 bytes written").arg(written).arg(bytes.size());
        const platform::InOutError error(
            QStringLiteral("Cannot write the records file \"%1\": %2.%3").arg(path, why, kept).toStdString());
        out.cancelWriting();
        throw error;
    }
    if (!out.commit())
        fail(QStringLiteral("Cannot write"), path, out, 0, kept);
}

QString damagedMessage(const QString &path, const QString &damage)
{
    return QStringLiteral("The records file \"%1\" is damaged (%2). It was left as it was.").arg(path, damage);
}

} // namespace records
