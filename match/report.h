#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Where every judged reading of a match goes. The program's learning
// history plugs in here; without it, readings are not kept.
namespace match {

struct ReadingReport {
    qint64 session = 0;     // one number per match
    int poem = 0;
    // "player", "opponent" (who took it), "dead" (no card on the floor),
    // "missed" (nobody took it)
    QString outcome;
    qint64 ms = 0;                        // from the reading's start to the take
    std::optional<qint64> msAfterDeciding; // the take after the deciding moment
    int decidedTick = 0;
    bool playerFault = false;
    bool opponentFault = false;
    int playerSent = 0;
    int opponentSent = 0;
    int level = 0;
};

class Reporter {
public:
    virtual ~Reporter() = default;
    virtual qint64 newSession() = 0;
    virtual void reading(const ReadingReport &) = 0;
};

// The reporter in use; never null (a silent one by default).
Reporter &reporter();
// Installs a reporter (not owned); nullptr puts the silent one back.
void setReporter(Reporter *r);

} // namespace match
