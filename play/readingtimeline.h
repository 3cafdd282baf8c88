#pragma once

#include <QByteArray>
#include <QList>

#include "deck/reveal.h"
#include "voice/voicecore.h"

// How a match is read, as a tournament reader reads it: before each upper
// verse the previous poem's lower verse, its last syllable held, a pause;
// before the first, the opening poem whole, its lower verse then held and
// paused on as any other. The voice and the text keep to the same times, so
// the lead-in runs alike with reading aloud on or off.
namespace match {

// Verses keep the reveal's pace, a byte a tick (deck::kTickMs), as their
// clips do.
struct Pace {
    int holdMs = voice::kHoldMs; // a lower verse's last syllable, from its start: its clip's length
    int gapMs = 1000;            // the pause after the hold (間隔)
};

// One verse read in the lead-in: its clip starts at `startMs`, when its
// first byte shows.
struct LeadVerse {
    int poem = 0; // deck::kOpeningPoem for the opening poem
    deck::Half half = deck::Half::Shimo;
    int startMs = 0;
    QByteArray text; // Shift-JIS, without the table's fill
};

class LeadIn {
public:
    // Nothing to read: the upper verse starts at once.
    LeadIn() = default;
    // The lead-in after poem `previous`; deck::kOpeningPoem before the
    // first reading.
    LeadIn(int previous, const Pace &pace);

    // In ms from the lead-in's start.
    const QList<LeadVerse> &verses() const { return verses_; }
    int holdStartMs() const { return holdStartMs_; }
    int pauseStartMs() const { return pauseStartMs_; }
    // The next upper verse's first tick: its first byte and its voice.
    int upperStartMs() const { return upperStartMs_; }

    // The bytes of verses()[v] showing `atMs` into the lead-in.
    QByteArray shown(qsizetype v, qint64 atMs) const;

private:
    QList<LeadVerse> verses_;
    int holdStartMs_ = 0;
    int pauseStartMs_ = 0;
    int upperStartMs_ = 0;
};

} // namespace match
