#include "replaycommand.h"

#include <QTextStream>

#include "match/replay.h"
#include "platform/wholefile.h"

namespace {

// A whole match takes some tens of kilobytes; anything far larger is not one.
constexpr qint64 kMaxRecordBytes = 4 * 1024 * 1024;

int refuse(QTextStream &err, const QString &fileName, int line, const QString &why)
{
    err << "kotoha: " << fileName << ' ' << line << "行目: " << why << '\n';
    err.flush();
    return 1;
}

} // namespace

int runReplay(const QString &fileName, QTextStream &out, QTextStream &err)
{
    const platform::WholeFile file = platform::readWholeFile(fileName, kMaxRecordBytes);
    if (!file.problem.isEmpty()) {
        err << "kotoha: " << fileName << " を試合の記録として読めません: " << file.problem << '\n';
        err.flush();
        return 2;
    }
    const match::RecordRead read = match::readRecord(file.bytes);
    if (!read.record)
        return refuse(err, fileName, read.line, read.reason);
    const match::Replay replay = match::replayRecord(*read.record);
    for (const match::ReplayedReading &r : replay.readings)
        out << match::readingText(r) << '\n';
    if (replay.errorLine) {
        out.flush();
        return refuse(err, fileName, replay.errorLine, replay.error);
    }
    out << match::resultText(replay) << '\n';
    out.flush();
    return 0;
}
