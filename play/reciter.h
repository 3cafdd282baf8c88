#pragma once

#include <optional>

#include "deck/reveal.h"
#include "play/readingtimeline.h"
#include "voice/speaker.h"

namespace tategaki {
class TLabelTategaki;
}

// The reader of every window that reads as the match reads: each reading's
// two halves spoken on the reveal's ticks, and between readings the lead-in
// on the window's two reading labels and voice.
//
//     reciter.setLabels(lt1, lt2);
//     reciter.startLeadIn(deck::kOpeningPoem, pace, aloud, now() + deck::kTickMs);
//     ... on each tick of the lead-in:
//     if (reciter.tickLeadIn(now()) <= 0) { reciter.openReading(poem, aloud); ... }
//     ... on each tick of the reading:
//     reciter.readingStep(reveal.tick(), now());
//     ... once it is judged:
//     reciter.followReading(poem, pace, aloud, now());
namespace match {

class Reciter {
public:
    // The voices play through the wave players of `services`, which outlive
    // the reciter.
    explicit Reciter(const platform::Services &services) : leading_(services), reading_(services) {}

    // The labels the verses show on, set once the window has made them.
    void setLabels(tategaki::TLabelTategaki *upper, tategaki::TLabelTategaki *lower)
    {
        upper_ = upper;
        lower_ = lower;
    }

    // A lead-in from its first verse: clears the labels, silences any voice
    // and opens the clips; it begins at `startMs`.
    void startLeadIn(int previousPoem, const Pace &pace, bool aloud, qint64 startMs);
    // The lead-in after the reading of `poem` just judged. A reader does not
    // start a lower verse again that is being read: begun in the reading and
    // heard unbroken since, its text and voice go on, then its hold and the
    // pause, and the upper label keeps what it shows. Otherwise the lead-in
    // starts on the next tick.
    void followReading(int poem, const Pace &pace, bool aloud, qint64 nowMs);
    // Shows and speaks what is due at `nowMs`; returns the ms left until the
    // reading opens, a tick before the upper verse (≤ 0: open it now).
    qint64 tickLeadIn(qint64 nowMs);
    const LeadIn &leadIn() const { return leadIn_; }

    // The clips of the reading of `poem` opened, so that each half starts on
    // its tick; the lead-in's voice stops.
    void openReading(int poem, bool aloud);
    // A half is spoken on the tick that shows its first byte.
    void readingStep(const deck::RevealStep &step, qint64 nowMs);
    // Whether a voice reads this reading.
    bool readingAloud() const { return reading_.poem() != 0; }

    // Every voice stops; a lower verse cut so is read again from its start.
    void stop();

private:
    void showAt(qint64 at);

    tategaki::TLabelTategaki *upper_ = nullptr;
    tategaki::TLabelTategaki *lower_ = nullptr;
    LeadIn leadIn_;
    qint64 startMs_ = 0;
    int spoken_ = 0; // the lead-in's verses whose clips have started
    voice::Reader leading_;
    voice::Reader reading_;
    std::optional<qint64> lowerStartMs_; // the reading's lower verse began, unbroken since
};

} // namespace match
