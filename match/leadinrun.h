#pragma once

#include "match/readingtimeline.h"
#include "voice/speaker.h"

namespace tategaki {
class TLabelTategaki;
}

// A lead-in played on a window's two reading labels and its own voice, tick
// by tick, for every window that reads as the match reads.
//
//     run.setLabels(lt1, lt2);
//     run.start(previous, pace, aloud, now() + deck::kTickMs);
//     ... on each tick:
//     if (run.tick(now()) <= 0) startReading();
namespace match {

class LeadInRun {
public:
    // The labels the verses show on, set once the window has made them.
    void setLabels(tategaki::TLabelTategaki *upper, tategaki::TLabelTategaki *lower)
    {
        upper_ = upper;
        lower_ = lower;
    }

    // Clears the labels and opens the clips; the lead-in begins at `startMs`.
    void start(int previousPoem, const Pace &pace, bool aloud, qint64 startMs);
    // The lead-in after a reading that closed with `poem`'s lower verse
    // already under way since `lowerStartMs`, shown on its label and said by
    // the reading's own voice: it goes on from there, neither the text nor
    // the voice starting again, and the upper label keeps what it shows.
    void carryOn(int poem, const Pace &pace, qint64 lowerStartMs, qint64 nowMs);
    // Shows and speaks what is due at `nowMs`; returns the ms left until the
    // reading opens, a tick before the upper verse (≤ 0: open it now).
    qint64 tick(qint64 nowMs);
    // Silences the lead-in's voice; the labels keep what they show.
    void stopVoice() { reader_.stop(); }

    const LeadIn &leadIn() const { return leadIn_; }

private:
    void showAt(qint64 at);

    tategaki::TLabelTategaki *upper_ = nullptr;
    tategaki::TLabelTategaki *lower_ = nullptr;
    LeadIn leadIn_;
    qint64 startMs_ = 0;
    int spoken_ = 0; // verses whose clips have started
    voice::Reader reader_;
};

} // namespace match
