#include "matchrecorder.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

#include "platform/savefile.h"

namespace match {

namespace {

RecordStep fieldStep(const Field &f, Side s)
{
    RecordStep step;
    step.kind = RecordStep::Kind::Field;
    step.side = s;
    for (int k = 0; k < kSlots; ++k)
        if (const int poem = f.at(s, k))
            step.cards.append({k, poem});
    return step;
}

} // namespace

void MatchRecorder::begin(const Field &deal, const QList<int> &order, const QDateTime &at)
{
    record_ = MatchRecord{};
    record_.date = at.toString(Qt::ISODate);
    record_.deal = deal;
    record_.order = order;
    stamp_ = at.toString(QStringLiteral("yyyyMMdd-hhmmss"));
    path_.clear();
    started_ = false;
    over_ = false;
    unsaved_ = false;
    error.clear();
}

void MatchRecorder::moved(int fromSlot, int toSlot)
{
    RecordStep s;
    s.kind = RecordStep::Kind::Move;
    s.place = {Side::Player, fromSlot};
    s.to = {Side::Player, toSlot};
    record_.steps << s;
}

void MatchRecorder::readingStarted(const Match &m, int level)
{
    // The arrangement the readings start from, written out for people and
    // checked on replay.
    if (!started_) {
        record_.level = level;
        record_.steps << fieldStep(m.field(), Side::Player) << fieldStep(m.field(), Side::Opponent);
    }
    started_ = true;
    RecordStep s;
    s.kind = RecordStep::Kind::Reading;
    s.number = m.readingNumber();
    s.poem = m.poem();
    record_.steps << s;
}

void MatchRecorder::touched(const Match &m, Side who, Place place, qint64 msIntoReading, const TouchResult &r)
{
    RecordStep s;
    s.kind = RecordStep::Kind::Touch;
    s.side = who;
    s.place = place;
    // A take has already lifted the card; any other touch left it there.
    s.poem = r.poem ? r.poem : m.field().at(place);
    s.ms = msIntoReading;
    s.verdict = r.verdict;
    record_.steps << s;
}

void MatchRecorder::ended()
{
    RecordStep s;
    s.kind = RecordStep::Kind::End;
    record_.steps << s;
}

void MatchRecorder::sent(const Match &m, Side from, Place place, int poem)
{
    RecordStep s;
    s.kind = RecordStep::Kind::Send;
    s.side = from;
    s.place = place;
    s.poem = poem;
    s.to = m.field().find(poem).value_or(Place{});
    record_.steps << s;
}

void MatchRecorder::judged(const Match &m)
{
    record_.steps << judgedStep(m);
    save();
}

void MatchRecorder::finished(const Match &m)
{
    if (!started_)
        return;
    if (over_) {
        if (unsaved_)
            save();
        return;
    }
    over_ = true;
    if (m.result() != Result::Ongoing) {
        RecordStep s;
        s.kind = RecordStep::Kind::Result;
        s.result = m.result();
        record_.steps << s;
    }
    save();
}

bool MatchRecorder::save()
{
    error.clear();
    if (folder.isEmpty() || !started_) {
        unsaved_ = false;
        return true;
    }
    unsaved_ = true;
    errno = 0;
    if (!QDir().mkpath(folder)) {
        error = platform::saveFailureReason(errno ? errno : EIO);
        return false;
    }
    if (path_.isEmpty()) {
        // Two matches begun in one second get a suffix rather than one file.
        path_ = QDir(folder).filePath(stamp_ + QStringLiteral(".txt"));
        for (int n = 2; QFileInfo::exists(path_); ++n)
            path_ = QDir(folder).filePath(QStringLiteral("%1-%2.txt").arg(stamp_).arg(n));
    }
    if (const int err = platform::saveWhole(path_, recordText(record_))) {
        error = platform::saveFailureReason(err);
        return false;
    }
    unsaved_ = false;
    return true;
}

} // namespace match
