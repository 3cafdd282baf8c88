#include <QtTest>

#include "recordsfixture.h"
#include "records/recordstable.h"

using namespace records;
using fixture::hex;
using fixture::slot;

// The slot format and the rules of a new result, on bytes and values alone.
class tst_RecordsTable : public QObject {
    Q_OBJECT
private slots:
    void slotMatchesTheFormat();
    void slotKeepsInsignificantBytes();
    void parseTable_data();
    void parseTable();
    void qualifiesAndPlace_data();
    void qualifiesAndPlace();
    void storedDate_data();
    void storedDate();
};

void tst_RecordsTable::slotMatchesTheFormat()
{
    // Score 1234, name ABC, date 2026/12/06, insignificant bytes zero.
    const QByteArray expected = hex("04 31323334"
                                    "03 414243 0000000000000000000000000000000000"
                                    "0A 323032362F31322F3036");
    QCOMPARE(expected.size(), 37);
    QCOMPARE(slot("1234", "ABC", "2026/12/06"), expected); // pins the tests' own builder
    QCOMPARE(toSlot(makeEntry("1234", "ABC", "2026/12/06")), expected);

    const RecordsEntry e = fromSlot(expected);
    QCOMPARE(e.Tokuten.toByteArray(), QByteArray("1234"));
    QCOMPARE(e.Shimei.toByteArray(), QByteArray("ABC"));
    QCOMPARE(e.Hiduke.toByteArray(), QByteArray("2026/12/06"));
}

void tst_RecordsTable::slotKeepsInsignificantBytes()
{
    const QByteArray s = slot("72", "\x82\xA0", "26/1/2", char(0xCC));
    QCOMPARE(toSlot(fromSlot(s)), s);
    QCOMPARE(fromSlot(s).Shimei.text(), QStringLiteral("あ"));
}

void tst_RecordsTable::parseTable_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("scores"); // entries returned, best first
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QString>("damage"); // part of the reason, empty when sound
    QTest::addColumn<qint64>("size");    // the file's size, when more than `file`

    const QByteArray z = fixture::zeroSlot();
    auto withLength = [](QByteArray file, int at, int length) {
        file[at] = char(length);
        return file;
    };
    const QByteArray three = fixture::table({900, 800, 700});

    QTest::newRow("empty file") << QByteArray() << QStringList() << 0 << QString() << qint64(0);
    QTest::newRow("one entry") << fixture::table({5}) << QStringList{"5"} << 1 << QString() << qint64(0);
    QTest::newRow("three entries") << three << QStringList{"900", "800", "700"} << 3 << QString() << qint64(0);
    QTest::newRow("twelve entries: the first ten")
        << fixture::table({12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1})
        << QStringList{"12", "11", "10", "9", "8", "7", "6", "5", "4", "3"} << 12 << QString() << qint64(0);
    QTest::newRow("slot 0 alone") << z << QStringList() << 0 << "1 番目の記録が途中で切れています" << qint64(0);
    QTest::newRow("shorter than a slot") << QByteArray(5, 'x') << QStringList() << 0 << "1 番目の記録が途中で切れています" << qint64(0);
    QTest::newRow("last entry cut short") << three.left(37 * 4 - 1) << QStringList{"900", "800"} << 2
                                          << "3 番目の記録が途中で切れています" << qint64(0);
    QTest::newRow("bytes after the last entry")
        << three + "abc" << QStringList{"900", "800", "700"} << 3 << "4 番目の記録が途中で切れています" << qint64(0);
    QTest::newRow("cut short past entry 10")
        << fixture::table({12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}).chopped(1)
        << QStringList{"12", "11", "10", "9", "8", "7", "6", "5", "4", "3"} << 11 << "12 番目の記録が途中で切れています" << qint64(0);
    QTest::newRow("score length 5") << withLength(three, 37 * 2 + 0, 5) << QStringList{"900"} << 3
                                    << "2 番目の記録の得点の長さが 5 バイト" << qint64(0);
    QTest::newRow("name length 21") << withLength(three, 37 * 3 + 5, 21) << QStringList{"900", "800"} << 3
                                    << "3 番目の記録の氏名の長さが 21 バイト" << qint64(0);
    QTest::newRow("date length 11") << withLength(three, 37 * 1 + 26, 11) << QStringList() << 3
                                    << "1 番目の記録の日付の長さが 11 バイト" << qint64(0);
    QTest::newRow("length 255") << withLength(three, 37 * 1 + 5, 255) << QStringList() << 3
                                << "氏名の長さが 255 バイト" << qint64(0);
    QTest::newRow("lengths at their limits are sound")
        << z + slot("9999", QByteArray(20, 'n'), QByteArray(10, 'd')) << QStringList{"9999"} << 1 << QString() << qint64(0);
    const QByteArray ten = fixture::table({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    QTest::newRow("ten good entries in a file of a gigabyte")
        << ten << QStringList{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1"} << 27027026
        << "大きさが 1000000000 バイトもあり" << qint64(1000000000);
}

void tst_RecordsTable::parseTable()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, scores);
    QFETCH(int, slotCount);
    QFETCH(QString, damage);
    QFETCH(qint64, size);

    const Table t = records::parseTable(file, std::max<qint64>(size, file.size()));
    QStringList got;
    for (const RecordsEntry &e : t.entries)
        got << e.Tokuten.text();
    QCOMPARE(got, scores);
    QCOMPARE(t.slotCount, qsizetype(slotCount));
    if (damage.isEmpty())
        QVERIFY2(t.isSound(), qPrintable(t.damage));
    else
        QVERIFY2(t.damage.contains(damage), qPrintable(t.damage));
}

void tst_RecordsTable::qualifiesAndPlace_data()
{
    QTest::addColumn<QList<int>>("scores");
    QTest::addColumn<int>("score");
    QTest::addColumn<bool>("enters");
    QTest::addColumn<int>("place");

    const QList<int> full{1000, 900, 800, 700, 600, 500, 400, 300, 200, 100};
    QTest::newRow("empty table, score 0") << QList<int>() << 0 << true << 1;
    QTest::newRow("three, lower than all") << QList<int>{900, 800, 700} << 10 << true << 4;
    QTest::newRow("three, best") << QList<int>{900, 800, 700} << 901 << true << 1;
    QTest::newRow("equal scores go below") << QList<int>{900, 800, 800, 700} << 800 << true << 4;
    QTest::newRow("equal to the top goes below it") << QList<int>{900} << 900 << true << 2;
    QTest::newRow("nine entries always room") << full.first(9) << 0 << true << 10;
    QTest::newRow("full, equal to the lowest") << full << 100 << false << 11;
    QTest::newRow("full, below the lowest") << full << 99 << false << 11;
    QTest::newRow("full, just above the lowest") << full << 101 << true << 10;
    QTest::newRow("full, new best") << full << 5760 << true << 1;
    QTest::newRow("full of equal scores") << QList<int>(10, 500) << 500 << false << 11;
}

void tst_RecordsTable::qualifiesAndPlace()
{
    QFETCH(QList<int>, scores);
    QFETCH(int, score);
    QFETCH(bool, enters);
    QFETCH(int, place);
    QCOMPARE(qualifies(scores, score), enters);
    QCOMPARE(insertionPlace(scores, score), place);
}

void tst_RecordsTable::storedDate_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QByteArray>("stored");

    const QDate d(2026, 12, 6);
    QTest::newRow("Japanese desktop") << "yyyy/MM/dd" << d << QByteArray("2026/12/06");
    QTest::newRow("US") << "M/d/yy" << d << QByteArray("12/6/26");
    QTest::newRow("German") << "dd.MM.yy" << d << QByteArray("06.12.26");
    QTest::newRow("French") << "dd/MM/yyyy" << d << QByteArray("06/12/2026");
    QTest::newRow("Chinese") << "yyyy/M/d" << QDate(2026, 1, 2) << QByteArray("2026/1/2");
    QTest::newRow("quoted separators") << "yyyy'-'MM'-'dd" << d << QByteArray("2026-12-06");
    QTest::newRow("C locale month name") << "d MMM yyyy" << d << QByteArray("2026/12/06");
    QTest::newRow("day name") << "ddd yy/M/d" << d << QByteArray("2026/12/06");
    QTest::newRow("Japanese year mark") << "yyyy年M月d日" << d << QByteArray("2026/12/06");
    QTest::newRow("Korean: 11 bytes at year's end") << "yy. M. d." << QDate(2026, 1, 2) << QByteArray("2026/01/02");
    QTest::newRow("Hungarian") << "yyyy. MM. dd." << d << QByteArray("2026/12/06");
    QTest::newRow("Arabic marks") << QString::fromUtf8("d\u200F/M\u200F/yyyy") << d << QByteArray("2026/12/06");
    QTest::newRow("quoted letters") << "'D'yy/MM/dd" << d << QByteArray("2026/12/06");
    QTest::newRow("one-letter year") << "y/M/d" << d << QByteArray("2026/12/06");
    QTest::newRow("empty format") << "" << d << QByteArray("2026/12/06");
    QTest::newRow("year 10000 is cut to 10 bytes") << "yyyy/MM/dd" << QDate(10000, 1, 1) << QByteArray("10000/01/0");
}

void tst_RecordsTable::storedDate()
{
    QFETCH(QString, format);
    QFETCH(QDate, date);
    QFETCH(QByteArray, stored);
    QCOMPARE(hidukeBytes(date, format), stored);
}

QTEST_GUILESS_MAIN(tst_RecordsTable)
#include "tst_recordstable.moc"
