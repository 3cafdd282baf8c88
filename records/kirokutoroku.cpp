#include "kirokutoroku.h"

#include <QFileInfo>

#include <utility>

#include "platform/services.h"

namespace records {
namespace {

using Kind = RecordsError::Kind;

// The file as the step finds it with the lock held: a table that may be
// rewritten, or a damaged file, which is never made worse. That one is set
// aside on the player's yes and the step goes on with a new, empty table.
struct Scan {
    QByteArray bytes;
    Table table;
    QList<int> scores;
};

Scan scan(UpdateFile &file, const QString &path, QString &setAsideAs, platform::Messages &messages)
{
    Scan s;
    try {
        s.bytes = file.readAll();
        s.table = parseTable(s.bytes, s.bytes.size());
        if (!s.table.isSound())
            throw RecordsError(Kind::Damaged, path, s.table.damage);
        Scores scores = scoresOf(s.table.entries);
        if (!scores.damage.isEmpty())
            throw RecordsError(Kind::Damaged, path, scores.damage);
        s.scores = std::move(scores.values);
        return s;
    } catch (const RecordsError &e) {
        if (e.kind != Kind::Damaged)
            throw;
        const QString aside = setAsideName(path);
        const bool yes = messages.askYesNo(setAsideQuestion(path, e.reason, aside));
        if (!yes)
            throw;
        setAsideAs = file.setAside(aside);
        return scan(file, path, setAsideAs, messages);
    }
}

} // namespace

Stored storeResult(const platform::Services &services, const QString &path, const QString &tokuten)
{
    const int score = platform::toInt(tokuten);
    Stored stored;
    {
        // The file is opened for writing and locked before the player is
        // asked for a name, so a file that cannot take the result is found
        // first.
        UpdateFile file(path, *services.messages);
        file.lock();
        if (!qualifies(scan(file, path, stored.setAsideAs, *services.messages).scores, score))
            return stored;
    }

    const platform::Clock &clock = *services.clock;
    const QByteArray date = hidukeBytes(clock.localDate(), clock.shortDateFormat());
    const QString answer = services.inputBox->ask(NamePromptCaption, NamePrompt, QString());
    const RecordsEntry entry = makeEntry(tokuten, nameBytes(answer), date);

    // Another copy of the program may have stored a result while the prompt
    // was up, so the table is read again and the place worked out afresh,
    // with the lock held until the new table is in place.
    UpdateFile file(path, *services.messages);
    file.lock();
    const Scan now = scan(file, path, stored.setAsideAs, *services.messages);
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

void KirokuToroku(const platform::Services &services, const QString &tokuten, const QString &recordsFile)
{
    try {
        const Stored stored = storeResult(services, recordsFile, tokuten);
        if (stored.crowdedOut)
            services.messages->inform(crowdedOutMessage(tokuten));
    } catch (const std::exception &e) {
        services.errors->showError(notStoredMessage(tokuten, e));
    }
}

} // namespace records
