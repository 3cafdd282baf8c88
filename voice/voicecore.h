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
constexpr int kHoldMs = 3200;              // the lower verse's last syllable, held and fading (余韻)
constexpr int kUpperEndMs = 600;           // the upper verse's last syllable, drawn out
constexpr int kFrameMs = 5;                // the voice model's frame: every label time is a multiple

// One phoneme of a full-context label, in milliseconds from the clip's start.
struct Phone {
    QString name;
    int startMs = 0;
    int endMs = 0;
    QByteArray label; // the full context, "p1^p2-p3+p4=p5/A:...", without times
    bool isPause() const { return name == u"pau" || name == u"sil"; }
};

// The phonemes of the trace's "[Output label]" section, in order.
QList<Phone> parseTrace(const QByteArray &trace);
// The phonemes of a label file ("start end label" lines, times in 100 ns).
QList<Phone> parseLabels(const QByteArray &labels);

// The phonemes grouped into morae (consonants open one, a vowel, ん or っ
// closes it); pauses belong to none. `vowelStartMs` is where the part that
// can be drawn out begins.
struct MoraSpan {
    int startMs = 0;
    int vowelStartMs = 0;
    int endMs = 0;
};
QList<MoraSpan> moraSpans(const QList<Phone> &phones);

// The same grouping as indices into `phones`: the first and the last phone
// (the vowel, ん or っ) of each mora.
struct MoraPhones {
    qsizetype first = 0;
    qsizetype last = 0;
};
QList<MoraPhones> moraPhones(const QList<Phone> &phones);

// Open JTalk's phonemes for one mora of modern kana (きょ: ky o); empty for
// anything else.
QStringList phonesOfKana(const QString &kana);

// Where what was said differs from the verse, mora by mora: "mora 2 (は)
// said w a"; empty when every mora agrees. A devoiced vowel counts as its
// vowel, and an う after an お-row mora may be said as a long o.
QString sayingFault(const Verse &verse, const QList<Phone> &phones);

// The labels of a verse as said, retimed so that each mora's first phoneme
// starts on its reveal time (moraTargetsMs) and its vowel, ん or っ lasts
// until the next mora's, across the pauses between phrases, which are left
// out, as a reader draws a phrase's end out into the next; the upper verse's
// last mora lasts kUpperEndMs, the lower verse's kHoldMs. Consonants keep
// their length, up to a third of the mora (a stop 40 ms, the verse's first
// consonant 30 ms: what is silent of them delays the mora). Devoiced vowels are voiced, as a
// reader says every vowel. The phoneme contexts are written again for the
// new sequence; the rest of each label stays. The opening silence starts
// `leadMs` before the clip (negative times); every time is a whole frame.
// `phones` must say the verse (sayingFault empty).
QList<Phone> retimed(const QList<Phone> &phones, const Verse &verse, const QString &spelled, Half half, int leadMs);

// Labels as the HTS engine reads them: "start end label" in 100 ns units,
// `offsetMs` added to every time.
QByteArray labelText(const QList<Phone> &phones, int offsetMs);

// Where each mora of `verse` must begin, in ms from the verse's first reveal
// tick: at the first byte of its first spelled character, phrase spaces
// skipped. A mora that spells nothing of its own shares its neighbour's slot.
// `spelled` is the verse as the game shows it (U+3000 between phrases).
QList<int> moraTargetsMs(const Verse &verse, const QString &spelled);

// The text fed to open_jtalk: the spoken kana with a comma where the
// spelled verse has a phrase space before more kana, so the voice phrases
// like a reader. Open JTalk says katakana as written where hiragana は and
// へ may become particles; but its dictionary joins a few katakana
// (シヨ into ショ, マツト into マット), which hiragana keeps apart.
enum class Script { Katakana, Hiragana };
QString synthesisText(const Verse &verse, const QString &spelled, Script script = Script::Katakana);

// Times kept for one clip: every mora's start and end within it.
struct ClipTimes {
    int poem = 0;
    Half half = Half::Kami;
    QList<int> startMs;
    QList<int> endMs;
    bool operator==(const ClipTimes &) const = default;
};

// The index file: one line per clip, "poem<TAB>half<TAB>start-end,start-end...";
// poem 0 is the opening poem (deck::kOpeningPoem).
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
