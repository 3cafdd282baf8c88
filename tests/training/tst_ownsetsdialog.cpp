#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <sys/stat.h>

#include "../support/fakeservices.h"
#include "../support/smalldisk.h"

#include "deck/poemtable.h"
#include "history/database.h"
#include "history/playerstore.h"
#include "training/ownsetsdialog.h"

class tst_OwnSetsDialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void makeEditAndDeleteASet();
    void numbersTypedTickTheGrid_data();
    void numbersTypedTickTheGrid();
    void hostileFilesAndNames();
    void importAndExportAsALine();
    void exportOnAFullDiskKeepsTheFile();
    void reviewOptionsAreKeptAtOnce();

private:
    QList<int> ticked() const { return dialog_->tickedPoems(); }
    std::unique_ptr<QTemporaryDir> dir_;
    fakes::FakeMessages messages_;
    std::unique_ptr<OwnSetsDialog> dialog_;
};

void tst_OwnSetsDialog::init()
{
    deck::PoemTable.fill();
    dir_ = std::make_unique<QTemporaryDir>();
    history::setDatabasePath(dir_->filePath("history.sqlite"));
    history::reviewOptions() = {};
    messages_ = {};
    dialog_ = std::make_unique<OwnSetsDialog>(deck::PoemTable, messages_);
}

void tst_OwnSetsDialog::cleanup()
{
    dialog_.reset();
    history::setDatabasePath("history.sqlite");
}

void tst_OwnSetsDialog::makeEditAndDeleteASet()
{
    // A set needs a name and a poem; a refused save writes nothing.
    dialog_->CbPoems[2]->click();
    dialog_->BtnSaveClick();
    QVERIFY(dialog_->LblProblem->text().contains(QStringLiteral("名前")));
    dialog_->EdName->setText(QStringLiteral(" 自陣 "));
    dialog_->CbPoems[2]->click();
    dialog_->BtnSaveClick();
    QVERIFY(dialog_->LblProblem->text().contains(QStringLiteral("一枚も")));
    QVERIFY(history::loadOwnSets(history::databasePath()).isEmpty());

    for (int p : {3, 15, 22})
        dialog_->CbPoems[p - 1]->click();
    QCOMPARE(dialog_->EdNumbers->text(), QStringLiteral("3 15 22"));
    dialog_->BtnSaveClick();
    QCOMPARE(dialog_->LblProblem->text(), QString());
    QCOMPARE(dialog_->LstSets->count(), 1);
    QCOMPARE(dialog_->LstSets->item(0)->text(), QStringLiteral("自陣 (3首)"));
    QCOMPARE(dialog_->LstSets->currentRow(), 0);

    // Saving again replaces it; a second set may not take its name.
    dialog_->CbPoems[14]->click();
    dialog_->BtnSaveClick();
    dialog_->BtnNewClick();
    QVERIFY(ticked().isEmpty());
    dialog_->EdName->setText(QStringLiteral("自陣"));
    dialog_->CbPoems[0]->click();
    dialog_->BtnSaveClick();
    QVERIFY(dialog_->LblProblem->text().contains(QStringLiteral("もうあります")));
    const QList<history::OwnSet> stored = history::loadOwnSets(history::databasePath());
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0].poems, (QList<int>{3, 22}));

    // Edits not saved are lost only when the player lets them go.
    messages_.answers = {false, true};
    dialog_->LstSets->setCurrentRow(0);
    QCOMPARE(ticked(), (QList<int>{1}));
    QCOMPARE(dialog_->LstSets->currentRow(), -1);
    dialog_->LstSets->setCurrentRow(0);
    QCOMPARE(ticked(), (QList<int>{3, 22}));
    dialog_->show();
    dialog_->CbPoems[4]->click();
    messages_.answers = {false};
    dialog_->reject();
    QVERIFY(dialog_->isVisible());
    dialog_->CbPoems[4]->click();

    messages_.asked.clear();
    messages_.answers = {false, true};
    dialog_->BtnDeleteClick();
    QCOMPARE(dialog_->LstSets->count(), 1);
    dialog_->BtnDeleteClick();
    QCOMPARE(messages_.asked.size(), 2);
    QVERIFY(messages_.asked[0].contains(QStringLiteral("自陣")));
    QCOMPARE(dialog_->LstSets->count(), 0);
    QVERIFY(history::loadOwnSets(history::databasePath()).isEmpty());
    dialog_->reject();
    QVERIFY(!dialog_->isVisible());
}

void tst_OwnSetsDialog::numbersTypedTickTheGrid_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QString>("says");
    QTest::newRow("numbers") << "5, 7 100" << QList<int>{5, 7, 100} << "";
    QTest::newRow("cleared") << "" << QList<int>{} << "";
    QTest::newRow("typed too far: the grid keeps the last set read") << "5 1000" << QList<int>{5, 100} << "1から100";
}

void tst_OwnSetsDialog::numbersTypedTickTheGrid()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, ticked);
    QFETCH(QString, says);
    dialog_->CbPoems[0]->click();
    dialog_->CbPoems[1]->click();
    dialog_->EdNumbers->selectAll();
    QTest::keyClicks(dialog_->EdNumbers, typed);
    if (typed.isEmpty())
        QTest::keyClick(dialog_->EdNumbers, Qt::Key_Delete);
    QCOMPARE(this->ticked(), ticked);
    QVERIFY2(says.isEmpty() ? dialog_->LblProblem->text().isEmpty() : dialog_->LblProblem->text().contains(says),
             qPrintable(dialog_->LblProblem->text()));
}

// A FIFO would block the window until something wrote to it; a name keeps
// no invisible controls.
void tst_OwnSetsDialog::hostileFilesAndNames()
{
    const QString fifo = dir_->filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!dialog_->importFile(fifo));
    QVERIFY2(dialog_->LblProblem->text().contains(QStringLiteral("普通のファイルではありません")),
             qPrintable(dialog_->LblProblem->text()));

    dialog_->EdName->setText(QStringLiteral("\u200B自陣\u202E"));
    dialog_->CbPoems[2]->click();
    dialog_->BtnSaveClick();
    const QList<history::OwnSet> sets = history::loadOwnSets(history::databasePath());
    QCOMPARE(sets.size(), 1);
    QCOMPARE(sets[0].name, QStringLiteral("自陣"));
}

void tst_OwnSetsDialog::importAndExportAsALine()
{
    const QString in = dir_->filePath("in.txt");
    QFile file(in);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("苦手な友札: 87 18\n");
    file.close();
    QVERIFY(dialog_->importFile(in));
    QCOMPARE(dialog_->EdName->text(), QStringLiteral("苦手な友札"));
    QCOMPARE(ticked(), (QList<int>{18, 87}));
    dialog_->BtnSaveClick();
    QCOMPARE(dialog_->LstSets->count(), 1);

    const QString out = dir_->filePath("out.txt");
    QVERIFY(dialog_->exportFile(out));
    QFile written(out);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()), QStringLiteral("苦手な友札: 18 87\n"));

    // A line that is no set leaves the editor as it was.
    QVERIFY(!dialog_->importFile(dir_->filePath("missing.txt")));
    dialog_->importLine(QStringLiteral("7 7"));
    QVERIFY(dialog_->LblProblem->text().contains(QStringLiteral("二度")));
    QCOMPARE(ticked(), (QList<int>{18, 87}));
}

void tst_OwnSetsDialog::exportOnAFullDiskKeepsTheFile()
{
    SmallDisk disk;
    SKIP_WITHOUT_SMALL_DISK(disk);
    const QString out = disk.filePath(QStringLiteral("組.txt"));
    const QByteArray old = QStringLiteral("前の組: 1 2 3\n").toUtf8();
    {
        QFile file(out);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    dialog_->importLine(QStringLiteral("新しい組: 18 87"));
    QVERIFY(disk.fill());
    QVERIFY(!dialog_->exportFile(out));
    QVERIFY2(dialog_->LblProblem->text().contains(QStringLiteral("ディスクに空きがありません")),
             qPrintable(dialog_->LblProblem->text()));
    QFile kept(out);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), old);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{".filler", "組.txt"}));
}

void tst_OwnSetsDialog::reviewOptionsAreKeptAtOnce()
{
    QCOMPARE(dialog_->SpRetention->value(), 90);
    dialog_->SpRetention->setValue(85);
    QCOMPARE(history::reviewOptions().retention, 0.85);
    QCOMPARE(history::loadReviewOptions(history::databasePath()).retention, 0.85);
}

QTEST_MAIN(tst_OwnSetsDialog)
#include "tst_ownsetsdialog.moc"
