#pragma once

#include <QByteArrayView>

#include <array>
#include <span>

#include "deck/poemtable.h"
#include "deck/reveal.h"
#include "deck/spoken.h"
#include "platform/random.h"

// The card-taking game without its window: the deal, the reading order, the
// sorts, one reading tick by tick and the judging of a take. The window
// applies what these steps return to its controls.
namespace game {

constexpr int kMaxFudaSu = 84;

// Points for a correct take after `keika` ticks (0 .. 72).
constexpr int takePoints(int keika) { return deck::kRevealTicks - keika; }

// 1-based arrays, as the game counts cards and readings; slot 0 is unused.
using Cards = std::array<deck::PoemEntry, kMaxFudaSu + 1>;
using Numbers = std::array<int, kMaxFudaSu + 1>;

// Fills Kuji[i] with a number from 1..m that none of Kuji[1..i-1] holds,
// drawing again as often as needed. Needs m >= i.
void drawWithoutRepetition(Numbers &Kuji, int i, int m, platform::Random &rng);

// Unsigned byte order over the shorter length; on a common prefix the
// shorter key comes first.
int compareKeys(QByteArrayView a, QByteArrayView b);

enum class SortKey { Kaminoku, Shimonoku };

// Stable insertion sort, ascending by the chosen verse.
void insertionSort(std::span<deck::PoemEntry> entries, SortKey key);

// What one tick of a reading does on the board; a time-out judges the
// reading as missed.
struct TickStep : deck::RevealStep {
    int missedCard = 0; // TimeOut: the card to mark as missed
    bool gameOver = false;
};

// The judging of a click on card `tag`.
struct Verdict {
    enum class Kind {
        Ignored, // judged already, or no reading: nothing happens at all
        Correct,
        Wrong,
    };
    Kind kind = Kind::Ignored;
    int points = 0;    // Correct: added to the score
    int rightCard = 0; // the card of the reading (Correct: the clicked one)
    bool gameOver = false;
};

// One board's game state. The names are the game's own; arrays run 1..FudaSu.
class Game {
public:
    Game(int fudaSu, int yomiSu);

    int FudaSu() const { return fudaSu_; }
    int YomiSu() const { return yomiSu_; }

    Cards Torifuda{};  // the cards on the board; card k is on button sbt<k>
    Cards Yomifuda{};  // copies of the cards in reading order
    Numbers YomiSbtNo{}; // reading i is of card YomiSbtNo[i]
    Numbers Kuji{};    // scratch of the draws
    int YomiNo = 0;    // reading in progress or last judged; 0 before the first
    bool Hanteizumi = false;

    // Deals FudaSu different poems from the table onto the board and resets
    // the reading count. Draws from `rng` as it stands; the caller reseeds.
    void deal(const deck::PoemTableData &table, platform::Random &rng);
    // A fresh random reading order of the whole board.
    void MakeYomijun(platform::Random &rng);
    // Sorts the board; the old reading order no longer matches it, so a new
    // one must follow.
    void sort(SortKey key);
    void reset() { YomiNo = 0; }

    // Starts the next reading; true when it is the first of the board. The
    // deciding tick is found among the poems of `table`, the one dealt from.
    bool startReading(const deck::PoemTableData &table);
    // The tick of the current reading at which its poem is decided by sound,
    // given the poems of the earlier readings of this game; 0 when the
    // reading is not one of the table's poems.
    int decidedTick() const { return reveal_.decidedTick(); }
    // Ticks fired in the current reading.
    int Keika() const { return reveal_.ticks(); }
    TickStep tick();
    Verdict take(int tag);

    bool inReading() const { return YomiNo >= 1 && YomiNo <= yomiSu_ && !Hanteizumi; }
    // The poem of the current (or last judged) reading and its card.
    const deck::PoemEntry &reading() const { return Yomifuda[static_cast<std::size_t>(YomiNo)]; }
    int readingCard() const { return YomiSbtNo[static_cast<std::size_t>(YomiNo)]; }

private:
    bool judge();

    int fudaSu_;
    int yomiSu_;
    deck::Reveal reveal_;
};

} // namespace game
