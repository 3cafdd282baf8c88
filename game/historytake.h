#pragma once

#include <optional>

#include "game/boardsize.h"
#include "game/gamerules.h"
#include "history/take.h"

namespace game {

history::Mode historyMode(BoardSize size);

// What the history keeps of the current reading of `g`: a click on card
// `tag` judged `verdict` (Correct or Wrong), or with no verdict the reading
// running out. The times are the reading clock's, in ms; the poems are
// numbered as in `table`.
history::Take historyTake(const deck::PoemTableData &table, const Game &g, BoardSize size, qint64 session, std::optional<Verdict::Kind> verdict,
                          int tag, qint64 msFromStart, qint64 msFromDeciding);

} // namespace game
