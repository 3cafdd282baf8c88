#pragma once

#include <QByteArray>
#include <QList>

#include "voice/voicecore.h"

// How a clip sounds beside the labels it was made from, in 10 ms frames
// (silent: below -46 dBFS). Shared by the clip test and the voice benchmark.
namespace voice {

struct Flow {
    int voicedFrames = 0;     // inside phrases, where a vowel, ん, a nasal, r, y or w is said
    int silentVoiced = 0;     // of those, silent
    int abruptStops = 0;      // 20 ms of sound, then at once 20 ms under -60 dBFS while a voiced sound goes on
    int worstPhraseGapMs = 0; // longest silence before a phrase's first mora
    int phraseEnds = 0;       // phrase ends measured
    QList<int> heldMs;        // lower verses: how long the last syllable is heard
    int notFading = 0;        // lower verses whose last syllable does not die away

    double silentShare() const { return voicedFrames ? double(silentVoiced) / voicedFrames : 0; }
};

// Adds one clip: 16-bit mono samples at `rate`, the labels with the clip's
// times, and the verse (phrases end where the spelled verse has a space).
void addFlow(Flow &flow, const QByteArray &pcm, int rate, const QList<Phone> &labels, const Verse &verse,
             const QString &spelled, Half half);

} // namespace voice
