#pragma once

#include <QByteArray>
#include <QString>

// A verse written as a card is written: in even columns, its spaces
// dropped, the longer columns first.
namespace play {

constexpr int kCardColumns = 3;

// The columns ended by CR LF, which the vertical text breaks on.
QString evenColumns(const QString &verse, int columns = kCardColumns);
// The same for a verse as the poem table keeps it (code page 932).
QByteArray evenColumns(const QByteArray &verse, int columns = kCardColumns);

} // namespace play
