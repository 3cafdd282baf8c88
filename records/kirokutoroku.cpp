#include "kirokutoroku.h"

#include <QLocale>
#include <QLockFile>

#include "platform/services.h"
#include "platform/sjis.h"

namespace records {
namespace {

const QString FallbackDateFormat = QStringLiteral("yyyy/MM/dd");
constexpr qsizetype MaxDateBytes = 10;
constexpr qsizetype MaxNameBytes = 20;

// A table that may be rewritten: anything the reader cannot vouch for is
// refused, so a damaged file is never made worse.
Table soundTable(const QString &path, const QByteArray &bytes)
{
    Table table = parseTable(bytes, bytes.size());
    if (!table.isSound())
        throw platform::InOutError(damagedMessage(path, table.damage).toStdString());
    return table;
}

void lock(QLockFile &lockFile, const QString &path)
{
    if (lockFile.tryLock(LockWaitMs))
        return;
    QString why;
    switch (lockFile.error()) {
    case QLockFile::LockFailedError:
        why = QStringLiteral("another copy of the program is updating it");
        break;
    case QLockFile::PermissionError:
        why = QStringLiteral("access denied to its folder");
        break;
    default:
        why = QStringLiteral("its lock file \"%1\" cannot be made").arg(lockFile.fileName());
        break;
    }
    throw platform::InOutError(
        QStringLiteral("Cannot update the records file \"%1\": %2. It was left as it was.").arg(path, why).toStdString());
}

bool isPlainSeparator(QChar c)
{
    const char16_t u = c.unicode();
    const bool letter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    return u >= 0x20 && u < 0x7F && !letter && u != '\'';
}

} // namespace

QList<int> scoresOf(const QList<RecordsEntry> &entries, const QString &path)
{
    QList<int> scores;
    scores.reserve(entries.size());
    for (qsizetype k = 0; k < entries.size(); ++k) {
        try {
            scores.append(platform::toInt(entries[k].Tokuten.text()));
        } catch (const platform::ConvertError &e) {
            throw platform::ConvertError(QStringLiteral("The records file \"%1\", entry %2: %3. It was left as it was.")
                                             .arg(path)
                                             .arg(k + 1)
                                             .arg(QString::fromUtf8(e.what()))
                                             .toStdString());
        }
    }
    return scores;
}

bool qualifies(const QList<int> &scores, int score)
{
    if (scores.size() < MaxEntries)
        return true;
    return std::any_of(scores.begin(), scores.end(), [score](int s) { return score > s; });
}

int insertionPlace(const QList<int> &scores, int score)
{
    const auto below = std::find_if(scores.begin(), scores.end(), [score](int s) { return s < score; });
    return int(below - scores.begin()) + 1;
}

QByteArray withEntryInserted(const QByteArray &file, qsizetype entryCount, int place, const RecordsEntry &entry)
{
    const qsizetype kept = std::min<qsizetype>(entryCount, MaxEntries);
    Q_ASSERT(place >= 1 && place <= kept + 1 && place <= MaxEntries);
    QByteArray out = file.isEmpty() ? QByteArray(SlotSize, '\0') : file;
    const qsizetype lastSlot = std::min<qsizetype>(kept + 1, MaxEntries);
    if (out.size() < SlotSize * (lastSlot + 1))
        out.resize(SlotSize * (lastSlot + 1), '\0');
    // Entry 10 is never moved: in a full table it is overwritten.
    for (qsizetype k = std::min<qsizetype>(kept, MaxEntries - 1); k >= place; --k)
        out.replace(SlotSize * (k + 1), SlotSize, out.mid(SlotSize * k, SlotSize));
    out.replace(SlotSize * place, SlotSize, toSlot(entry));
    return out;
}

QByteArray nameBytes(const QString &answer)
{
    return platform::sjis::truncated(platform::sjis::encode(answer), MaxNameBytes);
}

int numericDateWidth(const QString &format)
{
    int width = 0;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            if (i + 1 < n && format[i + 1] == QLatin1Char('\'')) { // '' is a quote
                ++width;
                i += 2;
                continue;
            }
            // Quoted text, where '' again stands for a quote.
            for (++i; i < n; ++i) {
                if (format[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && format[i + 1] == QLatin1Char('\'')) {
                        ++width;
                        ++i;
                        continue;
                    }
                    break;
                }
                if (!isPlainSeparator(format[i]))
                    return -1;
                ++width;
            }
            ++i;
            continue;
        }
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            qsizetype run = 1;
            while (i + run < n && format[i + run] == c)
                ++run;
            if (c == QLatin1Char('y')) {
                if (run != 2 && run != 4)
                    return -1;
                width += int(run);
            } else {
                if (run > 2) // day and month names
                    return -1;
                width += 2;
            }
            i += run;
            continue;
        }
        if (!isPlainSeparator(c))
            return -1;
        ++width;
        ++i;
    }
    return width;
}

QString storedDateFormat(const QString &userFormat)
{
    const int width = numericDateWidth(userFormat);
    return width >= 1 && width <= MaxDateBytes ? userFormat : FallbackDateFormat;
}

QByteArray hidukeBytes(QDate date, const QString &userFormat)
{
    // The C locale keeps the digits ASCII whatever the user's locale.
    const QString text = QLocale::c().toString(date, storedDateFormat(userFormat));
    return platform::sjis::truncated(platform::sjis::encode(text), MaxDateBytes);
}

RecordsEntry makeEntry(const QString &tokuten, const QByteArray &name, const QByteArray &date)
{
    RecordsEntry entry;
    entry.Tokuten.assign(platform::sjis::encode(tokuten));
    entry.Shimei.assign(name);
    entry.Hiduke.assign(date);
    return entry;
}

int storeResult(const QString &path, const QString &tokuten)
{
    const int score = platform::toInt(tokuten);
    const QString lockPath = path + QStringLiteral(".lock");
    {
        // Taking the lock here too finds a folder that cannot hold the new
        // table before the player is asked for a name.
        QLockFile lockFile(lockPath);
        lock(lockFile, path);
        if (!qualifies(scoresOf(soundTable(path, readForUpdate(path)).entries, path), score))
            return 0;
    }

    const platform::Clock &clock = *platform::services().clock;
    const QByteArray date = hidukeBytes(clock.localDate(), clock.shortDateFormat());
    const QString answer = platform::services().inputBox->ask(NamePromptCaption, NamePrompt, QString());
    const RecordsEntry entry = makeEntry(tokuten, nameBytes(answer), date);

    // Another copy of the program may have stored a result while the prompt
    // was up, so the table is read again and the place worked out afresh,
    // with the lock held until the new table is in place.
    QLockFile lockFile(lockPath);
    lock(lockFile, path);
    const QByteArray current = readForUpdate(path);
    const Table table = soundTable(path, current);
    const QList<int> scores = scoresOf(table.entries, path);
    if (!qualifies(scores, score))
        return 0;
    const int place = insertionPlace(scores, score);
    replaceContent(path, withEntryInserted(current, table.slotCount, place, entry));
    return place;
}

void KirokuToroku(const QString &tokuten, BoardSize size)
{
    platform::guarded([&] { storeResult(fileName(size), tokuten); });
}

} // namespace records
