#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

#include "play/field.h"
#include "match/rules.h"

// The text record of one match: a version line, the deal and the reading
// order, then every move, reading, touch, end, send and judgement in the
// order they happened, and the result. The README describes the notation.
// Each line is one step; the reader keeps its line number so that a replay
// can name the line where a record and the rules part.
namespace match {

constexpr int kRecordVersion = 1;

struct RecordStep {
    enum class Kind {
        Move,    // the player moved a card of their own: place -> to
        Field,   // a check: `side` holds exactly `cards`
        Reading, // reading `number` opens, reading `poem`
        Touch,   // `side` touched `place` (holding `poem`, 0 if empty) at `ms`
        End,     // the reading ran out
        Send,    // `side` sent `poem` from `place`; it landed at `to`
        Judged,  // a check of the reading just closed, after its sends
        Result,  // a check of the result
    };
    Kind kind = Kind::Move;
    int line = 0;
    Side side = Side::Player;
    Place place;
    Place to;
    int poem = 0;
    int number = 0;
    qint64 ms = 0; // after the reading started; a click handled just after the start may fall before it
    Verdict verdict = Verdict::Ignored;
    // Field: the side's cards as (slot, poem), in slot order. Only the cards
    // named, nothing for the other steps: a record may hold a million steps.
    QList<std::pair<int, int>> cards;
    std::optional<Side> taker;
    std::array<bool, 2> faulted{};
    std::array<int, 2> sent{};
    std::array<int, 2> left{};
    Result result = Result::Ongoing;
};

} // namespace match

// Moved in memory as bytes: a long record's steps grow in place.
Q_DECLARE_TYPEINFO(match::RecordStep, Q_RELOCATABLE_TYPE);

namespace match {

struct MatchRecord {
    QString date; // as written, for people; may be empty
    int level = 0; // the opponent's level; 0 when not given
    Field deal;
    QList<int> order;
    QList<RecordStep> steps;
};

// The record as text, UTF-8, one step a line.
QByteArray recordText(const MatchRecord &record);
// One step's line, without its newline.
QString stepText(const RecordStep &step);

struct RecordRead {
    std::optional<MatchRecord> record;
    int line = 0; // where the reader stopped, 1-based
    QString reason; // Japanese, for the player
};

// Reads a record; a line it cannot follow stops it with the line and why.
// Only the notation is checked here; the rules are the replay's.
RecordRead readRecord(const QByteArray &text);

// A judgement step that says what `m` says of its last reading.
RecordStep judgedStep(const Match &m);

} // namespace match
