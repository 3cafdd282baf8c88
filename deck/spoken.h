#pragma once

#include <QList>
#include <QString>

#include <bitset>
#include <optional>

#include "deck/poemtable.h"

// The poems as they are heard: each verse as a list of spoken syllables
// (morae) in modern kana, each tied to the spelled text it comes from, and
// the deciding syllables by sound.
namespace deck {

struct SpokenMora {
    QString kana;   // one mora: a kana, or a kana with its small ゃ/ゅ/ょ
    int spelledEnd; // characters of the spelled verse (fill included) revealed once this mora is complete
};

struct SpokenVerse {
    QList<SpokenMora> morae;
    QString text() const;                 // the whole reading, without separators
    QString opening(int moraCount) const; // the first moraCount morae
};

const SpokenVerse &spokenKaminoku(PoemNo no);
const SpokenVerse &spokenShimonoku(PoemNo no);

using ReadSet = std::bitset<kPoemCount + 1>; // bit n: poem n has been read

// The number of morae of poem p's upper verse that tell it from every poem
// neither read nor p itself: one more than the longest opening it shares with
// any of them (1 when it shares none). p itself must not be in `read`.
int decidingMorae(PoemNo p, const ReadSet &read);

// Ties a spoken text to its spelled verse, syllable for kana as the data file
// lays them out. Returns the reason when they do not line up.
struct AlignResult {
    std::optional<SpokenVerse> verse;
    QString error;
};
AlignResult alignSpoken(const QString &spelled, const QString &spoken);

namespace detail {
struct SpokenSource {
    const char *kaminoku;
    const char *shimonoku;
};
extern const SpokenSource kSpokenSource[kPoemCount];
} // namespace detail

} // namespace deck
