#pragma once

#include <QList>
#include <QString>

#include <array>

#include "deck/poemtable.h"
#include "history/take.h"
#include "platform/random.h"

// 札流し: lower-verse cards shown one at a time, each answered with the
// deciding syllables of its poem. The rules of a run, without widgets.
namespace nagashi {

constexpr int kChoiceCount = 4;
constexpr int kSlowestShown = 10;

// Poem p's deciding syllables as they sound among all hundred, none read.
QString decidingSyllables(deck::PoemNo p);

// The deciding syllables offered for one card: the answer and the poems
// whose upper verses open most like it (equally alike ones drawn from the
// generator), each at a drawn position.
struct Choices {
    std::array<deck::PoemNo, kChoiceCount> poems{};
    int answer = 0; // index of the card's own poem in `poems`
};
Choices drawChoices(platform::Random &rng, deck::PoemNo answer);

struct CardResult {
    deck::PoemNo poem = 0;
    qint64 ms = 0; // from the card's showing to the pick, or to the flip
    bool right = false;
    deck::PoemNo chosen = 0; // a wrong pick's poem; 0 when self-graded
};

struct Summary {
    qint64 totalMs = 0;
    int right = 0;
    QList<CardResult> slowest; // right answers, slowest first, at most kSlowestShown
    QList<CardResult> misses;  // in the order answered
    // The misses, then those of `slowest` slower than the median right answer:
    // a re-drill of a re-drill keeps shrinking instead of cycling ten cards.
    QList<deck::PoemNo> redrill;
};
Summary summarise(const QList<CardResult> &results, qint64 totalMs);

// "83.4秒", the way the window shows a time.
QString seconds(qint64 ms);

// What the history keeps of one card. The whole card is in sight from its
// showing, so the time counts from then, as the quiz's does.
history::Take cardTake(qint64 session, const CardResult &result, bool flipped);

} // namespace nagashi
