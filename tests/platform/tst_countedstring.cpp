#include <QtTest>

#include "platform/countedstring.h"

using namespace platform;

class tst_CountedString : public QObject {
    Q_OBJECT
private slots:
    void layoutMatchesTheFileSlot();
    void copyIntoSmallerCapacityKeepsLeadingBytes();
    void copyIntoLargerCapacityKeepsAll();
    void damagedLengthIsClamped();
    void equalityComparesSignificantBytesOnly();
};

void tst_CountedString::layoutMatchesTheFileSlot()
{
    // The records file stores these fields back to back: 1+4, 1+20, 1+10.
    QCOMPARE(sizeof(CountedString<4>), 5u);
    QCOMPARE(sizeof(CountedString<20>), 21u);
    QCOMPARE(sizeof(CountedString<10>), 11u);
    QCOMPARE(sizeof(CountedString<40>), 41u);
}

void tst_CountedString::copyIntoSmallerCapacityKeepsLeadingBytes()
{
    const CountedString<40> src(QByteArray(40, 'x').replace(36, 4, "WXYZ"));
    const CountedString<36> dst(src);
    QCOMPARE(dst.length, 36);
    QCOMPARE(dst.toByteArray(), QByteArray(36, 'x'));

    // A cut may split a double-byte character: the byte rule is bytes only.
    const CountedString<3> cut(QByteArray("\x82\xA0\x82\xA2"));
    QCOMPARE(cut.toByteArray(), QByteArray("\x82\xA0\x82"));
    QCOMPARE(cut.text(), QStringLiteral("あ"));
}

void tst_CountedString::copyIntoLargerCapacityKeepsAll()
{
    CountedString<40> big;
    big = CountedString<4>(QByteArray("1234"));
    QCOMPARE(big.toByteArray(), QByteArray("1234"));
    QCOMPARE(big.length, 4);
}

void tst_CountedString::damagedLengthIsClamped()
{
    CountedString<4> s;
    s.length = 200; // as read from a foreign file
    QVERIFY(!s.lengthValid());
    QCOMPARE(s.view().size(), 4);
}

void tst_CountedString::equalityComparesSignificantBytesOnly()
{
    CountedString<10> a(QByteArray("abc"));
    CountedString<10> b(QByteArray("abcdef"));
    b.length = 3;
    QVERIFY(a == b);
    QVERIFY(!(a == CountedString<10>(QByteArray("abd"))));
    QVERIFY(!(a == CountedString<10>(QByteArray("ab"))));
}

QTEST_GUILESS_MAIN(tst_CountedString)
#include "tst_countedstring.moc"
