// Input: the bytes of a match record, as a player might hand one to
// --replay or open it in the match window.
// What must hold: a record the reader refuses names a line of the input and
// a reason; one it accepts is written back in a form that reads again to the
// same text; its replay through the rules never fails on its own, names one
// of the record's step lines when it stops, and judges no more readings
// than the order holds.
#include <cstddef>
#include <cstdint>

#include "match/replay.h"

#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const match::RecordRead read = match::readRecord(text);
    if (!read.record) {
        // Lines end at LF, CRLF or a lone CR.
        const qsizetype lines = text.count('\n') + text.count('\r') - text.count("\r\n") + 1;
        CHECK(read.line >= 1 && read.line <= lines);
        CHECK(!read.reason.isEmpty());
        return 0;
    }
    const QByteArray written = match::recordText(*read.record);
    const match::RecordRead again = match::readRecord(written);
    CHECK(again.record);
    CHECK(match::recordText(*again.record) == written);

    const match::Replay replay = match::replayRecord(*read.record);
    if (replay.errorLine) {
        CHECK(!replay.error.isEmpty());
        bool named = false;
        for (const match::RecordStep &s : read.record->steps)
            named = named || s.line == replay.errorLine;
        CHECK(named);
    }
    CHECK(replay.readings.size() <= read.record->order.size());
    const int dealt = read.record->deal.count(match::Side::Player) + read.record->deal.count(match::Side::Opponent);
    CHECK(replay.left[0] + replay.left[1] <= dealt);
    for (const match::ReplayedReading &r : replay.readings)
        CHECK(!match::readingText(r).isEmpty());
    CHECK(!match::resultText(replay).isEmpty());
    return 0;
}
