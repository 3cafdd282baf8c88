#include <QtTest>

#include "../support/smalldisk.h"
#include "recordsfixture.h"
#include "records/recordsfile.h"

using namespace records;

// Records files on disk: what is opened, created and refused, and how a new
// table replaces the old.
class tst_RecordsFile : public QObject {
    Q_OBJECT
private slots:
    void readTableCreatesAMissingFileEmpty();
    void readTableCannotCreateInAClosedFolder();
    void onlyRegularFilesAreOpened_data();
    void onlyRegularFilesAreOpened();
    void fullDiskStoresInPlace_data();
    void fullDiskStoresInPlace();
};

void tst_RecordsFile::readTableCreatesAMissingFileEmpty()
{
    fixture::ScratchDir dir;
    const Table t = readTable(QStringLiteral("RecordsM.dat"));
    QVERIFY(t.entries.isEmpty());
    QVERIFY(t.isSound());
    QCOMPARE(fixture::readFile(dir.file("RecordsM.dat")), QByteArray(""));
}

void tst_RecordsFile::readTableCannotCreateInAClosedFolder()
{
    fixture::ScratchDir dir;
    QVERIFY(fixture::setMode(dir.path(), 0555));
    {
        fixture::Unprivileged nobody;
        try {
            readTable(QStringLiteral("RecordsL.dat"));
            QFAIL("created in a closed folder");
        } catch (const RecordsError &e) {
            QVERIFY2(e.reason.contains("作る許可がありません"), e.what());
        }
    }
    QVERIFY(fixture::setMode(dir.path(), 0777));
    QVERIFY(dir.entries().isEmpty());
}

void tst_RecordsFile::onlyRegularFilesAreOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("shown"); // part of the reason; empty: opened
    QTest::newRow("FIFO") << "fifo" << "名前付きパイプ";
    QTest::newRow("folder") << "dir" << "フォルダー";
    QTest::newRow("link to a FIFO") << "link-fifo" << "名前付きパイプ";
    QTest::newRow("link to a file") << "link-file" << QString();
}

void tst_RecordsFile::onlyRegularFilesAreOpened()
{
    // A FIFO would block the reader and the record step for good: both must
    // refuse it without opening it.
    QFETCH(QString, kind);
    QFETCH(QString, shown);
    fixture::ScratchDir dir;
    const QByteArray target = QFile::encodeName(dir.file("target"));
    const QByteArray records = QFile::encodeName(dir.file("RecordsS.dat"));
    if (kind == "fifo")
        QCOMPARE(::mkfifo(records.constData(), 0666), 0);
    else if (kind == "dir")
        QCOMPARE(::mkdir(records.constData(), 0777), 0);
    else if (kind == "link-fifo")
        QVERIFY(::mkfifo(target.constData(), 0666) == 0 && ::symlink(target.constData(), records.constData()) == 0);
    else
        QVERIFY(fixture::writeFile("target", fixture::table({7})) && ::symlink(target.constData(), records.constData()) == 0);

    for (int side = 0; side < 2; ++side) {
        try {
            if (side == 0)
                QCOMPARE(readTable(QStringLiteral("RecordsS.dat")).entries.size(), 1);
            else
                UpdateFile(QStringLiteral("RecordsS.dat"), *platform::services().messages).lock();
            QVERIFY2(shown.isEmpty(), "opened");
        } catch (const RecordsError &e) {
            QVERIFY2(!shown.isEmpty() && e.kind == RecordsError::Kind::NotAFile && e.reason.contains(shown), e.what());
            QVERIFY(e.reason.contains(dir.file("RecordsS.dat")));
        }
    }
}

void tst_RecordsFile::fullDiskStoresInPlace_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("firstSlot");
    QTest::addColumn<bool>("full");
    const QList<int> ten{900, 800, 700, 600, 500, 400, 300, 200, 100, 50};
    const QByteArray nine = fixture::table(ten.first(9));
    QTest::newRow("room: replaced") << nine << fixture::table(ten) << 10 << false;
    // No room for a copy: the changed slots go into the file's own blocks.
    QTest::newRow("full: a tenth entry") << nine << fixture::table(ten) << 10 << true;
    QTest::newRow("full: a new best moves every entry")
        << fixture::table(ten) << fixture::table(QList<int>{950} + ten.first(9)) << 1 << true;
}

void tst_RecordsFile::fullDiskStoresInPlace()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, firstSlot);
    QFETCH(bool, full);
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    const QString path = disk.filePath(QStringLiteral("RecordsS.dat"));
    QVERIFY(fixture::writeFile(path, before));
    if (full)
        QVERIFY(disk.fill());
    {
        UpdateFile file(path, *platform::services().messages);
        file.lock();
        QCOMPARE(file.readAll(), before);
        file.write(before, after, firstSlot);
        QCOMPARE(file.wroteInPlace(), full);
    }
    QCOMPARE(fixture::readFile(path).toHex(' '), after.toHex(' '));
    QStringList left = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    left.removeAll(QStringLiteral(".filler"));
    QCOMPARE(left, QStringList{"RecordsS.dat"});
}

QTEST_GUILESS_MAIN(tst_RecordsFile)
#include "tst_recordsfile.moc"
