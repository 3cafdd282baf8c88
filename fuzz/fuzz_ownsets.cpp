// A set's file or line of any bytes. The input is the file as it is read
// (UTF-8 or not); its text is also fed whole as one line.
//
// What must hold: a file or line that is accepted has a usable name (or
// none) and one or more poems, 1 .. 100, ascending, none twice, and reads
// back the same from the line it is exported as; one that is refused says
// why.
#include <cstddef>
#include <cstdint>

#include "fuzzcheck.h"
#include "history/ownsets.h"

namespace {

void checkParsed(const history::ParsedLine &parsed)
{
    if (!parsed.problem.isEmpty())
        return;
    CHECK(!parsed.poems.isEmpty());
    for (qsizetype i = 0; i < parsed.poems.size(); ++i) {
        CHECK(parsed.poems[i] >= 1 && parsed.poems[i] <= 100);
        CHECK(i == 0 || parsed.poems[i - 1] < parsed.poems[i]);
    }
    CHECK(history::poemsProblem(parsed.poems).isEmpty());
    CHECK(parsed.name.isEmpty() || history::nameProblem(parsed.name, {}).isEmpty());
    CHECK(parsed.name == parsed.name.trimmed());
    const history::ParsedLine again = history::parseSetLine(history::setLine(parsed.name, parsed.poems));
    CHECK(again.problem.isEmpty());
    CHECK(again.name == parsed.name);
    CHECK(again.poems == parsed.poems);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkParsed(history::parseSetFile(bytes));
    checkParsed(history::parseSetLine(QString::fromUtf8(bytes)));
    return 0;
}
