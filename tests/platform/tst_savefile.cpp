#include <QtTest>

#include "../support/smalldisk.h"
#include "platform/savefile.h"

#include <cerrno>

using namespace platform;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Bytes that differ from place to place, so that a file cut short or shifted
// never compares equal.
QByteArray pattern(qsizetype size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(seed + i * 7 + i / 251);
    return bytes;
}

// Written as the exports write: many short pieces through the device.
bool streamed(const QString &path, const QByteArray &bytes, int *error)
{
    SafeFile file(path);
    bool ok = file.open();
    for (qsizetype at = 0; ok && at < bytes.size(); at += 1000)
        ok = file.write(bytes.mid(at, 1000)) >= 0;
    ok = ok && file.commit();
    *error = file.errorNumber();
    return ok;
}

} // namespace

class tst_SaveFile : public QObject {
    Q_OBJECT
private slots:
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void failureIsNamed_data();
    void failureIsNamed();
};

void tst_SaveFile::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<bool>("whole"); // through saveWhole, else piece by piece
    // Shorter than one chunk: nothing reaches the disk before commit().
    QTest::newRow("short, whole") << qsizetype(300) << true;
    QTest::newRow("short, in pieces") << qsizetype(300) << false;
    // Fails among the writes, long before commit().
    QTest::newRow("many chunks, in pieces") << qsizetype(600 * 1024) << false;
}

void tst_SaveFile::fullDiskKeepsTheOldFile()
{
    QFETCH(qsizetype, size);
    QFETCH(bool, whole);
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    const QString path = disk.filePath(QStringLiteral("kept.txt"));
    const QByteArray good = pattern(5000, 'a');
    QVERIFY(writeFile(path, good));
    QVERIFY(disk.fill());

    const QByteArray next = pattern(size, 'k');
    int error = 0;
    if (whole)
        error = saveWhole(path, next);
    else
        QVERIFY(!streamed(path, next, &error));
    QCOMPARE(error, ENOSPC);
    QCOMPARE(readFile(path), good);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "kept.txt"}));

    // With room again the same save replaces the file.
    disk.release();
    if (whole)
        QCOMPARE(saveWhole(path, next), 0);
    else
        QVERIFY(streamed(path, next, &error));
    QCOMPARE(readFile(path), next);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.txt"});
}

void tst_SaveFile::failureIsNamed_data()
{
    QTest::addColumn<QString>("target"); // in a scratch folder holding "file" and "folder"
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("under a regular file") << "file/x.txt" << int(ENOTDIR) << "保存先のフォルダがありません";
    QTest::newRow("a missing folder") << "none/x.txt" << int(ENOENT) << "保存先のフォルダがありません";
    QTest::newRow("a folder's name") << "folder" << int(EISDIR) << "同じ名前のフォルダがあります";
}

void tst_SaveFile::failureIsNamed()
{
    QFETCH(QString, target);
    QFETCH(int, error);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("file")), "kept"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const int got = saveWhole(dir.filePath(target), "new");
    QCOMPARE(got, error);
    QCOMPARE(saveFailureReason(got), reason);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("file"))), QByteArray("kept"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{"file", "folder"}));
}

QTEST_GUILESS_MAIN(tst_SaveFile)
#include "tst_savefile.moc"
