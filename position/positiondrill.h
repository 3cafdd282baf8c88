#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

#include "deck/spoken.h"
#include "history/take.h"
#include "play/field.h"
#include "play/readingorder.h"
#include "platform/random.h"

// The position drill: a few cards laid out on a match floor, memorised,
// turned face down; each reading asks where its card lies. No windows or
// clocks: the window hands in the clicks with their times.
namespace match {

constexpr int kDrillMinCards = 10;
constexpr int kDrillMaxCards = 2 * kCardsPerSide;

// `poems` (at most 50) laid out as a deal: the player's side first, 25 at
// most, the rest on the opponent's; on each side the lowest row gets the
// most, each row laid from the outer edges inwards.
Field drillField(const QList<int> &poems);

// `count` poems drawn at random from `pool` (all of it when smaller).
QList<int> drawPoems(platform::Random &rng, const QList<int> &pool, int count);

// The cards on the floor and as many dead cards (poems not on it, as many
// as there are), in a random order.
QList<int> drillOrder(platform::Random &rng, const Field &field);

class PositionDrill {
public:
    enum class Outcome {
        Right,   // the place of the card read
        Wrong,   // another place, empty or not
        Timeout, // a card on the floor, nobody clicked
        Dead,    // a dead card left alone
        Fault,   // a click during a dead card
    };
    struct Reading {
        int number = 0; // 1 ..
        int poem = 0;
        std::optional<Place> lies; // none: a dead card
        std::optional<Place> clicked;
        int clickedPoem = 0; // the card that lay there, 0 for none
        qint64 clickedAtMs = 0;
        Outcome outcome = Outcome::Timeout;
    };

    PositionDrill(const Field &field, const QList<int> &order);

    const Field &field() const { return order_.field(); }
    // Before the first reading, the player's own cards may change places.
    bool rearrange(int from, int to);

    int readings() const { return order_.readings(); }
    int readingNumber() const { return order_.number(); } // 0 before the first
    int poem() const { return order_.poem(); }
    bool readingOpen() const { return order_.open(); }
    const deck::ReadSet &readBefore() const { return order_.readBefore(); }

    // Opens the next reading; false when one is open or none is left. The
    // card of the reading before leaves the floor.
    bool startReading();
    // The first click of a reading closes it; later ones are ignored.
    std::optional<Outcome> click(Place place, qint64 atMs);
    // The reading ran out without a click.
    Outcome endReading();
    const Reading &last() const { return last_; }
    bool over() const { return !readingOpen() && order_.runOut(); }

    // Every card laid out, for the end map: where it lay and how its
    // reading went.
    const QList<Reading> &done() const { return done_; }
    const Field &laidOut() const { return laidOut_; }
    int faults() const;
    // For the end map: the card's own reading missed, and each other
    // reading whose click landed on it.
    int misses(int poem) const;
    int right() const;

private:
    void close(Outcome outcome);

    ReadingOrder order_;
    Field laidOut_;
    Reading last_;
    QList<Reading> done_;
};

// What the history keeps of a drill's reading: right or wrong with the poem
// of the place clicked and the ms after the deciding moment, a time-out, a
// dead card (a click on it marked as the player's fault). Times are
// monotonic ms.
history::Take drillTake(const PositionDrill::Reading &r, qint64 session, qint64 readingStartMs, qint64 decidedMs);

} // namespace match
