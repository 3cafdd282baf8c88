#pragma once

#include <QList>

#include <array>

#include "deck/poemtable.h"
#include "platform/random.h"
#include "training/quizrules.h"

namespace training {

// One question of the quiz: the candidates in draw order (the asked poem
// first), the ten answer rows, the poem on each row and the right row.
struct Question {
    SentakushiList sentakushi{};
    KaitoRanList kaitoRan{};
    std::array<deck::PoemNo, kChoiceCount> rowPoem{};
    int rightRow = 0;
};

// Poses `asked`, a row of `table`: nine distractors, first from `set` when a
// set chosen by sound is drilled (empty: the whole hundred), then the rows
// drawn for the ten candidates.
Question poseQuestion(platform::Random &rng, const deck::PoemTableData &table, const deck::PoemEntry &asked,
                      const QList<deck::PoemNo> &set);

} // namespace training
