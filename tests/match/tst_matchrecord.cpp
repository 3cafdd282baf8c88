#include <QtTest>

#include "match/matchrecorder.h"
#include "match/replay.h"

using namespace match;

namespace {

// Two cards a side; poem 5 has no card and is read second.
const QByteArray kHead = "kotoha-match 1\n"
                         "deal P 2.0=1 2.1=2\n"
                         "deal O 2.0=3 2.1=4\n"
                         "order 3 5 1 2 4\n";
constexpr int kHeadLines = 4;

Field smallDeal()
{
    Field f;
    f.put({Side::Player, slotAt(2, 0)}, 1);
    f.put({Side::Player, slotAt(2, 1)}, 2);
    f.put({Side::Opponent, slotAt(2, 0)}, 3);
    f.put({Side::Opponent, slotAt(2, 1)}, 4);
    return f;
}

const QList<int> kOrder{3, 5, 1, 2, 4};

} // namespace

class tst_MatchRecord : public QObject {
    Q_OBJECT
private slots:
    void recordedMatchReadsBackAndReplaysClean();
    void readerNamesTheLineAndWhy_data();
    void readerNamesTheLineAndWhy();
    void replayNamesTheStepTheRulesRefuse_data();
    void replayNamesTheStepTheRulesRefuse();
    void savedFileHoldsTheRecordUnderItsOwnName();
};

// The recorder fed as the window feeds it, over a match with a move, a
// take across and its send, a fault on a dead card, a wrong card that is
// no fault, and a reading nobody takes.
void tst_MatchRecord::recordedMatchReadsBackAndReplaysClean()
{
    Field deal = smallDeal();
    deal.put({Side::Player, slotAt(2, 2)}, 6);
    Match m(deal, kOrder);
    MatchRecorder rec;
    rec.begin(m.field(), kOrder, QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
    auto touch = [&](Side who, Place p, qint64 ms) { rec.touched(m, who, p, ms, m.touch(who, p, ms)); };
    auto send = [&](Side from, int slot) {
        const int poem = m.field().at(from, slot);
        QVERIFY(m.send(from, slot));
        rec.sent(m, from, {from, slot}, poem);
    };
    QVERIFY(m.rearrange(slotAt(2, 1), slotAt(0, 4)));
    rec.moved(slotAt(2, 1), slotAt(0, 4));
    QVERIFY(m.startReading());
    rec.readingStarted(m, 4);
    touch(Side::Opponent, {Side::Opponent, slotAt(2, 1)}, 700); // the read card is on this side: no fault
    touch(Side::Player, {Side::Opponent, slotAt(2, 0)}, 900);
    send(Side::Player, slotAt(2, 0));
    rec.judged(m);
    QVERIFY(m.startReading()); // 5, a dead card
    rec.readingStarted(m, 4);
    touch(Side::Opponent, {Side::Opponent, slotAt(0, 0)}, 400);
    m.endReading();
    rec.ended();
    send(Side::Player, slotAt(0, 4));
    rec.judged(m);
    QVERIFY(m.startReading()); // 1, now the opponent's
    rec.readingStarted(m, 4);
    m.endReading();
    rec.ended();
    rec.judged(m);
    rec.finished(m);

    const QByteArray text = recordText(rec.record());
    QVERIFY2(text.contains("\nlevel 4\n") && text.contains("\nmove P2.1 P0.4\n")
                 && text.contains("\ntouch P O2.0=3 900 take\nsend P P2.0=1 O0.0\n"),
             text.constData());
    const RecordRead read = readRecord(text);
    QVERIFY2(read.record, qPrintable(read.reason));
    QCOMPARE(recordText(*read.record), text);
    // Written where lines end otherwise, it reads the same.
    for (const char *end : {"\r\n", "\r"}) {
        const RecordRead other = readRecord(QByteArray(text).replace("\n", end));
        QVERIFY2(other.record, qPrintable(other.reason));
        QCOMPARE(recordText(*other.record), text);
    }

    const Replay replay = replayRecord(*read.record);
    QVERIFY2(replay.errorLine == 0, qPrintable(replay.error));
    QCOMPARE(replay.readings.size(), 3);
    QCOMPARE(replay.readings[0].summary.taker, std::optional<Side>(Side::Player));
    QVERIFY(replay.readings[1].summary.dead);
    QCOMPARE(replay.readings[1].summary.faulted, (std::array<bool, 2>{false, true}));
    QCOMPARE(replay.result, m.result());
    QCOMPARE(replay.left, (std::array<int, 2>{m.field().count(Side::Player), m.field().count(Side::Opponent)}));
    QCOMPARE(replay.arranged.at(Side::Player, slotAt(0, 4)), 2);
}

void tst_MatchRecord::readerNamesTheLineAndWhy_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason"); // a part of it

    QTest::newRow("empty file") << QByteArray() << 1 << "空です";
    QTest::newRow("not a record") << QByteArray("# notes\nRecordsS.dat\n") << 2 << "試合の記録ではありません";
    QTest::newRow("a later version") << QByteArray("kotoha-match 2\n") << 1 << "この版の記録は読めません";
    QTest::newRow("a row off the floor")
        << kHead + "reading 1 3\ntouch P P3.0=1 10 take\n" << kHeadLines + 2 << "「touch」の行は";
    QTest::newRow("a column off the floor") << QByteArray("kotoha-match 1\ndeal P 2.18=1\n") << 2 << "「2.18=1」";
    QTest::newRow("a slot dealt twice") << QByteArray("kotoha-match 1\ndeal P 2.0=1 2.0=2\n") << 2 << "二度";
    QTest::newRow("a poem on both sides")
        << QByteArray("kotoha-match 1\ndeal P 2.0=1\ndeal O 2.0=1\n") << 3 << "歌1 は両方の側";
    QTest::newRow("a poem read twice")
        << QByteArray("kotoha-match 1\ndeal P\ndeal O\norder 7 8 7\n") << 4 << "「7」";
    QTest::newRow("a step before the deal") << QByteArray("kotoha-match 1\nreading 1 3\n") << 2 << "試合の前に";
    QTest::newRow("the level after the readings began") << kHead + "reading 1 3\nlevel 3\n" << kHeadLines + 2
                                                        << "「level」は試合の前に";
    QTest::newRow("bytes that are not UTF-8") << kHead + "# \xff\xfe\n" << kHeadLines + 1 << "UTF-8";
    QTest::newRow("an unknown verdict") << kHead + "reading 1 3\ntouch P O2.0=3 10 won\n" << kHeadLines + 2
                                        << "判定「won」";
    QTest::newRow("a time with its unit") << kHead + "reading 1 3\ntouch P O2.0=3 5ms take\n" << kHeadLines + 2
                                     << "「touch」の行は";
    QTest::newRow("faults by nobody known")
        << kHead + "judged taker=- faults=X sent=0/0 left=2/2\n" << kHeadLines + 1 << "「judged」の行は";
    QTest::newRow("an unknown word") << kHead + "undo\n" << kHeadLines + 1 << "「undo」という行は知りません";
    QTest::newRow("no reading order") << QByteArray("kotoha-match 1\ndeal P\ndeal O\n") << 4 << "そろっていません";
    QTest::newRow("an old Mac's line ends") << QByteArray(kHead).replace('\n', '\r') + "undo\r" << kHeadLines + 1
                                            << "「undo」という行は";
    QTest::newRow("line ends mixed, CRLF one of them")
        << QByteArray("kotoha-match 1\r\ndeal P\rdeal O\n\r\n") << 5 << "そろっていません";
}

void tst_MatchRecord::readerNamesTheLineAndWhy()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const RecordRead read = readRecord(text);
    QVERIFY(!read.record);
    QCOMPARE(read.line, line);
    QVERIFY2(read.reason.contains(reason), qPrintable(read.reason));
}

void tst_MatchRecord::replayNamesTheStepTheRulesRefuse_data()
{
    QTest::addColumn<QByteArray>("steps"); // after kHead
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a poem out of the order") << QByteArray("reading 1 5\n") << 5 << "この読みは歌3です";
    QTest::newRow("a card not where written") << QByteArray("reading 1 3\ntouch P O2.1=3 100 take\n") << 6
                                              << "O2.1 に歌3 があると書いていますが、ルールではそこにあるのは歌4";
    QTest::newRow("a card named at an empty place") << QByteArray("reading 1 3\ntouch P O0.0=3 100 ignored\n") << 6
                                                    << "そこに札はありません（札のない場所は「O0.0」と";
    QTest::newRow("a card's place written as empty") << QByteArray("reading 1 3\ntouch P O2.0 100 take\n") << 6
                                                     << "「O2.0=3」と書きます";
    QTest::newRow("touches out of time order")
        << QByteArray("reading 1 3\ntouch P O2.0=3 700 take\ntouch O O2.0=3 690 take\n") << 7
        << "この手（690 ms）は 6行目の手（700 ms）より早い時刻です";
    QTest::newRow("the loser of a tie written as taking")
        << QByteArray("reading 1 3\ntouch O O2.0=3 100 take\ntouch P O2.0=3 100 take\n") << 7
        << "ルールでは無効です（同じ時刻の二つの手は続けて書き、札は札のあった側が取ります。負けた側の手は ignored";
    QTest::newRow("a move during a reading") << QByteArray("reading 1 3\nmove P2.0 P0.0\n") << 6
                                             << "第1首の読みの間は札を動かせません";
    QTest::newRow("a move while a card is owed")
        << QByteArray("reading 1 3\ntouch P O2.0=3 100 take\nmove P2.0 P0.0\n") << 7
        << "あなたが送る札がまだ残っているので、札を動かせません";
    QTest::newRow("a sent card landing elsewhere")
        << QByteArray("reading 1 3\ntouch P O2.0=3 100 take\nsend P P2.0=1 O0.17\n") << 7
        << "記録では O0.17、ルールでは O0.0 に置かれます（送られた札は受け取る側の最前列の空いた場所に、列 0, 17, 1, 16";
    QTest::newRow("a card sent from the other side")
        << QByteArray("reading 1 3\ntouch P O2.0=3 100 take\nsend P O2.1=4 O0.0\n") << 7
        << "O2.1 はあなたの陣ではありません";

    QTest::newRow("the opponent's card moved") << QByteArray("move O2.0 O0.0\n") << 5 << "自陣（P）の札だけ";
    QTest::newRow("a field that differs") << QByteArray("field O 2.0=3\n") << 5 << "O2.1 の札は記録ではなし、ルールでは歌4";
    QTest::newRow("judged before the owed send")
        << QByteArray("reading 1 3\ntouch P O2.0=3 100 take\njudged taker=P faults=- sent=0/0 left=2/1\n") << 7
        << "あなたが送る札がまだ残っています";
    QTest::newRow("the next reading before the owed send")
        << QByteArray("reading 1 3\ntouch P O2.0=3 100 take\nreading 2 5\n") << 7 << "あなたが送る札がまだ残っています";
    QTest::newRow("a result written too soon") << QByteArray("result player\n") << 5 << "ルールでは「試合中」";
    QTest::newRow("an end with no reading open") << QByteArray("end\n") << 5 << "読みが開いていません";
}

void tst_MatchRecord::replayNamesTheStepTheRulesRefuse()
{
    QFETCH(QByteArray, steps);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const RecordRead read = readRecord(kHead + steps);
    QVERIFY2(read.record, qPrintable(read.reason));
    const Replay replay = replayRecord(*read.record);
    QCOMPARE(replay.errorLine, line);
    QVERIFY2(replay.error.contains(reason), qPrintable(replay.error));
}

void tst_MatchRecord::savedFileHoldsTheRecordUnderItsOwnName()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDateTime at(QDate(2026, 12, 8), QTime(9, 30, 5));
    Match m(smallDeal(), kOrder);
    QStringList paths;
    for (int i = 0; i < 2; ++i) { // two matches begun in the same second
        MatchRecorder rec;
        rec.folder = dir.filePath(QStringLiteral("matches"));
        rec.begin(m.field(), kOrder, at);
        QVERIFY(rec.save());
        QVERIFY(rec.path().isEmpty()); // nothing is kept before the first reading
        Match copy = m;
        QVERIFY(copy.startReading());
        rec.readingStarted(copy, 2);
        copy.endReading();
        rec.ended();
        rec.judged(copy);
        QFile file(rec.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), recordText(rec.record()));
        paths << QFileInfo(rec.path()).fileName();
    }
    QCOMPARE(paths, (QStringList{"20261208-093005.txt", "20261208-093005-2.txt"}));

    // A folder that cannot be made says so.
    MatchRecorder rec;
    rec.folder = dir.filePath(QStringLiteral("matches/20261208-093005.txt/sub"));
    rec.begin(m.field(), kOrder, at);
    Match copy = m;
    QVERIFY(copy.startReading());
    rec.readingStarted(copy, 2);
    QVERIFY(!rec.save());
    QCOMPARE(rec.error, QStringLiteral("保存先のフォルダがありません"));
    QVERIFY(rec.unsaved());
    QCOMPARE(rec.target(), rec.folder);
    // The end still failing, leaving tries again.
    copy.endReading();
    rec.ended();
    rec.finished(copy);
    QVERIFY(rec.unsaved());
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("matches/20261208-093005.txt"))));
    rec.finished(copy);
    QVERIFY(!rec.unsaved());
    QFile file(rec.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), recordText(rec.record()));
}

QTEST_GUILESS_MAIN(tst_MatchRecord)
#include "tst_matchrecord.moc"
