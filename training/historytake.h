#pragma once

#include <optional>

#include "history/take.h"

namespace training {

// What the history keeps of an answer to `poem`, `ms` after the question was
// posed: Right, Wrong (row of poem `chosenPoem`) or Timeout. `heardAfterDeciding`
// is set while listening: the time since the deciding syllables were heard.
history::Take answerTake(qint64 session, int poem, history::Outcome outcome, int chosenPoem, qint64 ms,
                         bool listening, std::optional<qint64> heardAfterDeciding);

} // namespace training
