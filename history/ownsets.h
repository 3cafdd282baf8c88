#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Sets of poems the player makes: the rules for their names and poems, and
// the line a set is exported as and imported from. No SQL, no widgets.
namespace history {

constexpr int kSetNameMax = 20; // characters as people see them (grapheme clusters), after trimming

struct OwnSet {
    qint64 id = 0; // the row in the history file; 0 until saved
    QString name;
    QList<int> poems; // 1 .. 100, distinct, ascending
};

// A name as it is kept: invisible format controls (zero-width spaces,
// direction overrides, …) taken out, then trimmed. A zero-width joiner
// between two characters stays: it makes one picture of an emoji sequence.
QString setName(const QString &typed);

// Why `name` cannot name a set beside `others` (the names of the player's
// other sets), in the player's words; empty when it can. Compared as kept
// (setName).
QString nameProblem(const QString &name, const QStringList &others);
// Why `poems` cannot be a set; empty when they can.
QString poemsProblem(const QList<int> &poems);

// The line a set is exported as: "name: 1 5 23", or the numbers alone
// when the name is empty.
QString setLine(const QString &name, const QList<int> &poems);

struct ParsedLine {
    QString name;      // trimmed; empty when the line gives none
    QList<int> poems;  // ascending
    QString problem;   // empty when the line is a set
};

// Reads a set from one line: an optional name ending at the line's last
// colon (":" or "："), then poem numbers separated by spaces, commas or
// "、", in ASCII or full-width digits. Every number must be 1 .. 100, none
// twice, at least one; the name, when there is one, must be a set's name.
ParsedLine parseSetLine(QStringView line);

// The first line with text in a file's bytes (UTF-8, a BOM allowed), parsed;
// files larger than kSetFileMax bytes, bytes that are not text and text in
// another encoding are refused.
constexpr qsizetype kSetFileMax = 64 * 1024;
ParsedLine parseSetFile(const QByteArray &bytes);

} // namespace history
