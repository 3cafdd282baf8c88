#pragma once

#include <QDateTime>
#include <QString>

#include "match/matchrecord.h"

// Keeps the record of the match being played and writes it whole after each
// reading and at the end, so that a window closed in the middle still leaves
// the readings played. A save that fails leaves the last good file as it was
// and the record in memory; the next reading tries again. The window tells
// it each step right after the Match took it.
namespace match {

class MatchRecorder {
public:
    // Where the records go; empty keeps none. A match is saved as
    // <folder>/<yyyyMMdd-hhmmss>.txt, named when it begins.
    QString folder;

    void begin(const Field &deal, const QList<int> &order, const QDateTime &at);
    void moved(int fromSlot, int toSlot);
    // `level`: the opponent's, fixed once the readings begin.
    void readingStarted(const Match &m, int level);
    void touched(const Match &m, Side who, Place place, qint64 msIntoReading, const TouchResult &r);
    void ended();
    // After `send`: where the card went is read from the field.
    void sent(const Match &m, Side from, Place place, int poem);
    void judged(const Match &m);
    // Called again, it only retries a save that failed.
    void finished(const Match &m);

    const MatchRecord &record() const { return record_; }
    QString path() const { return path_; }
    // Where the record goes: its file once named, else the folder.
    QString target() const { return path_.isEmpty() ? folder : path_; }
    // False with `error` set, why in the player's words, when the file could
    // not be written.
    bool save();
    QString error;
    // The last save failed: what the file holds is behind the record.
    bool unsaved() const { return unsaved_; }

private:
    MatchRecord record_;
    QString stamp_;
    QString path_;
    bool started_ = false; // a reading has begun: the match is worth keeping
    bool over_ = false;
    bool unsaved_ = false;
};

} // namespace match
