// The records file as it may be found on disk: any bytes, any size. The
// viewers' reader and the end-of-game step run on it in a scratch folder,
// with a fake clock, name prompt and yes/no question, and the file must come
// out either byte for byte as it was, or as the old table with one entry
// added, or set aside whole under another name with a new table started.
//
// Input, in order (missing fields take their defaults, the rest is the file):
//   flags    1 byte   1 file missing, 2 Cancel at the prompt,
//                     4 another copy rewrites the file while the prompt is up,
//                     8 the score is raw text instead of a number,
//                     16 yes when asked to set a damaged file aside
//   score    2 bytes  big-endian, modulo 10000 (flag 8: a length byte and
//                     that many bytes of UTF-8 text)
//   name     a length byte and that many bytes of UTF-8 (the typed answer)
//   format   a length byte and that many bytes of UTF-8 (the short date format)
//   date     2 bytes  big-endian signed, days after 2026-12-06
//   rewrite  flag 4 only: 2 bytes big-endian length and that many bytes,
//            the file as the other copy leaves it
//   file     the rest
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "platform/services.h"
#include "platform/sjis.h"
#include "records/kirokutoroku.h"
#include "records/recordsfile.h"
#include "records/recordstable.h"

#include "fuzzcheck.h"
#include "scratchdir.h"

using namespace records;

namespace {

class Reader {
public:
    Reader(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    unsigned byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    unsigned word() { return (byte() << 8) | byte(); }
    QByteArray bytes(std::size_t n)
    {
        n = std::min(n, size_ - pos_);
        QByteArray out(reinterpret_cast<const char *>(data_ + pos_), qsizetype(n));
        pos_ += n;
        return out;
    }
    QByteArray counted() { return bytes(byte()); }
    QByteArray rest() { return bytes(size_ - pos_); }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class FakeClock final : public platform::Clock {
public:
    QDate date;
    QString format;
    QTime utcTimeOfDay() const override { return QTime(12, 0); }
    QDate localDate() const override { return date; }
    QString shortDateFormat() const override { return format; }
};

class FakeQuestion final : public platform::Messages {
public:
    bool yes = false;
    int asked = 0;
    int informed = 0;
    void inform(const QString &) override { ++informed; }
    bool askYesNo(const QString &) override
    {
        ++asked;
        return yes;
    }
};

class FakeInput final : public platform::InputBox {
public:
    QString answer;
    bool cancel = false;
    int asked = 0;
    std::function<void()> whileAsking;
    QString ask(const QString &, const QString &, const QString &defaultText) override
    {
        ++asked;
        if (whileAsking)
            whileAsking();
        return cancel ? defaultText : answer;
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fuzzFailed("the records file cannot be read back");
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        fuzzFailed("the records file cannot be written");
}

QByteArray slotAt(const QByteArray &file, qsizetype k)
{
    return file.mid(SlotSize * k, SlotSize);
}

// The scores of a sound table, or false when one is not a number.
bool scoresOfTable(const Table &t, QList<int> &scores)
{
    scores.clear();
    for (const RecordsEntry &e : t.entries) {
        bool ok = false;
        const int s = e.Tokuten.text().trimmed().toInt(&ok, 10);
        if (!ok)
            return false;
        scores.append(s);
    }
    return true;
}

// The step's view of a table: may it be rewritten, and does the score get in?
struct Verdict {
    Table table;
    QList<int> scores;
    bool damaged = false; // the table, not the score
    bool usable = false;
    bool qualifies = false;
};

Verdict judge(const QByteArray &file, bool scoreOk, int score)
{
    Verdict v;
    v.table = parseTable(file, file.size());
    v.damaged = !(v.table.isSound() && scoresOfTable(v.table, v.scores));
    v.usable = scoreOk && !v.damaged;
    v.qualifies = v.usable && (v.scores.size() < MaxEntries ||
                               std::any_of(v.scores.begin(), v.scores.end(), [&](int x) { return score > x; }));
    return v;
}

// The viewer's reader on any file: never more than ten entries, and a
// table it calls sound matches the file's size.
void checkReader(const QString &path, const QByteArray &file)
{
    const Table t = readTable(path);
    CHECK(t.entries.size() <= MaxEntries);
    CHECK(t.entries.size() <= t.slotCount);
    for (const RecordsEntry &e : t.entries)
        CHECK(entryDamage(e).isEmpty());
    if (t.isSound()) {
        CHECK(file.isEmpty() || file.size() == SlotSize * (t.slotCount + 1));
        CHECK(t.entries.size() == std::min<qsizetype>(t.slotCount, MaxEntries));
    }
    CHECK(readAll(path) == file); // reading never writes
}

// What the step must leave after it stored `entry` at `place` of `before`.
void checkInserted(const QByteArray &before, const Table &old, const QList<int> &scores, int score, int place,
                   const QByteArray &after, const QByteArray &tokuten, const QByteArray &name)
{
    const qsizetype n = old.slotCount;
    const qsizetype grown = n < MaxEntries ? n + 1 : n;
    CHECK(after.size() == SlotSize * (grown + 1));
    CHECK(place >= 1 && place <= std::min<qsizetype>(n + 1, MaxEntries));

    // Slot 0 is never written; an empty file gets zero bytes there.
    CHECK(slotAt(after, 0) == (before.isEmpty() ? QByteArray(SlotSize, '\0') : slotAt(before, 0)));
    for (int k = 1; k < place; ++k) {
        CHECK(slotAt(after, k) == slotAt(before, k));
        CHECK(scores[k - 1] >= score);
    }
    if (place <= scores.size())
        CHECK(scores[place - 1] < score);
    for (qsizetype k = place + 1; k <= std::min<qsizetype>(grown, MaxEntries); ++k)
        CHECK(slotAt(after, k) == slotAt(before, k - 1));
    // Entries from 11 on are neither moved nor shown.
    CHECK(after.mid(SlotSize * (MaxEntries + 1)) == before.mid(SlotSize * (MaxEntries + 1)));

    const Table now = parseTable(after, after.size());
    CHECK(now.isSound());
    const RecordsEntry &e = now.entries.at(place - 1);
    CHECK(e.Tokuten.view() == tokuten.left(4));
    CHECK(e.Shimei.view() == name);
    CHECK(e.Shimei.length <= 20 && e.Hiduke.length <= 10);
    CHECK(platform::sjis::completePrefixLength(e.Shimei.view()) == e.Shimei.length);
}

void run(Reader &in, const QString &dir)
{
    const QString path = dir + QStringLiteral("/RecordsS.dat");
    const unsigned flags = in.byte();
    const bool missing = flags & 1;
    const bool rewrite = flags & 4;

    QString tokuten;
    if (flags & 8)
        tokuten = QString::fromUtf8(in.counted());
    else
        tokuten = QString::number(in.word() % 10000);

    FakeInput input;
    input.answer = QString::fromUtf8(in.counted());
    input.cancel = flags & 2;
    FakeQuestion question;
    question.yes = flags & 16;
    FakeClock clock;
    clock.format = QString::fromUtf8(in.counted());
    clock.date = QDate(2026, 12, 6).addDays(std::int16_t(in.word()));
    QByteArray other;
    if (rewrite)
        other = in.bytes(in.word());
    const QByteArray file = missing ? QByteArray() : in.rest();

    if (!missing)
        writeAll(path, file);
    else
        QFile::remove(path);

    platform::Services s;
    s.clock = &clock;
    s.inputBox = &input;
    s.messages = &question;
    const platform::ScopedServices scoped(s);

    if (!missing)
        checkReader(path, file);

    // The table the step works on: the file as found, or as the other copy
    // leaves it while the prompt is up.
    bool rewritten = false;
    if (rewrite) {
        input.whileAsking = [&] {
            writeAll(path, other);
            rewritten = true;
        };
    }

    Stored stored;
    bool raised = false;
    try {
        stored = storeResult(platform::services(), path, tokuten);
    } catch (const platform::InOutError &) {
        raised = true;
    } catch (const platform::ConvertError &) {
        raised = true;
    }
    const QByteArray after = QFile::exists(path) ? readAll(path) : QByteArray();

    bool scoreOk = false;
    const int score = tokuten.trimmed().toInt(&scoreOk, 10);

    // What the step must have done, scan by scan. A damaged table is offered
    // to be set aside; on yes the scan goes on with an empty one.
    int questions = 0;
    QList<QByteArray> setAside;
    auto scan = [&](const QByteArray &bytes, bool &refused, bool &aside) {
        Verdict v = judge(bytes, scoreOk, score);
        refused = aside = false;
        if (scoreOk && v.damaged) {
            ++questions;
            if (!question.yes) {
                refused = true;
                return v;
            }
            setAside << bytes;
            aside = true;
            v = judge(QByteArray(), scoreOk, score);
        }
        return v;
    };
    bool refusedFirst = false, refusedLast = false, asideFirst = false, asideLast = false;
    const Verdict first = scan(file, refusedFirst, asideFirst);
    // The prompt comes exactly when the table as first read lets the score in.
    CHECK(input.asked == (first.qualifies ? 1 : 0));
    CHECK(rewritten == (rewrite && first.qualifies));
    // A table set aside is gone from its place: the second scan finds what
    // the other copy wrote, or no file.
    const QByteArray seen = rewritten ? other : asideFirst ? QByteArray() : file;
    const Verdict last = first.qualifies ? scan(seen, refusedLast, asideLast) : first;
    CHECK(question.asked == questions);
    CHECK(raised == (!scoreOk || refusedFirst || refusedLast));
    CHECK(stored.crowdedOut == (first.qualifies && !refusedLast && !last.qualifies));
    CHECK(question.informed == 0); // the step itself shows nothing
    // The file as the step's last scan left it, before any write.
    const QByteArray base = !first.qualifies ? file : asideLast ? QByteArray() : seen;

    if (raised || stored.place == 0) {
        // Whatever went wrong, or when the score stays out: nothing written.
        CHECK(stored.place == 0);
        CHECK(after == base);
        CHECK(raised || !last.qualifies);
    } else {
        CHECK(last.qualifies);
        const QByteArray name = input.cancel ? QByteArray() : platform::sjis::truncated(
                                                                  platform::sjis::encode(input.answer), 20);
        checkInserted(base, last.table, last.scores, score, stored.place, after, platform::sjis::encode(tokuten), name);
        // A numeric format of at most 10 bytes is kept and never cut;
        // anything else falls back to year/month/day.
        const RecordsEntry e = parseTable(after, after.size()).entries.at(stored.place - 1);
        const int width = numericDateWidth(clock.format);
        const QString format = width >= 1 && width <= 10 ? clock.format : QStringLiteral("yyyy/MM/dd");
        CHECK(e.Hiduke.view() == QLocale::c().toString(clock.date, format).toLatin1());
    }

    // The viewer on what the step left; it creates a missing file empty.
    checkReader(path, after);

    // Neither a lock nor a half-written copy stays behind; a damaged table
    // set aside is kept whole beside the new one.
    QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    CHECK(left.removeAll(QStringLiteral("RecordsS.dat")) == 1);
    QList<QByteArray> kept;
    for (const QString &name : left) {
        CHECK(name.startsWith(QStringLiteral("RecordsS.dat.")));
        kept << readAll(dir + QLatin1Char('/') + name);
        QFile::remove(dir + QLatin1Char('/') + name);
    }
    std::sort(kept.begin(), kept.end());
    std::sort(setAside.begin(), setAside.end());
    CHECK(kept == setAside);
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_records";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const QString dir = scratchDir(QStringLiteral("fuzz_records-"));
    if (dir.isEmpty())
        fuzzFailed("no scratch folder");

    Reader in(data, size);
    run(in, dir);
    return 0;
}
