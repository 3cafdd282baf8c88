#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

#include "deck/reveal.h"
#include "deck/spoken.h"

// Reading aloud without windows or sound devices: what open_jtalk's trace
// says, where each mora of a verse must begin so that it is heard as the game
// reveals its kana, how a clip is cut and laid out, and the clip index kept
// beside the audio.
namespace voice {

using deck::Half;

// The morae of a verse as read aloud, each with the spelled characters (two
// bytes each) revealed once it is complete.
using Verse = QList<deck::SpokenMora>;

constexpr int kCharMs = 2 * deck::kTickMs; // one spelled character
constexpr int kHoldMs = 1200;              // the lower verse's last syllable is held this much longer

// One phoneme of open_jtalk's output label, in milliseconds from the clip's start.
struct Phone {
    QString name;
    int startMs = 0;
    int endMs = 0;
    bool isPause() const { return name == u"pau" || name == u"sil"; }
};

// The phonemes of the trace's "[Output label]" section, in order.
QList<Phone> parseTrace(const QByteArray &trace);

// The phonemes grouped into morae (consonants open one, a vowel, ん or っ
// closes it); pauses belong to none. `vowelStartMs` is where the part that
// can be drawn out begins.
struct MoraSpan {
    int startMs = 0;
    int vowelStartMs = 0;
    int endMs = 0;
};
QList<MoraSpan> moraSpans(const QList<Phone> &phones);

// Where each mora of `verse` must begin, in ms from the verse's first reveal
// tick: at the first byte of its first spelled character, phrase spaces
// skipped. A mora that spells nothing of its own shares its neighbour's slot.
// `spelled` is the verse as the game shows it (U+3000 between phrases).
QList<int> moraTargetsMs(const Verse &verse, const QString &spelled);

// Where each mora's slot ends: the next mora's start, or one character's
// time where a phrase space or the verse's end follows.
QList<int> moraSlotEndsMs(const Verse &verse, const QString &spelled);

// The text fed to open_jtalk: the spoken kana with a comma where the
// spelled verse has a phrase space, so the voice phrases like a reader.
QString synthesisText(const Verse &verse, const QString &spelled);

// Times kept for one clip: every mora's start and end within it.
struct ClipTimes {
    int poem = 0;
    Half half = Half::Kami;
    QList<int> startMs;
    QList<int> endMs;
    bool operator==(const ClipTimes &) const = default;
};

// The index file: one line per clip, "poem<TAB>half<TAB>start-end,start-end...".
QByteArray writeIndex(const QList<ClipTimes> &clips);
// Malformed lines are skipped; nullopt when nothing can be read.
std::optional<QList<ClipTimes>> parseIndex(const QByteArray &text);

// The moment the deciding morae of a verse have been heard: the end of the
// last deciding mora (ms into the clip); nullopt for a count the clip lacks.
std::optional<int> decidingHeardMs(const ClipTimes &clip, int decidingMorae);

// Milliseconds from hearing the deciding morae to the answer, both measured
// from the moment the question was posed. The voice starts `voiceDelayMs`
// after that; a pick before the deciding morae were heard is negative.
qint64 msAfterDecidingHeard(qint64 answerMs, int voiceDelayMs, int heardMs);

// 16-bit mono PCM in a canonical WAV file.
QByteArray wavFile(const QByteArray &pcm, int sampleRate);
// The PCM samples of such a file (nullopt for anything else).
std::optional<QByteArray> wavSamples(const QByteArray &file, int *sampleRate = nullptr);

} // namespace voice
