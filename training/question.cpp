#include "question.h"

#include "play/drillsets.h"

namespace training {

Question poseQuestion(platform::Random &rng, const deck::PoemTableData &table, const deck::PoemEntry &asked,
                      const QList<deck::PoemNo> &set)
{
    Question q;
    const deck::PoemNo askedNo = table.numberOf(asked);
    q.sentakushi[0] = asked;
    // A set's own poems make the hard distractors; without one they come
    // from all hundred.
    const auto distractors = set.isEmpty() ? drawDistractors(rng, table, q.sentakushi)
                                           : drawSetDistractors(rng, table, set, askedNo, q.sentakushi);
    const auto rows = drawPlacement(rng);
    q.rowPoem[static_cast<std::size_t>(rows[0])] = askedNo;
    for (int k = 1; k < kChoiceCount; ++k)
        q.rowPoem[static_cast<std::size_t>(rows[static_cast<std::size_t>(k)])] =
            distractors[static_cast<std::size_t>(k - 1)];
    q.rightRow = rows[0];
    q.kaitoRan = placeChoices(q.sentakushi, rows);
    return q;
}

} // namespace training
