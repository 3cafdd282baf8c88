#pragma once

#include <QString>

#include <exception>

#include "records/recordsfile.h"
#include "records/recordstable.h"

namespace records {

// The end-of-game record step. `tokuten` is the final score exactly as the
// game's score panel shows it (decimal text), `recordsFile` the board's
// records file. When the score enters the ten best, the player is asked
// for a name (the inputBox of `services`) and the entry is stored with
// today's date (their clock). A failure is shown by their error display and
// leaves the file as it was.
void KirokuToroku(const platform::Services &services, const QString &tokuten, const QString &recordsFile);

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
// the player says yes (the messages of `services`).
Stored storeResult(const platform::Services &services, const QString &path, const QString &tokuten);

// The messages the step shows.
QString notStoredMessage(const QString &tokuten, const std::exception &error);
QString crowdedOutMessage(const QString &tokuten);
QString setAsideQuestion(const QString &path, const QString &damage, const QString &newPath);

inline const QString NamePromptCaption = QStringLiteral("氏名登録");
inline const QString NamePrompt = QStringLiteral("氏名を全角10字(半角20字)以内で入力して下さい");

} // namespace records
