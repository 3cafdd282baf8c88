#pragma once

#include <QList>

#include <array>
#include <optional>

#include "deck/spoken.h"
#include "play/field.h"
#include "play/readingorder.h"
#include "play/standardlayout.h"

// The rules of a practice match, without windows or clocks: readings open
// and close, touches are judged in the order of their own times, and the
// cards owed across are sent one by one.
namespace match {

enum class Verdict {
    Ignored, // no reading open, an empty slot, or a side already faulted on
    Nothing, // a wrong card on the side that holds the read card
    Fault,
    Taken,
};

struct TouchResult {
    Verdict verdict = Verdict::Ignored;
    int poem = 0; // the card touched
};

enum class Result { Ongoing, PlayerWon, OpponentWon, Draw };

// What one reading came to, for the history and the end screen.
struct ReadingSummary {
    int number = 0; // 1 .. 100
    int poem = 0;
    bool dead = false;              // no card of it on the floor
    std::optional<Side> taker;      // nobody: dead card, or the reading ran out
    std::optional<Place> takenFrom;
    qint64 takenAtMs = 0;
    std::array<bool, 2> faulted{};  // by side
    std::array<int, 2> penalty{};   // cards a side's faults cost it: 1, or 2 for both sides on a dead card
    std::array<int, 2> faultPoem{}; // the card a side touched first in its fault
    std::array<int, 2> owed{};      // cards each side must send once the reading is judged
    std::array<int, 2> sent{};      // cards each side sent after it
};

class Match {
public:
    Match(const Field &field, const QList<int> &order);

    const Field &field() const { return order_.field(); }
    int readings() const { return order_.readings(); }
    int readingNumber() const { return order_.number(); } // 0 before the first
    int poem() const { return order_.poem(); }
    bool readingOpen() const { return order_.open(); }
    bool deadCard() const { return readingOpen() && !field().find(poem()); }
    // Poems read before the current one.
    const deck::ReadSet &readBefore() const { return order_.readBefore(); }
    const ReadingSummary &last() const { return summary_; }

    // The player may rearrange their own cards whenever no reading is open
    // and no card is owed, until the match is over.
    bool rearrange(int from, int to);

    // Opens the next reading; false when none may open (one is open, cards
    // are still owed, the match is over or the readings ran out).
    bool startReading();
    // A touch of the card at `place` by `who` at `atMs`, in the order of
    // their times. A take closes the reading; a side may still take after
    // its own fault. A touch at the very moment of the take, by the side the
    // card lay on, still wins it, as long as nothing has been sent since.
    TouchResult touch(Side who, Place place, qint64 atMs);
    // The reading ran to its end without a take: its card leaves the floor.
    void endReading();

    // After a reading closes: the side that must send a card now, if any.
    std::optional<Side> sender() const;
    // Which side the owed card goes to.
    std::optional<Side> receiver() const;
    // Sends the card in `slot` of the sending side to the receiver's free
    // slot; false when no card is owed from that side or the slot is empty.
    bool send(Side from, int slot);

    Result result() const;
    int faults(Side s) const { return faults_[idx(s)]; }
    int takes(Side s) const { return takes_[idx(s)]; }
    int sentTotal(Side s) const { return sentTotal_[idx(s)]; }

private:
    static std::size_t idx(Side s) { return static_cast<std::size_t>(s); }
    void close();
    void settle();
    TouchResult touchAfterTake(Side who, Place place, qint64 atMs);

    ReadingOrder order_;
    ReadingSummary summary_;
    QList<Side> owed_; // one entry per card still to send; all from one side
    std::array<std::array<bool, 2>, 2> faultedOn_{}; // [who][side touched] in the open reading
    std::array<int, 2> faults_{};
    std::array<int, 2> takes_{};
    std::array<int, 2> sentTotal_{};
};

// Moves the player's cards of `m` to where `layout` puts them; returns the
// moves made, as (from, to) slots, in order.
QList<std::pair<int, int>> arrangeOwnSide(Match &m, const StandardLayout &layout);

} // namespace match
