#pragma once

#include <QList>

#include <optional>

#include "match/rules.h"
#include "platform/random.h"

// The computer opponent and the clock of a reading as it sounds.
namespace match {

struct Level {
    int meanMs;           // mean reaction after the deciding moment
    int spreadMs;         // about one standard deviation
    int faultPerThousand; // chance of a fault in one reading
};
constexpr int kLevels = 5;
const Level &level(int n); // 1 .. 5

// What the opponent will do in the reading that is open, in milliseconds
// from the reading's start.
struct Plan {
    std::optional<qint64> takeAtMs;
    std::optional<qint64> faultAtMs;
    Place faultPlace;
};

// Draws the opponent's plan for the open reading of `m`: it takes the read
// card (on either side) a reaction time after the deciding tick, and with
// its level's chance first grabs, a little earlier, the card on the wrong
// side that begins most like the read poem.
Plan planReading(const Match &m, int levelNo, platform::Random &rng);

// The reaction time drawn around the level's mean (never below 150 ms).
qint64 drawReaction(const Level &l, platform::Random &rng);

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

// The level to play next: the one whose mean reaction lies nearest the
// player's median reaction; one below `current` when the player took none.
int suggestLevel(const QList<qint64> &playerReactionsMs, int current);

} // namespace match
