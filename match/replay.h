#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "match/matchrecord.h"

// A record played again through the rules: every move, touch, end and send
// goes to a Match as it went in the window, and what the record says of
// them (each touch's verdict, the cards at the places named, the
// judgements and the result) is checked against what the Match says.
namespace match {

// One reading as the rules judged it, with the floor after its sends.
struct ReplayedReading {
    ReadingSummary summary;
    std::array<int, 2> left{};
    Field field;
};

struct Replay {
    Field arranged; // the floor at the first reading
    QList<ReplayedReading> readings;
    Result result = Result::Ongoing;
    std::array<int, 2> faults{};
    std::array<int, 2> left{};
    int errorLine = 0; // 0: the record follows the rules
    QString error;     // Japanese
};

Replay replayRecord(const MatchRecord &record);

// The lines `kotoha --replay` prints, in Japanese.
QString readingText(const ReplayedReading &reading);
QString resultText(const Replay &replay);

} // namespace match
