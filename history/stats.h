#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <functional>
#include <optional>

#include "history/words.h"

class QIODevice;

namespace history {

// Which takes the statistics look at: those of `modes` (empty: all) between
// two local dates, both included.
struct Filter {
    std::optional<QDate> from;
    std::optional<QDate> to;
    QList<Mode> modes;
};

struct PoemStats {
    int poem = 0;
    int times = 0;
    int right = 0;
    std::optional<qint64> medianMs; // median ms after deciding over the right takes
    QString lastSeen;               // played_at of the latest take
    double rightPercent() const { return times ? 100.0 * right / times : 0.0; }
    int misses() const { return times - right; }
};

struct DayStats {
    QDate day;
    int times = 0;
    int right = 0;
    std::optional<qint64> medianMs;
};

struct Confusion {
    int poem = 0;   // read or asked
    int chosen = 0; // taken instead
    int count = 0;
};

struct Statistics {
    Statistics()
    {
        for (int i = 0; i < 100; ++i)
            poems[static_cast<std::size_t>(i)].poem = i + 1;
    }

    int total = 0;
    std::array<PoemStats, 100> poems{}; // poems[i] is poem i + 1, even with no history
    QList<DayStats> days;               // oldest first
    QList<Confusion> confusions;        // most frequent first, at most ten

    // Poems with a median, slowest first; poems with misses, most first (ten each).
    QList<PoemStats> slowest(int n = 10) const;
    QList<PoemStats> mostMissed(int n = 10) const;
};

// `stopped`, when given, is asked every few thousand rows; once it says yes
// the scan ends and the figures are incomplete.
Statistics loadStatistics(QSqlDatabase &db, const Filter &filter, const std::function<bool()> &stopped = {});

// The whole readings table as CSV: UTF-8, a header row, RFC 4180 quoting.
// `going`, when given, is told the rows written so far every few tens of
// kilobytes and asked whether to go on; no: false, the file incomplete.
bool exportCsv(QSqlDatabase &db, QIODevice &out, QString *error = nullptr,
               const std::function<bool(qint64 rows)> &going = {});

} // namespace history
