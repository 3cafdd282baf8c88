#include <QtTest>

#include "recordsfixture.h"
#include "records/kirokutoroku.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

using namespace records;
using fixture::hex;
using fixture::readFile;
using fixture::slot;
using fixture::table;

namespace {

// A slot written out in hex; a typo in the test is caught at once.
QByteArray lit(const char *text)
{
    const QByteArray bytes = hex(text);
    if (bytes.size() != 37)
        qFatal("test slot of %d bytes: %s", int(bytes.size()), text);
    return bytes;
}

const char *const ZeroSlot = "00000000000000000000 00000000000000000000 00000000000000000000 00000000000000";
const QByteArray Z = hex(ZeroSlot);

// The date every game below ends on: 2026/12/06.
#define DATE "0A 323032362F31322F3036"
#define ABC "03 414243 0000000000000000000000000000000000"

// Every step below stores into this file, in the scratch folder.
const QString RecordsS = QStringLiteral("RecordsS.dat");

const QList<int> Full{1000, 900, 800, 700, 600, 500, 400, 300, 200, 100};

} // namespace

// The end-of-game record step, on real files in a scratch folder.
class tst_KirokuToroku : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void byteForByte_data();
    void byteForByte();
    void promptTexts();
    void damagedFileIsLeftAsItWas_data();
    void damagedFileIsLeftAsItWas();
    void scoreThatIsNotANumber_data();
    void scoreThatIsNotANumber();
    void accessDenied_data();
    void accessDenied();
    void readOnlyFolderStoresInPlace_data();
    void readOnlyFolderStoresInPlace();
    void absurdSizeIsNotRead();
    void leftoversOfDeadCopiesCostNothing();
    void waitingForTheLockKeepsEventsFlowing();
    void anotherCopyStoredWhileAsking_data();
    void anotherCopyStoredWhileAsking();

    void killDuringTheWrite_data();
    void killDuringTheWrite();
    void diskFullLeavesTheOldTable();
    void twoCopiesAskingAtOnceKeepBoth();
    void manyCopiesAtOnceLoseNothing();
    void writerWaitsForTheLock();

private:
    QString helper() const { return QCoreApplication::applicationDirPath() + QStringLiteral("/records_helper"); }
    void startHelper(QProcess &p, const QStringList &args);

    std::unique_ptr<fixture::ScratchDir> dir_;
    fakes::FakeClock clock_;
    fakes::FakeInput input_;
    fakes::FakeErrors errors_;
    fakes::FakeMessages messages_;
    platform::Services services_; // handed to the step
};

void tst_KirokuToroku::init()
{
    dir_ = std::make_unique<fixture::ScratchDir>();
    QVERIFY(dir_->isValid());
    clock_ = fakes::FakeClock();
    input_.answer = QStringLiteral("ABC");
    input_.whileAsking = nullptr;
    input_.asked.clear();
    errors_.shown.clear();
    messages_ = fakes::FakeMessages();
    services_.messages = &messages_;
    services_.clock = &clock_;
    services_.inputBox = &input_;
    services_.errors = &errors_;
}

void tst_KirokuToroku::cleanup()
{
    dir_.reset();
}

void tst_KirokuToroku::byteForByte_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QVariant>("answer"); // null: Cancel
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QByteArray>("after");

    const QString ymd = QStringLiteral("yyyy/MM/dd");
    const QVariant abc = QStringLiteral("ABC");
    const QByteArray first = hex(ZeroSlot) + lit("01 30 000000" ABC DATE);
    QCOMPARE(first.size(), 74);

    QTest::newRow("first game, no file") << false << QByteArray() << "0" << abc << ymd << true << first;
    QTest::newRow("first game, empty file") << true << QByteArray() << "0" << abc << ymd << true << first;

    const QByteArray three = table({900, 800, 700});
    QTest::newRow("three entries, lower score to slot 4")
        << true << three << "600" << abc << ymd << true << three + lit("03 363030 00" ABC DATE);

    const QByteArray ties = table({900, 800, 800, 700});
    QTest::newRow("equal scores, placed after them")
        << true << ties << "800" << abc << ymd << true
        << ties.left(37 * 4) + lit("03 383030 00" ABC DATE) + ties.mid(37 * 4);

    QTest::newRow("new best, the others move down")
        << true << table({900, 800}) << "1440" << abc << ymd << true
        << Z + lit("04 31343430" ABC DATE) + table({900, 800}).mid(37);

    const QByteArray full = table(Full);
    QTest::newRow("full table, lowest equals the score: no prompt, unchanged")
        << true << full << "100" << abc << ymd << false << full;
    QTest::newRow("full table, lowest below the score: slot 10 replaced")
        << true << full << "150" << abc << ymd << true << full.left(37 * 10) + lit("03 313530 00" ABC DATE);
    QTest::newRow("full table, new best: entry 10 drops out")
        << true << full << "2000" << abc << ymd << true
        << Z + lit("04 32303030" ABC DATE) + full.mid(37, 37 * 9);

    QTest::newRow("Cancel stores an empty name")
        << true << table({900}) << "5" << QVariant() << ymd << true
        << table({900}) + lit("01 35 000000 00 0000000000000000000000000000000000000000" DATE);
    QTest::newRow("ten full-width characters fill the name")
        << true << table({900}) << "5" << QVariant(QStringLiteral("ＡＢＣＤＥＦＧＨＩＪ")) << ymd << true
        << table({900}) + lit("01 35 000000 14 8260 8261 8262 8263 8264 8265 8266 8267 8268 8269" DATE);
    QTest::newRow("a longer name keeps its first 20 bytes")
        << true << table({900}) << "5" << QVariant(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")) << ymd << true
        << table({900}) + lit("01 35 000000 14 4142434445464748494A 4B4C4D4E4F5051525354" DATE);
    QTest::newRow("a cut inside a character drops its first byte")
        << true << table({900}) << "5" << QVariant(QStringLiteral("Aあいうえおかきくけこ")) << ymd << true
        << table({900}) + lit("01 35 000000 13 41 82A0 82A2 82A4 82A6 82A8 82A9 82AB 82AD 82AF 00" DATE);
    QTest::newRow("characters outside code page 932 do not spill into the date")
        << true << table({900}) << "5" << QVariant(QString(22, QChar(0x2603)) + QStringLiteral("😀")) << ymd << true
        << table({900}) + lit("01 35 000000 14 3F3F3F3F3F3F3F3F3F3F 3F3F3F3F3F3F3F3F3F3F" DATE);

    const QByteArray odd = QByteArray(37, 'X') + slot("900", "A", "2026/01/01", char(0xCC))
                           + slot("700", "B", "2026/01/02", char(0xCC));
    QTest::newRow("slot 0 and the bytes past each length are kept")
        << true << odd << "800" << abc << ymd << true
        << odd.left(74) + lit("03 383030 00" ABC DATE) + odd.mid(74);

    const QByteArray twelve = table(Full + QList<int>{50, 40});
    QTest::newRow("twelve entries: only the first ten compete")
        << true << twelve << "60" << abc << ymd << false << twelve;
    QTest::newRow("twelve entries: slot 10 replaced, 11 and 12 kept")
        << true << twelve << "150" << abc << ymd << true
        << twelve.left(37 * 10) + lit("03 313530 00" ABC DATE) + twelve.mid(37 * 11);

    QTest::newRow("month-name date format stored year first")
        << true << QByteArray() << "72" << abc << "d MMM yyyy" << true << Z + lit("02 3732 0000" ABC DATE);
    QTest::newRow("numeric date format as the user has it")
        << true << QByteArray() << "72" << abc << "M/d/yy" << true
        << Z + lit("02 3732 0000" ABC "07 31322F362F3236 000000");
}

void tst_KirokuToroku::byteForByte()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, score);
    QFETCH(QVariant, answer);
    QFETCH(QString, format);
    QFETCH(bool, asked);
    QFETCH(QByteArray, after);

    if (exists)
        QVERIFY(fixture::writeFile("RecordsS.dat", before));
    input_.answer = answer.isNull() ? std::nullopt : std::optional<QString>(answer.toString());
    clock_.format = format;

    KirokuToroku(services_, score, RecordsS);

    QCOMPARE(errors_.shown, QStringList());
    QCOMPARE(input_.asked.size(), asked ? 1 : 0);
    QCOMPARE(readFile("RecordsS.dat").toHex(' '), after.toHex(' '));
    QCOMPARE(dir_->entries(), QStringList{"RecordsS.dat"}); // no lock or temporary file left
}

void tst_KirokuToroku::promptTexts()
{
    KirokuToroku(services_, QStringLiteral("10"), RecordsS);
    QCOMPARE(input_.asked, QStringList{QStringLiteral("氏名登録|氏名を全角10字(半角20字)以内で入力して下さい|")});
}

void tst_KirokuToroku::damagedFileIsLeftAsItWas_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("reason");

    auto poke = [](QByteArray file, int at, char value) {
        file[at] = value;
        return file;
    };
    const QByteArray two = table({900, 800});
    QTest::newRow("slot 0 alone") << Z << "1 番目の記録が途中で切れています";
    QTest::newRow("a byte after the last entry") << two + "x" << "3 番目の記録が途中で切れています";
    QTest::newRow("full table and trailing bytes") << table(Full) + "zz" << "11 番目の記録が途中で切れています";
    QTest::newRow("score length 5") << poke(two, 37 + 0, 5) << "1 番目の記録の得点の長さが 5 バイト";
    QTest::newRow("date length 255") << poke(two, 74 + 26, char(255)) << "2 番目の記録の日付の長さが 255 バイト";
    QTest::newRow("score not a number") << Z + slot("ab", "A", "1") << "1 番目の記録の得点「ab」が数字ではありません";
    QTest::newRow("empty score") << two + slot("", "A", "1") << "3 番目の記録の得点「」";
}

void tst_KirokuToroku::damagedFileIsLeftAsItWas()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, reason);
    QVERIFY(fixture::writeFile("RecordsS.dat", before));

    // The player is offered a new table and says no.
    KirokuToroku(services_, QStringLiteral("5000"), RecordsS);

    QCOMPARE(messages_.asked.size(), 1);
    for (const QString &m : {messages_.asked[0], errors_.shown.value(0)}) {
        QVERIFY2(m.contains(reason), qPrintable(m));
        QVERIFY2(m.contains(dir_->file("RecordsS.dat")), qPrintable(m));
    }
    QCOMPARE(errors_.shown.size(), 1);
    QVERIFY2(errors_.shown[0].startsWith(QStringLiteral("今回の得点(5000点)は記録されませんでした。")),
             qPrintable(errors_.shown[0]));
    QVERIFY(input_.asked.isEmpty());
    QCOMPARE(readFile("RecordsS.dat"), before);
    QCOMPARE(dir_->entries(), QStringList{"RecordsS.dat"});

    // Said yes, the damaged file is kept under a dated name and the result
    // starts a new table.
    messages_.answers = {true};
    KirokuToroku(services_, QStringLiteral("5000"), RecordsS);
    QCOMPARE(errors_.shown.size(), 1);
    QCOMPARE(input_.asked.size(), 1);
    QCOMPARE(readFile("RecordsS.dat").toHex(' '), (Z + lit("04 35303030" ABC DATE)).toHex(' '));
    const QStringList files = dir_->entries();
    QCOMPARE(files.size(), 2);
    QCOMPARE(files[0], QStringLiteral("RecordsS.dat"));
    QVERIFY2(QRegularExpression("^RecordsS\\.dat\\.\\d{8}-\\d{6}$").match(files[1]).hasMatch(), qPrintable(files[1]));
    QVERIFY2(messages_.asked[1].contains(files[1]), qPrintable(messages_.asked[1]));
    QCOMPARE(readFile(files[1]), before);
}

void tst_KirokuToroku::scoreThatIsNotANumber_data()
{
    QTest::addColumn<QString>("score");
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("two numbers") << "12 3";
}

void tst_KirokuToroku::scoreThatIsNotANumber()
{
    QFETCH(QString, score);
    KirokuToroku(services_, score, RecordsS);
    QCOMPARE(errors_.shown.size(), 1);
    QVERIFY2(errors_.shown[0].contains(QStringLiteral("「%1」は数として読めない").arg(score)),
             qPrintable(errors_.shown[0]));
    QVERIFY(input_.asked.isEmpty());
    QVERIFY(dir_->entries().isEmpty());
}

void tst_KirokuToroku::accessDenied_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QString>("why");
    QTest::newRow("unreadable file") << true << 0000 << 0777 << "に読み書きする許可がありません";
    QTest::newRow("read-only file") << true << 0444 << 0777 << "に書き込む許可がありません";
    QTest::newRow("read-only folder, no file") << false << 0 << 0555 << "RecordsS.dat」を作る許可がありません";
}

void tst_KirokuToroku::accessDenied()
{
    QFETCH(bool, exists);
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    QFETCH(QString, why);
    const QByteArray before = table({900});
    const QString path = dir_->file("RecordsS.dat");
    if (exists) {
        QVERIFY(fixture::writeFile(path, before));
        QVERIFY(fixture::setMode(path, mode_t(fileMode)));
    }
    QVERIFY(fixture::setMode(dir_->path(), mode_t(folderMode)));
    {
        fixture::Unprivileged nobody;
        KirokuToroku(services_, QStringLiteral("950"), RecordsS);
    }
    QVERIFY(fixture::setMode(dir_->path(), 0777));
    QCOMPARE(errors_.shown.size(), 1);
    QVERIFY2(errors_.shown[0].contains(why), qPrintable(errors_.shown[0]));
    QVERIFY2(errors_.shown[0].startsWith(QStringLiteral("今回の得点(950点)は記録されませんでした。")),
             qPrintable(errors_.shown[0]));
    QVERIFY(input_.asked.isEmpty()); // refused before the name is asked
    if (exists) {
        QVERIFY(fixture::setMode(path, 0644));
        QCOMPARE(readFile(path), before);
        QCOMPARE(dir_->entries(), QStringList{"RecordsS.dat"});
    } else {
        QVERIFY(dir_->entries().isEmpty());
    }
}

void tst_KirokuToroku::readOnlyFolderStoresInPlace_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QByteArray>("meanwhile"); // another copy's table during the prompt; empty: none
    QTest::addColumn<QByteArray>("after");

    const QByteArray three = table({900, 800, 700});
    QTest::newRow("empty file: slot 0 is the file system's zeros")
        << QByteArray() << "72" << QByteArray() << Z + lit("02 3732 0000" ABC DATE);
    QTest::newRow("new best: every entry moves down")
        << three << "950" << QByteArray() << Z + lit("03 393530 00" ABC DATE) + three.mid(37);
    QTest::newRow("full table: entry 10 overwritten")
        << table(Full) << "150" << QByteArray() << table(Full).left(37 * 10) + lit("03 313530 00" ABC DATE);
    const QByteArray other = table({900, 850, 800, 700});
    QTest::newRow("read again after the prompt")
        << three << "820" << other << other.left(37 * 3) + lit("03 383230 00" ABC DATE) + other.mid(37 * 3);
}

void tst_KirokuToroku::readOnlyFolderStoresInPlace()
{
    // A shared folder the player may not write, holding a records file the
    // player may: the result goes into the file itself, with the same bytes
    // as the replace would give.
    QFETCH(QByteArray, before);
    QFETCH(QString, score);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QByteArray, after);
    const QString path = dir_->file("RecordsS.dat");
    QVERIFY(fixture::writeFile(path, before));
    QVERIFY(fixture::setMode(path, 0666));
    if (!meanwhile.isEmpty())
        input_.whileAsking = [&] { fixture::writeFile(path, meanwhile); };
    QVERIFY(fixture::setMode(dir_->path(), 0555));
    Stored stored;
    {
        fixture::Unprivileged nobody;
        stored = storeResult(services_, QStringLiteral("RecordsS.dat"), score);
    }
    QVERIFY(fixture::setMode(dir_->path(), 0777));
    QVERIFY(stored.inPlace);
    QCOMPARE(readFile(path).toHex(' '), after.toHex(' '));
    QCOMPARE(dir_->entries(), QStringList{"RecordsS.dat"});
}

void tst_KirokuToroku::absurdSizeIsNotRead()
{
    // Ten good entries at the start of a sparse file of a gigabyte: refused
    // with its size named, and neither read whole nor filled in.
    const QByteArray ten = table(Full);
    QVERIFY(fixture::writeFile("RecordsS.dat", ten));
    QVERIFY(QFile::resize("RecordsS.dat", 1000000000));
    struct stat st {};
    QCOMPARE(::stat("RecordsS.dat", &st), 0);
    const blkcnt_t blocks = st.st_blocks;

    KirokuToroku(services_, QStringLiteral("5000"), RecordsS);

    QCOMPARE(messages_.asked.size(), 1); // offered a new table, declined
    QCOMPARE(errors_.shown.size(), 1);
    QVERIFY2(errors_.shown[0].contains(QStringLiteral("大きさが 1000000000 バイトもあり")), qPrintable(errors_.shown[0]));
    QVERIFY(input_.asked.isEmpty());
    QCOMPARE(::stat("RecordsS.dat", &st), 0);
    QCOMPARE(st.st_size, off_t(1000000000));
    QCOMPARE(st.st_blocks, blocks);
    QCOMPARE(readFile("RecordsS.dat").left(ten.size()), ten);
}

void tst_KirokuToroku::leftoversOfDeadCopiesCostNothing()
{
    // An empty lock file of an older copy killed while making it, and the
    // temporary table of one killed during its replace. The temporary file
    // goes; a set-aside table and other files stay.
    QVERIFY(fixture::writeFile("RecordsS.dat", table({900})));
    QVERIFY(fixture::writeFile("RecordsS.dat.lock", ""));
    QVERIFY(fixture::writeFile("RecordsS.dat.Ab12Zq", table({900, 5})));
    QVERIFY(fixture::writeFile("RecordsS.dat.20261207-133000", "kept"));
    QVERIFY(fixture::writeFile("RecordsM.dat.Ab12Zq", "other board's"));

    KirokuToroku(services_, QStringLiteral("850"), RecordsS);

    QCOMPARE(errors_.shown, QStringList());
    QCOMPARE(readFile("RecordsS.dat").toHex(' '), (table({900}) + lit("03 383530 00" ABC DATE)).toHex(' '));
    QCOMPARE(dir_->entries(), (QStringList{"RecordsM.dat.Ab12Zq", "RecordsS.dat", "RecordsS.dat.20261207-133000",
                                           "RecordsS.dat.lock"}));
}

void tst_KirokuToroku::waitingForTheLockKeepsEventsFlowing()
{
    // Another copy holds the file while this one comes to store: the window
    // must keep handling its events while it waits, and the result goes in
    // once the other copy lets go.
    QVERIFY(fixture::writeFile("RecordsS.dat", table({900})));
    const int other = ::open("RecordsS.dat", O_RDONLY);
    QVERIFY(other >= 0 && ::flock(other, LOCK_EX | LOCK_NB) == 0);
    int ticks = 0;
    QTimer otherCopy;
    connect(&otherCopy, &QTimer::timeout, this, [&] {
        if (++ticks == 5) {
            fixture::writeFile("RecordsS.dat", table({900, 800}));
            ::close(other);
        }
    });
    otherCopy.start(5);

    KirokuToroku(services_, QStringLiteral("850"), RecordsS);

    QVERIFY(ticks >= 5);
    QCOMPARE(errors_.shown, QStringList());
    QCOMPARE(readFile("RecordsS.dat").toHex(' '),
             (table({900}) + lit("03 383530 00" ABC DATE) + table({800}).mid(37)).toHex(' '));
}

void tst_KirokuToroku::anotherCopyStoredWhileAsking_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("meanwhile"); // what the other copy wrote during the prompt
    QTest::addColumn<QString>("score");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<bool>("toldCrowdedOut");

    const QByteArray other = table({900, 800, 500});
    QTest::newRow("its entry stays, ours goes below it")
        << table({900, 500}) << other << "700" << other.left(37 * 3) + lit("03 373030 00" ABC DATE) + other.mid(37 * 3)
        << false << false;
    const QByteArray nine = table(Full.first(9));
    const QByteArray filled = table(Full.first(9) + QList<int>{160});
    QTest::newRow("table filled with better results: nothing stored, and told")
        << nine << filled << "150" << filled << false << true;
    QTest::newRow("file removed meanwhile: a new table")
        << nine << QByteArray("<missing>") << "150" << Z + lit("03 313530 00" ABC DATE) << false << false;
    const QByteArray garbage = QByteArray(100, 'g');
    QTest::newRow("file damaged meanwhile: reported, left") << nine << garbage << "150" << garbage << true << false;
}

void tst_KirokuToroku::anotherCopyStoredWhileAsking()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QString, score);
    QFETCH(QByteArray, after);
    QFETCH(bool, reported);
    QFETCH(bool, toldCrowdedOut);
    QVERIFY(fixture::writeFile("RecordsS.dat", before));
    input_.whileAsking = [&] {
        if (meanwhile == "<missing>")
            QFile::remove("RecordsS.dat");
        else
            fixture::writeFile("RecordsS.dat", meanwhile);
    };

    KirokuToroku(services_, score, RecordsS);

    QCOMPARE(input_.asked.size(), 1);
    QCOMPARE(errors_.shown.size(), reported ? 1 : 0);
    QCOMPARE(messages_.informed, toldCrowdedOut ? QStringList{crowdedOutMessage(score)} : QStringList());
    QCOMPARE(readFile("RecordsS.dat").toHex(' '), after.toHex(' '));
}

void tst_KirokuToroku::startHelper(QProcess &p, const QStringList &args)
{
    p.setWorkingDirectory(dir_->path());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(helper(), args);
    QVERIFY2(p.waitForStarted(), qPrintable(p.errorString()));
}

void tst_KirokuToroku::killDuringTheWrite_data()
{
    // The new table is 407 bytes; the process is killed once a file it
    // writes passes the limit.
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("killed");
    // (Below about 160 bytes the lock file itself could be cut.)
    QTest::newRow("killed after 200 bytes") << 200 << true;
    QTest::newRow("killed after 300 bytes") << 300 << true;
    QTest::newRow("killed after 370 bytes") << 370 << true;
    QTest::newRow("killed one byte short") << 406 << true;
    QTest::newRow("room for all of it") << 407 << false;
}

void tst_KirokuToroku::killDuringTheWrite()
{
    QFETCH(int, limit);
    QFETCH(bool, killed);
    const QByteArray nine = table(Full.first(9));
    const QByteArray ten = nine + lit("02 3530 0000 06 68656C706572 0000000000000000000000000000" DATE);
    QVERIFY(fixture::writeFile("RecordsS.dat", nine));

    QProcess p;
    startHelper(p, {"RecordsS.dat", "50", "helper", "--fsize", QString::number(limit)});
    QVERIFY(p.waitForFinished(30000));
    const QByteArray out = p.readAllStandardOutput();
    if (killed) {
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);
        QCOMPARE(readFile("RecordsS.dat").toHex(' '), nine.toHex(' '));
        // The dead copy's lock went with its process: the next result is
        // stored at once, and what the dead copy left beside the file is
        // cleaned.
        input_.answer = QStringLiteral("helper");
        KirokuToroku(services_, QStringLiteral("50"), RecordsS);
        QCOMPARE(errors_.shown, QStringList());
        QCOMPARE(readFile("RecordsS.dat").toHex(' '), ten.toHex(' '));
        QCOMPARE(dir_->entries(), QStringList{"RecordsS.dat"});
    } else {
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(out, QByteArray("stored 10\n"));
        QCOMPARE(readFile("RecordsS.dat").toHex(' '), ten.toHex(' '));
    }
}

void tst_KirokuToroku::diskFullLeavesTheOldTable()
{
    const QByteArray nine = table(Full.first(9));
    QVERIFY(fixture::writeFile("RecordsS.dat", nine));
    QProcess p;
    startHelper(p, {"RecordsS.dat", "950", "helper", "--fsize", "300", "--ignore-xfsz"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 3);
    const QByteArray out = p.readAllStandardOutput();
    QVERIFY2(out.startsWith("error: " + QStringLiteral("ファイルの大きさの上限に達したため、記録ファイル「%1」に書き込めません")
                                              .arg(dir_->file("RecordsS.dat"))
                                              .toUtf8()),
             out.constData());
    QCOMPARE(readFile("RecordsS.dat"), nine);
    QCOMPARE(dir_->entries(), QStringList{"RecordsS.dat"});
}

void tst_KirokuToroku::twoCopiesAskingAtOnceKeepBoth()
{
    // Both copies find room and ask for a name at the same time; A answers
    // first. B must insert into A's table, not into the one it saw first.
    QVERIFY(fixture::writeFile("RecordsS.dat", table({900, 500})));
    QProcess a, b;
    startHelper(a, {"RecordsS.dat", "700", "-", "--ask"});
    startHelper(b, {"RecordsS.dat", "600", "-", "--ask"});
    for (QProcess *p : {&a, &b}) {
        while (!p->canReadLine())
            QVERIFY(p->waitForReadyRead(30000));
        QCOMPARE(p->readLine(), QByteArray("ask\n"));
    }
    a.write("A\n");
    QVERIFY(a.waitForFinished(30000));
    QCOMPARE(a.readAllStandardOutput(), QByteArray("asked\nstored 2\n"));
    b.write("B\n");
    QVERIFY(b.waitForFinished(30000));
    QCOMPARE(b.readAllStandardOutput(), QByteArray("asked\nstored 3\n"));

    const QByteArray expected = Z + slot("900", "P900", "2026/01/01") + lit("03 373030 00 01 41 00000000000000000000000000000000000000" DATE)
                                + lit("03 363030 00 01 42 00000000000000000000000000000000000000" DATE)
                                + slot("500", "P500", "2026/01/01");
    QCOMPARE(readFile("RecordsS.dat").toHex(' '), expected.toHex(' '));
}

void tst_KirokuToroku::manyCopiesAtOnceLoseNothing()
{
    std::vector<std::unique_ptr<QProcess>> copies;
    for (int i = 1; i <= 8; ++i) {
        copies.push_back(std::make_unique<QProcess>());
        startHelper(*copies.back(), {"RecordsS.dat", QString::number(i * 10), QStringLiteral("C%1").arg(i)});
    }
    for (auto &p : copies) {
        QVERIFY(p->waitForFinished(60000));
        QVERIFY2(p->exitCode() == 0, p->readAllStandardOutput().constData());
    }
    const Table t = parseTable(readFile("RecordsS.dat"), readFile("RecordsS.dat").size());
    QVERIFY2(t.isSound(), qPrintable(t.damage));
    QStringList got;
    for (const RecordsEntry &e : t.entries)
        got << e.Tokuten.text() + QLatin1Char(' ') + e.Shimei.text();
    QCOMPARE(got, (QStringList{"80 C8", "70 C7", "60 C6", "50 C5", "40 C4", "30 C3", "20 C2", "10 C1"}));
}

void tst_KirokuToroku::writerWaitsForTheLock()
{
    // While this test holds the lock it plays another copy in the middle of
    // its update; the helper must wait and then build on that table.
    QVERIFY(fixture::writeFile("RecordsS.dat", table({900})));
    QProcess p;
    startHelper(p, {"RecordsS.dat", "850", "-", "--ask"});
    while (!p.canReadLine())
        QVERIFY(p.waitForReadyRead(30000));
    QCOMPARE(p.readLine(), QByteArray("ask\n"));

    const int held = ::open("RecordsS.dat", O_RDONLY);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
    p.write("H\n");
    while (!p.canReadLine())
        QVERIFY(p.waitForReadyRead(30000));
    QCOMPARE(p.readLine(), QByteArray("asked\n"));
    // A copy that ignored the lock would be done by now, and the table
    // written next would wipe its entry out.
    QVERIFY2(!p.waitForFinished(1500), p.readAllStandardOutput().constData());
    QVERIFY(fixture::writeFile("RecordsS.dat", table({900, 800})));
    ::close(held);

    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.readAllStandardOutput(), QByteArray("stored 2\n"));
    QCOMPARE(readFile("RecordsS.dat").toHex(' '),
             (table({900}) + lit("03 383530 00 01 48 00000000000000000000000000000000000000" DATE)
              + table({800}).mid(37))
                 .toHex(' '));
}

QTEST_GUILESS_MAIN(tst_KirokuToroku)
#include "tst_kirokutoroku.moc"
