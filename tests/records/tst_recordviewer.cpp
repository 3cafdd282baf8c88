#include <QtTest>
#include <QLabel>

#include "platform/gui/fonts.h"
#include "platform/services.h"
#include "platform/ui/form.h"
#include "recordsfixture.h"
#include "records/tf_record.h"

using fixture::readFile;
using fixture::slot;
using fixture::table;

namespace {

// The grid as text, one "rank|score|name|date" per row.
QStringList grid(const TF_Record &w)
{
    QStringList rows;
    for (int r = 0; r < 10; ++r) {
        QStringList cells;
        for (int c = 1; c <= 4; ++c) {
            auto *st = platform::ui::findControl<QLabel>(w.Panel1, QStringLiteral("st%1").arg(c), r);
            cells << (st ? st->text() : QStringLiteral("<none>"));
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList rows(QStringList filled)
{
    while (filled.size() < 10)
        filled << QStringLiteral("|||");
    return filled;
}

} // namespace

class tst_RecordViewer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsTheFile_data();
    void showsTheFile();
    void readsAgainAtEveryShow();
    void unreadableFileIsReported();
    void damagedFileSetAsideOnYes();
    void okReturnsToTheMenu_data();
    void okReturnsToTheMenu();
    void cellsKeepAPixelOfAir_data();
    void cellsKeepAPixelOfAir();

private:
    std::unique_ptr<fixture::ScratchDir> dir_;
    fakes::FakeErrors errors_;
    fakes::FakeMessages messages_;
    platform::Services services_; // handed over, never installed
    std::unique_ptr<platform::ui::Form> main_;
};

void tst_RecordViewer::initTestCase()
{
    platform::fonts::installSubstitutes();
}

void tst_RecordViewer::init()
{
    dir_ = std::make_unique<fixture::ScratchDir>();
    errors_.shown.clear();
    messages_ = fakes::FakeMessages();
    platform::Services s;
    s.errors = &errors_;
    s.messages = &messages_;
    services_ = fakes::withStandIns(s);
    main_ = std::make_unique<platform::ui::Form>(QStringLiteral("琴葉"), QSize(592, 423));
    main_->makeMainForm();
}

void tst_RecordViewer::cleanup()
{
    main_.reset();
    dir_.reset();
}

void tst_RecordViewer::showsTheFile_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("damage"); // part of the offer of a new table, empty for none

    const QByteArray z = fixture::zeroSlot();
    QTest::newRow("no file: empty, and created") << false << QByteArray() << rows({}) << QString();
    QTest::newRow("empty file") << true << QByteArray() << rows({}) << QString();
    QTest::newRow("three entries")
        << true << table({900, 800, 700}, "2026/12/06")
        << rows({"1|900|P900|2026/12/06", "2|800|P800|2026/12/06", "3|700|P700|2026/12/06"}) << QString();
    QTest::newRow("equal scores get different ranks in file order")
        << true << z + slot("500", "old", "2026/01/01") + slot("500", "new", "2026/02/01")
        << rows({"1|500|old|2026/01/01", "2|500|new|2026/02/01"}) << QString();
    QTest::newRow("Japanese name ending in half a character")
        << true << z + slot("72", "\x82\xA0\x82\xA2\x82", "26/1/2", char(0xEE)) << rows({"1|72|あい|26/1/2"})
        << QString();
    QTest::newRow("twelve entries: the first ten")
        << true << table({12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, "d")
        << QStringList{"1|12|P12|d", "2|11|P11|d", "3|10|P10|d", "4|9|P9|d", "5|8|P8|d",
                       "6|7|P7|d", "7|6|P6|d", "8|5|P5|d", "9|4|P4|d", "10|3|P3|d"}
        << QString();
    QTest::newRow("score shown as stored") << true << z + slot("ab", "X", "d") << rows({"1|ab|X|d"}) << QString();
    QTest::newRow("entry cut short: rows before it, then the error")
        << true << table({900, 800, 700}, "d").chopped(1) << rows({"1|900|P900|d", "2|800|P800|d"})
        << "3 番目の記録が途中で切れています";
    QTest::newRow("name longer than its field: rows before it, then the error")
        << true << [&] {
               QByteArray f = table({900, 800}, "d");
               f[74 + 5] = char(200);
               return f;
           }()
        << rows({"1|900|P900|d"}) << "2 番目の記録の氏名の長さが 200 バイト";
    QTest::newRow("slot 0 alone") << true << z << rows({}) << "1 番目の記録が途中で切れています";
}

void tst_RecordViewer::showsTheFile()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, shown);
    QFETCH(QString, damage);
    if (exists)
        QVERIFY(fixture::writeFile("RecordsS.dat", file));

    TF_RecordS w(QStringLiteral("RecordsS.dat"), services_);
    w.show();

    QCOMPARE(grid(w), shown);
    QVERIFY(messages_.asked.isEmpty()); // asked once the window is up
    QCoreApplication::processEvents();
    QCOMPARE(errors_.shown, QStringList());
    if (damage.isEmpty()) {
        QCOMPARE(messages_.asked, QStringList());
    } else {
        // Declined: the file stays as it is.
        QCOMPARE(messages_.asked.size(), 1);
        QVERIFY2(messages_.asked[0].contains(damage) && messages_.asked[0].contains(dir_->file("RecordsS.dat")),
                 qPrintable(messages_.asked[0]));
        QCOMPARE(grid(w), shown);
    }
    QCOMPARE(readFile("RecordsS.dat"), file); // never written; a missing one is created empty
    QCOMPARE(dir_->entries(), QStringList{"RecordsS.dat"});
    QCOMPARE(w.focusWidget(), w.Button1);
}

void tst_RecordViewer::readsAgainAtEveryShow()
{
    QVERIFY(fixture::writeFile("RecordsS.dat", table({900, 800, 700}, "d")));
    TF_RecordS w(QStringLiteral("RecordsS.dat"), services_);
    w.show();
    QCOMPARE(grid(w), rows({"1|900|P900|d", "2|800|P800|d", "3|700|P700|d"}));
    w.Button1Click();

    // A game stored a new best meanwhile.
    QVERIFY(fixture::writeFile("RecordsS.dat", table({1000, 900, 800, 700}, "d")));
    w.show();
    QCOMPARE(grid(w), rows({"1|1000|P1000|d", "2|900|P900|d", "3|800|P800|d", "4|700|P700|d"}));
    w.Button1Click();

    // The file was removed: the rows shown before do not linger.
    QVERIFY(QFile::remove("RecordsS.dat"));
    w.show();
    QCOMPARE(grid(w), rows({}));
    QCOMPARE(readFile("RecordsS.dat"), QByteArray(""));
}

void tst_RecordViewer::unreadableFileIsReported()
{
    const QByteArray file = table({900}, "d");
    QVERIFY(fixture::writeFile("RecordsS.dat", file));
    QVERIFY(fixture::setMode(dir_->file("RecordsS.dat"), 0));
    TF_RecordS w(QStringLiteral("RecordsS.dat"), services_);
    {
        fixture::Unprivileged nobody;
        w.show();
    }
    QCOMPARE(grid(w), rows({}));
    QCoreApplication::processEvents();
    QCOMPARE(errors_.shown.size(), 1);
    QVERIFY2(errors_.shown[0].contains("を読む許可がありません"), qPrintable(errors_.shown[0]));
    QVERIFY(fixture::setMode(dir_->file("RecordsS.dat"), 0644));
    QCOMPARE(readFile("RecordsS.dat"), file);
}

void tst_RecordViewer::damagedFileSetAsideOnYes()
{
    // Ten good entries in a gigabyte: shown, then the offer; said yes, the
    // file is kept under a dated name and an empty table is shown.
    const QByteArray ten = table({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, "d");
    QVERIFY(fixture::writeFile("RecordsS.dat", ten));
    QVERIFY(QFile::resize("RecordsS.dat", 1000000000));
    messages_.answers = {true};
    TF_RecordS w(QStringLiteral("RecordsS.dat"), services_);
    w.show();
    QCOMPARE(grid(w).last(), QStringLiteral("10|1|P1|d"));
    QCoreApplication::processEvents();
    QCOMPARE(messages_.asked.size(), 1);
    QVERIFY2(messages_.asked[0].contains("1000000000 バイト"), qPrintable(messages_.asked[0]));
    QCOMPARE(errors_.shown, QStringList());
    QCOMPARE(grid(w), rows({}));
    const QStringList files = dir_->entries();
    QCOMPARE(files.size(), 2);
    QCOMPARE(readFile("RecordsS.dat"), QByteArray(""));
    QVERIFY2(messages_.asked[0].contains(files[1]), qPrintable(files[1]));
    QCOMPARE(QFileInfo(files[1]).size(), 1000000000);
}

void tst_RecordViewer::okReturnsToTheMenu_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("click") << 0;
    QTest::newRow("Enter") << 1;
    QTest::newRow("Space") << 2;
}

void tst_RecordViewer::okReturnsToTheMenu()
{
    QFETCH(int, how);
    TF_RecordM w(QStringLiteral("RecordsM.dat"), services_);
    main_->hide();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.Button1->hasFocus());
    if (how == 0)
        QTest::mouseClick(w.Button1, Qt::LeftButton);
    else
        QTest::keyClick(QApplication::focusWidget(), how == 1 ? Qt::Key_Return : Qt::Key_Space);
    QTRY_VERIFY(!w.isVisible());
    QVERIFY(main_->isVisible());

    // No other way out: a close request from outside is refused.
    w.show();
    w.close();
    QVERIFY(w.isVisible());
}

void tst_RecordViewer::cellsKeepAPixelOfAir_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("ten-character date") << 4 << "2026/12/07";
    QTest::newRow("a rank of two digits") << 1 << "10";
    QTest::newRow("a score of four digits") << 2 << "5760";
}

void tst_RecordViewer::cellsKeepAPixelOfAir()
{
    QFETCH(int, column);
    QFETCH(QString, text);
    TF_RecordS w(QStringLiteral("RecordsS.dat"), services_);
    w.show();
    auto *cell = platform::ui::findControl<QLabel>(w.Panel1, QStringLiteral("st%1").arg(column), 0);
    cell->setText(text);
    const QImage image = cell->grab().toImage();
    // Inside the one-pixel edge the first and last columns stay white; the
    // text is there between them.
    const auto inkIn = [&](int x) {
        int ink = 0;
        for (int y = 1; y < image.height() - 1; ++y)
            ink += qGray(image.pixel(x, y)) < 128;
        return ink;
    };
    const int first = 1, last = image.width() - 2;
    QCOMPARE(inkIn(first), 0);
    QCOMPARE(inkIn(last), 0);
    int ink = 0;
    for (int x = first; x <= last; ++x)
        ink += inkIn(x);
    QVERIFY(ink > 4 * text.size());
}

QTEST_MAIN(tst_RecordViewer)
#include "tst_recordviewer.moc"
