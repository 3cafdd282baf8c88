#include "recordstable.h"

#include <QLocale>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "platform/sjis.h"

namespace records {

static_assert(std::is_trivially_copyable_v<RecordsEntry>);
static_assert(std::is_standard_layout_v<RecordsEntry>);
static_assert(offsetof(RecordsEntry, Tokuten) == 0);
static_assert(offsetof(RecordsEntry, Shimei) == 5);
static_assert(offsetof(RecordsEntry, Hiduke) == 26);

namespace {

const QString FallbackDateFormat = QStringLiteral("yyyy/MM/dd");
constexpr qsizetype MaxDateBytes = 10;
constexpr qsizetype MaxNameBytes = 20;

template <std::size_t N>
QString fieldDamage(const platform::CountedString<N> &field, const char *name, int number)
{
    if (field.lengthValid())
        return {};
    return QStringLiteral("%1 番目の記録の%2の長さが %3 バイトとなっていて、欄の %4 バイトを超えています")
        .arg(number)
        .arg(QString::fromUtf8(name))
        .arg(field.length)
        .arg(N);
}

bool isPlainSeparator(QChar c)
{
    const char16_t u = c.unicode();
    const bool letter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    return u >= 0x20 && u < 0x7F && !letter && u != '\'';
}

} // namespace

QString oversizeDamage(qint64 size)
{
    return QStringLiteral("大きさが %1 バイトもあり、記録表(多くても %2 バイト)ではありえません").arg(size).arg(
        SlotSize * (MaxEntries + 1));
}

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

QString entryDamage(const RecordsEntry &entry, int number)
{
    for (const QString &d : {fieldDamage(entry.Tokuten, "得点", number), fieldDamage(entry.Shimei, "氏名", number),
                             fieldDamage(entry.Hiduke, "日付", number)}) {
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
    const qint64 wanted = std::min<qint64>({whole, MaxEntries, bytes.size() / SlotSize - 1});
    for (int k = 1; k <= wanted; ++k) {
        const RecordsEntry entry = fromSlot(bytes.sliced(SlotSize * k, SlotSize));
        const QString damage = entryDamage(entry, k);
        if (!damage.isEmpty()) {
            table.damage = damage;
            return table;
        }
        table.entries.append(entry);
    }
    if (fileSize > MaxFileBytes)
        table.damage = oversizeDamage(fileSize);
    else if (!sizeRight)
        table.damage = QStringLiteral("大きさが %1 バイトで 37 バイトの区切りに合わず、%2 番目の記録が途中で切れています")
                           .arg(fileSize)
                           .arg(whole + 1);
    else if (wanted < std::min<qint64>(whole, MaxEntries))
        table.damage = QStringLiteral("%1 番目の記録が読めません").arg(wanted + 1); // cut short while reading
    return table;
}

Scores scoresOf(const QList<RecordsEntry> &entries)
{
    Scores scores;
    scores.values.reserve(entries.size());
    for (qsizetype k = 0; k < entries.size(); ++k) {
        bool ok = false;
        scores.values.append(entries[k].Tokuten.text().trimmed().toInt(&ok, 10));
        if (!ok) {
            scores.damage = QStringLiteral("%1 番目の記録の得点「%2」が数字ではありません")
                                .arg(k + 1)
                                .arg(entries[k].Tokuten.text());
            break;
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

} // namespace records
