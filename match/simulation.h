#pragma once

#include <QList>

#include "match/rules.h"
#include "platform/random.h"

// Whole matches without a window: a simulated player against the computer
// opponent, through the match's own rules. For the strength table and the
// level advice's check.
namespace match {

// A player described by the spread of their takes: reaction after the
// deciding moment drawn log-normal around `medianMs`; in a reading, with
// `faultPerThousand` chance, a touch of a card on the wrong side first.
struct SimPlayer {
    double medianMs = 800;
    double logSpread = 0.35;
    int faultPerThousand = 20;
};

struct SimMatch {
    Result result = Result::Ongoing;
    QList<qint64> takesMs; // the player's takes, ms after the deciding moment, as the history keeps them
};

// One match from a fresh deal drawn from `rng`, to its end.
SimMatch simulateMatch(const SimPlayer &player, int levelNo, platform::Random &rng);

// Matches won of `matches`, a draw counting half, as a share in 0 .. 1.
double winShare(const SimPlayer &player, int levelNo, int matches, platform::Random &rng);

} // namespace match
