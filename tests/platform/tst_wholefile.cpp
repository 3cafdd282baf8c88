#include <QtTest>

#include <sys/stat.h>

#include "platform/wholefile.h"

// Files of every kind through the bounded reader. A FIFO with no writer
// would block any reader that opened it: the test would hang, not fail.
class tst_WholeFile : public QObject {
    Q_OBJECT
private slots:
    void onlyPlainFilesWithinTheBound_data();
    void onlyPlainFilesWithinTheBound();
};

void tst_WholeFile::onlyPlainFilesWithinTheBound_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("bytes"); // the file's size, for plain files
    QTest::addColumn<QString>("says"); // part of the problem; empty: read whole
    QTest::newRow("empty") << "file" << qint64(0) << "";
    QTest::newRow("at the bound") << "file" << qint64(2048) << "";
    QTest::newRow("one byte over") << "file" << qint64(2049) << "大きすぎます（2 KiB まで）";
    QTest::newRow("missing") << "none" << qint64(0) << "ありません";
    QTest::newRow("a folder") << "folder" << qint64(0) << "普通のファイルではありません";
    QTest::newRow("a FIFO") << "fifo" << qint64(0) << "普通のファイルではありません";
    QTest::newRow("a device") << "device" << qint64(0) << "普通のファイルではありません";
}

void tst_WholeFile::onlyPlainFilesWithinTheBound()
{
    QFETCH(QString, kind);
    QFETCH(qint64, bytes);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QString path = dir.filePath("f");
    const QByteArray content(bytes, 'k');
    if (kind == "file") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == bytes);
    } else if (kind == "folder") {
        QVERIFY(QDir(dir.path()).mkdir("f"));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == "device") {
        path = "/dev/zero"; // endless
    }
    const platform::WholeFile read = platform::readWholeFile(path, 2048);
    if (says.isEmpty()) {
        QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem));
        QCOMPARE(read.bytes, content);
    } else {
        QVERIFY2(read.problem.contains(says), qPrintable(read.problem));
        QVERIFY(read.bytes.isEmpty());
    }
}

QTEST_GUILESS_MAIN(tst_WholeFile)
#include "tst_wholefile.moc"
