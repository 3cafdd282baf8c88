#pragma once

#include <QString>

#include "voice/voicecore.h"

// The poems' readings as the voice needs them: the spoken morae of a verse
// with their spelled positions (the spelled verse is the deck's:
// deck::spelledVerse). Poem deck::kOpeningPoem is the opening poem read
// before a match's first reading.
namespace voice {

Verse spokenVerse(int poem, Half half);

} // namespace voice
