#include <QtTest>

#include <QListWidget>
#include <QSettings>

#include <sys/stat.h>

#include "../support/fakeservices.h"
#include "../support/smalldisk.h"

#include "play/layoutstore.h"
#include "position/tf_layout.h"

using namespace match;

// The standard layout's settings file, real files only: damaged, huge, not
// a file at all, and in places that cannot be written.
class tst_LayoutStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readsOnlyWhatItCanUse_data();
    void readsOnlyWhatItCanUse();
    void playersFileIsWhereItWasKept();
    void keepsTheOtherSettings();
    void editorStaysOpenWhenTheLayoutIsNotKept();
    void fullDiskLeavesTheOldFile();
    void editorListsTwoCardsARow();

private:
    // A layout other than the recommended one: poem 1 moved to the last zone.
    static StandardLayout ownLayout()
    {
        StandardLayout::Zones zones = defaultLayout().zones();
        for (QList<int> &zone : zones)
            zone.removeAll(1);
        zones[kZones - 1] << 1;
        return *StandardLayout::fromZones(zones);
    }
    static bool write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    std::unique_ptr<QTemporaryDir> dir_;
    fakes::FakeMessages messages_;
};

void tst_LayoutStore::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    messages_ = {};
}

void tst_LayoutStore::readsOnlyWhatItCanUse_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says"); // part of the problem; empty: none
    QTest::addColumn<bool>("own");     // the layout read is the one saved, not the recommended one
    const QByteArray saved = "[position]\nlayout=\"" + ownLayout().text().toUtf8() + "\"\n";
    QTest::newRow("none saved") << "none" << QByteArray() << "" << false;
    QTest::newRow("saved") << "file" << saved << "" << true;
    QTest::newRow("another program's settings") << "file" << QByteArray("[General]\nx=1\n") << "" << false;
    QTest::newRow("typed without its quotes") << "file" << QByteArray(saved).replace("\"", "") << "" << true;
    QTest::newRow("a line without its equals sign")
        << "file" << QByteArray("[position]\nlayout}\"1,2\"\n") << "書き方が壊れています" << false;
    QTest::newRow("a zone missing") << "file" << QByteArray("[position]\nlayout=1,2,3/4\n") << "百首の並び" << false;
    QTest::newRow("huge") << "file" << saved + QByteArray(kSettingsMaxBytes, '#') << "大きすぎます（256 KiB まで）"
                          << false;
    QTest::newRow("a FIFO") << "fifo" << QByteArray() << "普通のファイルではありません" << false;
}

void tst_LayoutStore::readsOnlyWhatItCanUse()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    QFETCH(bool, own);
    const QString path = dir_->filePath("kotoha.conf");
    if (kind == "file")
        QVERIFY(write(path, bytes));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);

    const SavedLayout read = readLayout(path);
    QVERIFY2(says.isEmpty() ? read.problem.isEmpty() : read.problem.contains(says), qPrintable(read.problem));
    QCOMPARE(read.layout.text(), (own ? ownLayout() : defaultLayout()).text());
    // Every deal reads the file; the player hears of it once.
    for (int deal = 0; deal < 3; ++deal)
        QCOMPARE(playerLayout(path, messages_).text(), read.layout.text());
    QCOMPARE(messages_.informed, says.isEmpty() ? QStringList{} : QStringList{read.problem});
}

// Layouts saved through Qt's own settings before are found.
void tst_LayoutStore::playersFileIsWhereItWasKept()
{
    QCOMPARE(playerSettingsPath(), QSettings("kotoha", "kotoha").fileName());
}

// A layout that cannot be used is replaced on saving, the file's other
// settings kept; a file too damaged to read gives way.
void tst_LayoutStore::keepsTheOtherSettings()
{
    const QString path = dir_->filePath("kotoha/kotoha.conf"); // its folder made on the way
    QVERIFY(QDir(dir_->path()).mkdir("kotoha"));
    QVERIFY(write(path, "[General]\nvolume=7\n[position]\nlayout=1,2/3\n"));
    QCOMPARE(writeLayout(path, ownLayout()), QString());
    const QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.value("volume").toInt(), 7);
    QCOMPARE(readLayout(path).layout.text(), ownLayout().text());
    QVERIFY(write(path, "[General]\nvolume=7\n[position]\nlayout}1,2/3\n"));
    QCOMPARE(writeLayout(path, ownLayout()), QString());
    QCOMPARE(readLayout(path).layout.text(), ownLayout().text());
}

// A settings file under a regular file: no folder can be made for it,
// whoever runs the test.
void tst_LayoutStore::editorStaysOpenWhenTheLayoutIsNotKept()
{
    QVERIFY(write(dir_->filePath("plain"), "x"));
    const QString path = dir_->filePath("plain/kotoha/kotoha.conf");
    TF_Layout editor(defaultLayout(), messages_);
    editor.onSave = [&](const StandardLayout &l) { return writeLayout(path, l); };
    editor.show();
    editor.BtnSaveClick();
    QVERIFY(editor.isVisible());
    QCOMPARE(editor.result(), 0);
    QCOMPARE(messages_.informed.size(), 1);
    QVERIFY2(messages_.informed[0].contains("保存できませんでした"), qPrintable(messages_.informed[0]));

    editor.onSave = [&](const StandardLayout &l) { return writeLayout(dir_->filePath("kotoha.conf"), l); };
    editor.BtnSaveClick();
    QVERIFY(!editor.isVisible());
    QCOMPARE(editor.result(), int(QDialog::Accepted));
}

void tst_LayoutStore::fullDiskLeavesTheOldFile()
{
    SmallDisk disk(64 * 1024);
    SKIP_WITHOUT_SMALL_DISK(disk);
    const QString path = disk.filePath("kotoha.conf");
    QCOMPARE(writeLayout(path, defaultLayout()), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    QVERIFY(disk.fill());
    const QString problem = writeLayout(path, ownLayout());
    QVERIFY2(problem.contains("ディスクに空きがありません"), qPrintable(problem));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(readLayout(path).layout.text(), defaultLayout().text());
}

// Each zone's list shows its cards two to a row, both wholly in sight.
void tst_LayoutStore::editorListsTwoCardsARow()
{
    TF_Layout editor(defaultLayout(), messages_);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    for (QListWidget *l : editor.LstZone) {
        QVERIFY(l->count() >= 4);
        const QRect inSight = l->viewport()->rect();
        for (int i = 0; i + 1 < l->count() && i < 6; i += 2) {
            const QRect left = l->visualItemRect(l->item(i)), right = l->visualItemRect(l->item(i + 1));
            QCOMPARE(right.top(), left.top());
            QVERIFY(right.left() >= left.right());
            QVERIFY2(inSight.contains(right), qPrintable(l->objectName()));
        }
    }
}

QTEST_MAIN(tst_LayoutStore)
#include "tst_layoutstore.moc"
