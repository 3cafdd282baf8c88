#pragma once

#include <QStringView>

// The Japanese line-break rules: which characters may not begin or end a
// column. Membership is tested unit by unit on UTF-16 text.
namespace tategaki {

// May not begin a column (closing marks, full stops, iteration marks ...).
extern const QStringView KinsokuStartChars;
// Small kana and prolonged-sound marks: may not begin a column either when
// the kinsoku level is 2 or more.
extern const QStringView KinsokuSmallKana;
// May not end a column (opening marks, currency signs).
extern const QStringView KinsokuEndChars;

bool CannotBeginColumn(char16_t c, int kinsokuLevel);
bool CannotEndColumn(char16_t c);

} // namespace tategaki
