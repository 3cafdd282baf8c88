#include <QtTest>

#include "platform/sjis.h"

using namespace platform;

class tst_Sjis : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void roundTripsEveryDoubleByteOfTheDeck();
    void truncated_data();
    void truncated();
};

void tst_Sjis::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ideographic space") << QByteArray("\x81\x40") << QStringLiteral("　");
    QTest::newRow("hiragana") << QByteArray("\x82\xA0\x82\xAB") << QStringLiteral("あき");
    QTest::newRow("trailing lead byte dropped") << QByteArray("\x82\xA0\x82") << QStringLiteral("あ");
    QTest::newRow("lone lead byte") << QByteArray("\x82") << QString();
    QTest::newRow("ascii and half-width kana") << QByteArray("AB1\xB1") << QStringLiteral("AB1ｱ");
    QTest::newRow("cp932 wave dash") << QByteArray("\x81\x60") << QStringLiteral("～");
    QTest::newRow("empty") << QByteArray() << QString();
}

void tst_Sjis::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(sjis::decode(bytes), text);
}

void tst_Sjis::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ideographic space") << QStringLiteral("　") << QByteArray("\x81\x40");
    QTest::newRow("kanji") << QStringLiteral("琴葉") << QByteArray("\x8B\xD5\x97\x74");
    QTest::newRow("wave dash typed by an IME") << QStringLiteral("\u301C") << QByteArray("\x81\x60");
    QTest::newRow("minus sign") << QStringLiteral("\u2212") << QByteArray("\x81\x7C");
    QTest::newRow("missing character keeps neighbours")
        << QStringLiteral("A\u00E9B") << QByteArray("A?B");
    QTest::newRow("emoji is one substitute") << QStringLiteral("あ\U0001F600い")
                                             << QByteArray("\x82\xA0?\x82\xA2");
    QTest::newRow("half-width kana") << QStringLiteral("ｶﾙﾀ") << QByteArray("\xB6\xD9\xC0");
}

void tst_Sjis::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(sjis::encode(text), bytes);
}

void tst_Sjis::roundTripsEveryDoubleByteOfTheDeck()
{
    // Every hiragana the poems use, with voiced marks and the small ょ.
    const QString kana = QStringLiteral("あいうえおかがきぎくぐけげこごさざしじすずせぜそぞただちぢつづてでとどな"
                                        "にぬねのはばひびふぶへべほぼまみむめもやゆよらりるれろわゐゑをょ　");
    const QByteArray bytes = sjis::encode(kana);
    QCOMPARE(bytes.size(), kana.size() * 2);
    QCOMPARE(sjis::decode(bytes), kana);
}

void tst_Sjis::truncated_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("max");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("cut inside a character") << QByteArray("\x82\xA0\x82\xA2") << 3 << QByteArray("\x82\xA0");
    QTest::newRow("cut on a boundary") << QByteArray("\x82\xA0\x82\xA2") << 2 << QByteArray("\x82\xA0");
    QTest::newRow("mixed widths") << QByteArray("A\x82\xA0") << 2 << QByteArray("A");
    QTest::newRow("shorter than max") << QByteArray("AB") << 20 << QByteArray("AB");
}

void tst_Sjis::truncated()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, max);
    QFETCH(QByteArray, expected);
    QCOMPARE(sjis::truncated(bytes, max), expected);
}

QTEST_GUILESS_MAIN(tst_Sjis)
#include "tst_sjis.moc"
