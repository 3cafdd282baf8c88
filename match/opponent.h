#pragma once

#include <QList>

#include <array>
#include <optional>

#include "match/rules.h"
#include "platform/random.h"

// The computer opponent: its strength, its plan for a reading and its send rule.
namespace match {

// Strength runs from a beginner's pace to a strong player's in levels so
// close that one level up changes a player's chance by a few per cent.
constexpr int kLevels = 150;
constexpr qint64 kSlowestMs = 4000; // level 1's median reaction after the deciding moment
constexpr qint64 kFastestMs = 220;  // level kLevels'
// The median reaction of level n (1 .. kLevels), evenly spaced on a log scale.
qint64 levelMedianMs(int n);
// The level whose median reaction lies nearest `ms` (on the same scale).
int levelNearest(double ms);

// What the opponent will do in the reading that is open, in milliseconds
// from the reading's start.
struct Plan {
    std::optional<qint64> takeAtMs;
    std::optional<qint64> faultAtMs;
    Place faultPlace;
};

// One match's opponent. Its reaction after the deciding moment is drawn
// around its level's median and slowed on the far side, for late-decided
// cards and for cards that came to their place lately; now and then it
// forgets a card (more often the more the field has changed) and finds it
// by sight; a strong one anticipates: it may go for a card that shares the
// opening heard so far before the poem is decided.
class Opponent {
public:
    explicit Opponent(int levelNo);
    int levelNo() const { return level_; }

    // The plan for the open reading of `m`; no plan when none is open. Call
    // once per reading: the opponent notes where the cards lie now.
    Plan plan(const Match &m, platform::Random &rng);

private:
    void noteField(const Match &m);

    int level_;
    // Per poem: its place when last seen and the reading it came there.
    std::array<std::optional<Place>, 101> seenAt_{};
    std::array<int, 101> since_{};
    int changes_ = 0; // cards that came to a new place since the deal
    bool seenDeal_ = false;
};

// A reaction drawn around `medianMs`: log-normal with the given spread of
// the logarithm, never below one tick.
qint64 drawReaction(double medianMs, double logSpread, platform::Random &rng);

// The tick after which the first `morae` spoken syllables of poem `poem`'s
// upper verse have been heard (1 <= morae <= its length).
int tickOfMorae(int poem, int morae);

// The opponent's send rule: the card on its side whose upper verse shares
// the longest beginning with a card on the receiving side, so that the pair
// stands split across the two sides; ties to the lower poem number. Returns
// the slot, -1 when it has no card.
int chooseSend(const Field &f, Side from);

// Spoken syllables two upper verses share from their start.
int sharedBeginning(int poemA, int poemB);

// Middle value of a list of times (the mean of the two middle ones for an
// even count); nullopt for an empty list.
std::optional<qint64> median(QList<qint64> values);

} // namespace match
