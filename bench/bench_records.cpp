// The records file's reader and the record step on an ordinary full table
// and on the same table at the start of a sparse file of a gigabyte. Both
// must only ever look at the eleven slots and the size: the gigabyte costs
// about what the 407 bytes cost, in time and in memory.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/stat.h>

#include "benchrunner.h"
#include "platform/services.h"
#include "records/kirokutoroku.h"
#include "records/recordsfile.h"
#include "records/recordstable.h"

namespace {

class Declines final : public platform::Messages {
public:
    void inform(const QString &) override {}
    bool askYesNo(const QString &) override { return false; }
};

QByteArray fullTable()
{
    QByteArray file(37, '\0');
    for (int k = 1; k <= 10; ++k) {
        records::RecordsEntry e = records::makeEntry(QString::number(1100 - 100 * k), "P", "2026/01/01");
        file += records::toSlot(e);
    }
    return file;
}

// A scratch file of `size` bytes beginning with a full table.
QString makeFile(QTemporaryDir &dir, qint64 size)
{
    const QString path = dir.filePath(QStringLiteral("RecordsS.dat"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(fullTable()) != 407 || !f.resize(size))
        qFatal("cannot make the records file");
    return path;
}

long maxRssKb()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void BM_ViewerRead(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = makeFile(dir, state.range(0));
    const long before = maxRssKb();
    for (auto _ : state)
        benchmark::DoNotOptimize(records::readTable(path).entries.size());
    state.counters["rss_growth_kb"] = double(maxRssKb() - before);
}

// The step up to its verdict: a score that stays out of the ordinary table,
// a table refused for its size (the player declines a new one) in the other.
void BM_RecordStepVerdict(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = makeFile(dir, state.range(0));
    Declines declines;
    platform::Services s;
    s.messages = &declines;
    const platform::ScopedServices scoped(s);
    const long before = maxRssKb();
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(records::storeResult(platform::services(), path, QStringLiteral("5")).place);
        } catch (const records::RecordsError &) {
        }
    }
    state.counters["rss_growth_kb"] = double(maxRssKb() - before);
    state.counters["file_kb_on_disk"] = [&] {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return double(st.st_blocks) / 2;
    }();
}

} // namespace

BENCHMARK(BM_ViewerRead)->Arg(407)->Arg(1000000000);
BENCHMARK(BM_RecordStepVerdict)->Arg(407)->Arg(1000000000);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
