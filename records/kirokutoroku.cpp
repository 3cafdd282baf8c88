#include "kirokutoroku.h"

#include <QLocale>
#include <QFileInfo>

#include "platform/services.h"
#include "platform/sjis.h"

namespace records {
namespace {

const QString FallbackDateFormat = QStringLiteral("yyyy/MM/dd");
constexpr qsizetype MaxDateBytes = 10;
constexpr qsizetype MaxNameBytes = 20;

using Kind = RecordsError::Kind;

// The file as the step finds it with the lock held: a table that may be
// rewritten, or a damaged file, which is never made worse. That one is set
// aside on the player's yes and the step goes on with a new, empty table.
struct Scan {
    QByteArray bytes;
    Table table;
    QList<int> scores;
};

Scan scan(UpdateFile &file, const QString &path, QString &setAsideAs)
{
    Scan s;
    try {
        s.bytes = file.readAll();
        s.table = parseTable(s.bytes, s.bytes.size());
        if (!s.table.isSound())
            throw RecordsError(Kind::Damaged, path, s.table.damage);
        s.scores = scoresOf(s.table.entries, path);
        return s;
    } catch (const RecordsError &e) {
        if (e.kind != Kind::Damaged)
            throw;
        const QString aside = setAsideName(path);
        const bool yes = platform::services().messages->askYesNo(setAsideQuestion(path, e.reason, aside));
        if (!yes)
            throw;
        setAsideAs = file.setAside(aside);
        return scan(file, path, setAsideAs);
    }
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
        bool ok = false;
        scores.append(entries[k].Tokuten.text().trimmed().toInt(&ok, 10));
        if (!ok)
            throw RecordsError(Kind::Damaged, path,
                               QStringLiteral("%1 番目の記録の得点「%2」が数字ではありません")
                                   .arg(k + 1)
                                   .arg(entries[k].Tokuten.text()));
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

Stored storeResult(const QString &path, const QString &tokuten)
{
    const int score = platform::toInt(tokuten);
    Stored stored;
    {
        // The file is opened for writing and locked before the player is
        // asked for a name, so a file that cannot take the result is found
        // first.
        UpdateFile file(path);
        file.lock();
        if (!qualifies(scan(file, path, stored.setAsideAs).scores, score))
            return stored;
    }

    const platform::Clock &clock = *platform::services().clock;
    const QByteArray date = hidukeBytes(clock.localDate(), clock.shortDateFormat());
    const QString answer = platform::services().inputBox->ask(NamePromptCaption, NamePrompt, QString());
    const RecordsEntry entry = makeEntry(tokuten, nameBytes(answer), date);

    // Another copy of the program may have stored a result while the prompt
    // was up, so the table is read again and the place worked out afresh,
    // with the lock held until the new table is in place.
    UpdateFile file(path);
    file.lock();
    const Scan now = scan(file, path, stored.setAsideAs);
    if (!qualifies(now.scores, score)) {
        stored.crowdedOut = true;
        return stored;
    }
    const int place = insertionPlace(now.scores, score);
    file.write(now.bytes, withEntryInserted(now.bytes, now.table.slotCount, place, entry), place);
    stored.place = place;
    stored.inPlace = file.wroteInPlace();
    return stored;
}

QString notStoredMessage(const QString &tokuten, const std::exception &error)
{
    const auto *file = dynamic_cast<const RecordsError *>(&error);
    if (!file)
        return QStringLiteral("今回の得点「%1」は数として読めないため、記録されませんでした。\n"
                              "これまでの記録はそのまま残っています。")
            .arg(tokuten);
    QString kept;
    switch (file->kind) {
    case Kind::Damaged:
        kept = QStringLiteral("記録ファイルはそのまま残っています。");
        break;
    case Kind::NotAFile:
        kept = QStringLiteral("それには手を付けていません。");
        break;
    default:
        kept = QStringLiteral("これまでの記録はそのまま残っています。");
        break;
    }
    QString reason = file->reason;
    if (file->kind == Kind::Damaged)
        reason = QStringLiteral("記録ファイル「%1」が壊れています(%2)。").arg(shownPath(file->path), reason);
    QString text = QStringLiteral("今回の得点(%1点)は記録されませんでした。\n\n%2\n%3").arg(tokuten, reason, kept);
    if (!file->advice.isEmpty())
        text += QLatin1Char('\n') + file->advice;
    return text;
}

QString crowdedOutMessage(const QString &tokuten)
{
    return QStringLiteral("氏名を入力している間に、ほかの琴葉がもっとよい得点を記録したため、"
                          "今回の得点(%1点)は十傑に入らなくなりました。\n記録表はそのときのまま残っています。")
        .arg(tokuten);
}

QString setAsideQuestion(const QString &path, const QString &damage, const QString &newPath)
{
    return QStringLiteral("記録ファイル「%1」が壊れています(%2)。\n\n"
                          "このファイルを消さずに「%3」という名前で残し、新しい記録表を始めますか?\n"
                          "「いいえ」を選ぶと、ファイルはそのまま残り、今回の得点は記録されません。")
        .arg(shownPath(path), damage, QFileInfo(newPath).fileName());
}

void KirokuToroku(const QString &tokuten, const QString &recordsFile)
{
    try {
        const Stored stored = storeResult(recordsFile, tokuten);
        if (stored.crowdedOut)
            platform::services().messages->inform(crowdedOutMessage(tokuten));
    } catch (const std::exception &e) {
        platform::services().errors->showError(notStoredMessage(tokuten, e));
    }
}

} // namespace records
