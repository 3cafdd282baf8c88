#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include "recordsfile.h"

namespace records {

// The end-of-game record step. `tokuten` is the final score exactly as the
// game's score panel shows it (decimal text), `recordsFile` the board's
// records file. When the score enters the ten best, the player is asked
// for a name (platform::services().inputBox) and the entry is stored with
// today's date (platform::services().clock). A failure is shown by the
// application's standard error display and leaves the file as it was.
void KirokuToroku(const QString &tokuten, const QString &recordsFile);

// What the step did.
struct Stored {
    int place = 0;            // the slot the entry went to; 0: not stored
    bool crowdedOut = false;  // it got in, but not after the name prompt
    QString setAsideAs;       // where a damaged file was kept, when one was
    bool inPlace = false;     // written slot by slot (folder not writable)
};

// KirokuToroku on the file `path`, raising platform::InOutError (a
// RecordsError for the file) or platform::ConvertError instead of
// reporting. A damaged file is set aside and a new table started only when
// the player says yes (platform::services().messages).
Stored storeResult(const QString &path, const QString &tokuten);

// The messages the step shows.
QString notStoredMessage(const QString &tokuten, const std::exception &error);
QString crowdedOutMessage(const QString &tokuten);
QString setAsideQuestion(const QString &path, const QString &damage, const QString &newPath);

inline const QString NamePromptCaption = QStringLiteral("氏名登録");
inline const QString NamePrompt = QStringLiteral("氏名を全角10字(半角20字)以内で入力して下さい");

// The rules, on plain values. `scores` are those of a table's first
// MaxEntries entries, best first.

// The entries' scores; a score that is not a decimal number raises a
// RecordsError (damaged) naming the file `path` and the entry.
QList<int> scoresOf(const QList<RecordsEntry> &entries, const QString &path);

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
