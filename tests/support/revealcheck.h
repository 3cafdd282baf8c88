#pragma once

#include <QList>

#include <optional>

#include "voice/voicecore.h"

// How the clips line up with the reveal: the moment a reading shows each
// mora's kana. Shared by the clip test and the drift benchmark.
namespace voice {

// For each mora of the verse, ms from the tick that shows the verse's first
// byte to the tick that shows the first byte of the mora's own kana; nullopt
// for a mora heard past the spelled text. Needs the poem table filled.
QList<std::optional<int>> revealMs(int poem, Half half);

struct Drift {
    int morae = 0;  // morae with a kana of their own
    int beyond = 0; // morae heard past the spelled text (not measured)
    int worstMs = 0;
    double meanMs = 0;
    int over50 = 0; // morae more than 50 ms off
    QList<int> all; // every measured |drift|
};

// Adds one clip's morae to `drift`; false when the clip's mora count is
// not the verse's.
bool addDrift(Drift &drift, const ClipTimes &clip);

} // namespace voice
