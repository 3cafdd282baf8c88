#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The history's vocabulary. The words each value is stored as are part of
// the file's format: a file written today is read by every later program.
namespace history {

enum class Mode { GameS, GameM, GameL, Training, Match, Nagashi, Position };

enum class Outcome {
    Right,    // the card read was taken, the right row chosen
    Wrong,    // another card or row: Take::chosen names it
    Timeout,  // the reading or the question ran out
    Opponent, // match: the opponent took it
    Missed,   // match: a live card nobody took
    Dead,     // match: no card of it lay on the floor
};

// Where the time after deciding counts from: the deciding syllables as the
// table spells them, or as they were heard.
enum class Deciding { Spelled, Spoken };

// The keys of a row's JSON `extra`, where a mode keeps what the columns
// do not hold; the review schedule reads PlayerFault back out of it.
enum class Extra {
    Taker,         // match: "player", "opponent" or empty
    Level,         // match: the opponent's level
    DecidedTick,   // match, position: the tick of the deciding syllable
    PlayerFault,   // match, position: the player faulted in the reading
    OpponentFault, // match
    PlayerSent,    // match: cards the judgement makes each side send
    OpponentSent,  // match
    Lies,          // position: where the card read lay (Place::text)
    Clicked,       // position: where the player clicked
    Answer,        // nagashi: "choice" or "flip"
};

QString word(Mode mode);
QString word(Outcome outcome);
QString word(Deciding deciding);
QString word(Extra key);

// Empty for a word this program does not know (a later program's).
std::optional<Mode> modeFromWord(QStringView word);
std::optional<Outcome> outcomeFromWord(QStringView word);

// The three boards' games, which the statistics also show together.
inline constexpr Mode kGameModes[] = {Mode::GameS, Mode::GameM, Mode::GameL};

} // namespace history
