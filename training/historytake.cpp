#include "historytake.h"

namespace training {

history::Take answerTake(qint64 session, int poem, history::Outcome outcome, int chosenPoem, qint64 ms,
                         bool listening, std::optional<qint64> heardAfterDeciding)
{
    history::Take t;
    t.mode = history::Mode::Training;
    t.session = session;
    t.poem = poem;
    t.outcome = outcome;
    if (outcome == history::Outcome::Wrong)
        t.chosen = chosenPoem;
    t.ms = ms;
    if (listening) {
        // Heard, not shown: counted from the moment the deciding syllables,
        // as the poems already asked have shortened them, were heard.
        t.deciding = history::Deciding::Spoken;
        t.msAfterDeciding = heardAfterDeciding;
    } else if (outcome != history::Outcome::Timeout) {
        // The quiz shows the deciding syllables with the question.
        t.msAfterDeciding = ms;
    }
    return t;
}

} // namespace training
