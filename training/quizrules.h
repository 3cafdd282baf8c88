#pragma once

#include <algorithm>
#include <array>
#include <bitset>

#include <QString>
#include <QtGlobal>

#include "deck/poemtable.h"
#include "platform/random.h"
#include "play/drillsets.h"

// The quiz's rules as plain value code: the order of a run, the choices of a
// question, the return of a missed poem and the rate. No widgets here.
namespace training {

constexpr int kChoiceCount = 10;
constexpr int kDistractorCount = kChoiceCount - 1;

// One candidate of a question: every text keeps at most its first 36 bytes.
using SentakushiEntry = deck::BasicPoemEntry<36>;

// Positions 1 .. 100 of a run; position 0 is never used.
template <typename T>
using PositionList = std::array<T, deck::kPoemCount + 1>;
using MondaiListType = PositionList<deck::PoemEntry>;

// Draw order: index 0 is the right answer, 1 .. 9 the distractors.
using SentakushiList = std::array<SentakushiEntry, kChoiceCount>;
// Index = answer row.
using KaitoRanList = std::array<SentakushiEntry, kChoiceCount>;

// A random order of the poem numbers 1 .. 100: for each position in turn a
// number is drawn below 100 (plus one) and drawn again while already taken.
std::array<deck::PoemNo, deck::kPoemCount> drawPoemOrder(platform::Random &rng);

// Positions 1 .. 100 receive whole copies of the table's rows in the order
// drawPoemOrder gives.
void shuffleMondaiList(platform::Random &rng, const deck::PoemTableData &table, MondaiListType &list);

// Fills sentakushi[1 .. 9] with nine different rows of the table, none whose
// upper verse (as kept, 36 bytes) is that of sentakushi[0]. Returns the poem
// numbers in draw order.
std::array<deck::PoemNo, kDistractorCount> drawDistractors(platform::Random &rng,
                                                           const deck::PoemTableData &table,
                                                           SentakushiList &sentakushi);

// The answer row of each candidate in draw order: ten different rows drawn
// below 10; rows[0] is where the right answer goes.
std::array<int, kChoiceCount> drawPlacement(platform::Random &rng);

// Candidate k goes to answer row rows[k].
KaitoRanList placeChoices(const SentakushiList &sentakushi, const std::array<int, kChoiceCount> &rows);

// The position a poem missed at position n (1 .. length) moves to, in a run
// of `length` questions (the whole hundred unless a drill is shorter).
constexpr int missTarget(int n, int length = deck::kPoemCount)
{
    return n < length - 3 ? n + 4 : length;
}

// Moves the entry at n to missTarget(n, length); the entries after it move up one.
template <typename T>
void moveMissedLater(PositionList<T> &list, int n, int length = deck::kPoemCount)
{
    Q_ASSERT(length >= 1 && length <= deck::kPoemCount && n >= 1 && n <= length);
    if (length < 1 || length > deck::kPoemCount || n < 1 || n > length)
        return;
    const int target = missTarget(n, length);
    std::rotate(list.begin() + n, list.begin() + n + 1, list.begin() + target + 1);
}

// Right answers in whole percent of the questions judged, rounded to the
// nearest integer with a half going to the even neighbour (12.5 -> 12,
// 37.5 -> 38). No questions judged gives 0.
int seikairitu(int seikai, int mondaisu);

// Poems missed at least once in a run, indexed by poem number.
using MissedPoems = std::bitset<deck::kPoemCount + 1>;

// The words shown when a run is complete: the four counters and every poem
// missed at least once, by number and the first phrase of its upper verse
// (at most six characters).
QString runSummary(int mondaisu, int seikai, int machigai, int seikairitu, const MissedPoems &missed,
                   const deck::PoemTableData &table);

// A drill set's draws for the quiz.
// Positions 1 .. set.size() of a run receive the set's rows in the order
// drawSetOrder gives; the positions after them are left as they are.
void shuffleSetList(platform::Random &rng, const deck::PoemTableData &table, const QList<deck::PoemNo> &set,
                    MondaiListType &list);

// Fills sentakushi[1 .. 9] for poem `answer` (one of `set`, in sentakushi[0]):
// first from the set's other poems — nine of them at random when it has ten
// poems or more, all of them otherwise — then from the poems outside it.
// Returns the poem numbers in draw order.
std::array<deck::PoemNo, kDistractorCount> drawSetDistractors(platform::Random &rng,
                                                              const deck::PoemTableData &table,
                                                              const QList<deck::PoemNo> &set, deck::PoemNo answer,
                                                              SentakushiList &sentakushi);

} // namespace training
