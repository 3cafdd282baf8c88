#include <QtTest>

#include "deck/poemtable.h"

using namespace deck;

namespace {
const QString kSep = QStringLiteral("　");

int separatorsInText(const QString &verse)
{
    return verse.trimmed().count(kSep); // the right-hand fill is not a separator
}

QString stripFill(QString s)
{
    while (s.endsWith(kSep))
        s.chop(1);
    return s;
}
} // namespace

class tst_PoemTable : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { PoemTable.fill(); }
    void rows_data();
    void rows();
    void everyUpperVerseIs40BytesAndLowerVerse36();
    void separatorCounts();
    void decidingTextsOpenTheirOwnVerseAndNoOther();
    void singleCharacterKimariji();
    void lengthDistribution();
    void onlyDoubleByteCharacters();
};

void tst_PoemTable::rows_data()
{
    QTest::addColumn<int>("no");
    QTest::addColumn<QString>("kaminoku");
    QTest::addColumn<QString>("shimonoku");
    QTest::addColumn<QString>("kimariji");
    QTest::addColumn<QString>("shimoKimariji");
    QTest::newRow("1 needs no fill") << 1 << "あきのたの　かりほのいおの　とまをあらみ" << "わかころもては　つゆにぬれつつ　　　"
                                     << "あきの" << "わかころもては";
    QTest::newRow("4 has no separator") << 4 << "たごのうらにうちいでてみればしろたえの　" << "ふしのたかねに　ゆきはふりつつ　　　"
                                        << "たご" << "ふし";
    QTest::newRow("5 spells こえ") << 5 << "おくやまに　もみぢふみわけ　なくしかの　" << "こゑきくときそ　あきはかなしき　　　"
                                  << "おくや" << "こえ";
    QTest::newRow("26 longest") << 26 << "おぐらやま　みねのもみぢは　こころあらば" << "いまひとたひの　みゆきまたなむ　　　"
                                << "おぐら" << "いまひとたひの　み";
    QTest::newRow("41 small kana") << 41 << "こいすちょうわがなはまだき　たちにけり　" << "ひとしれすこそ　おもひそめしか　　　"
                                   << "こい" << "ひとし";
    QTest::newRow("56") << 56 << "あらざらむ　このよのほかの　おもいでに　" << "いまひとたひの　あふこともかな　　　"
                        << "あらざ" << "いまひとたひの　あ";
    QTest::newRow("95 spells おおけ") << 95 << "おほけなく　うきよのたみに　おほふかな　" << "わかたつそまに　すみそめのそて　　　"
                                    << "おおけ" << "わかた";
    QTest::newRow("92 ebb tide, not しおい") << 92 << "わがそでは　しおひにみえぬ　おきのいしの" << "ひとこそしらね　かわくまもなし　　　"
                                         << "わがそ" << "ひとこそし";
    QTest::newRow("99 no lower separator") << 99 << "ひともをし　ひともうらめし　あぢきなく　"
                                           << "よをおもふゆゑにものおもふみは　　　" << "ひとも" << "よをお";
    QTest::newRow("100") << 100 << "ももしきや　ふるきのきばの　しのぶにも　" << "なほあまりある　むかしなりけり　　　"
                         << "もも" << "なほあ";
}

void tst_PoemTable::rows()
{
    QFETCH(int, no);
    QFETCH(QString, kaminoku);
    QFETCH(QString, shimonoku);
    QFETCH(QString, kimariji);
    QFETCH(QString, shimoKimariji);
    const PoemEntry &row = PoemTable[no];
    QCOMPARE(row.Kaminoku.text(), kaminoku);
    QCOMPARE(row.Shimonoku.text(), shimonoku);
    QCOMPARE(row.Kimariji.text(), kimariji);
    QCOMPARE(row.ShimoKimariji.text(), shimoKimariji);
}

void tst_PoemTable::everyUpperVerseIs40BytesAndLowerVerse36()
{
    for (int no = 1; no <= kPoemCount; ++no) {
        const PoemEntry &row = PoemTable[no];
        QCOMPARE(row.Kaminoku.length, 40);
        QCOMPARE(row.Shimonoku.length, 36);
        QVERIFY2(row.Shimonoku.text().endsWith(kSep + kSep), qPrintable(QString::number(no)));
        QVERIFY(!row.Kaminoku.text().startsWith(kSep));
        // A 36-byte copy keeps the whole lower verse.
        QCOMPARE(platform::CountedString<36>(row.Shimonoku).toByteArray(), row.Shimonoku.toByteArray());
    }
    const QSet<int> unfilled{1, 11, 16, 26, 74, 92};
    for (int no = 1; no <= kPoemCount; ++no)
        QCOMPARE(!PoemTable[no].Kaminoku.text().endsWith(kSep), unfilled.contains(no));
}

void tst_PoemTable::separatorCounts()
{
    const QSet<int> oneUpper{9, 15, 24, 25, 29, 31, 40, 41, 48, 55, 57, 70, 75, 76, 85};
    const QSet<int> noLower{21, 79, 99};
    for (int no = 1; no <= kPoemCount; ++no) {
        const int upper = separatorsInText(stripFill(PoemTable[no].Kaminoku.text()));
        const int expectedUpper = no == 4 ? 0 : oneUpper.contains(no) ? 1 : 2;
        QVERIFY2(upper == expectedUpper, qPrintable(QStringLiteral("row %1 upper %2").arg(no).arg(upper)));
        const int lower = separatorsInText(stripFill(PoemTable[no].Shimonoku.text()));
        QVERIFY2(lower == (noLower.contains(no) ? 0 : 1), qPrintable(QStringLiteral("row %1 lower").arg(no)));
    }
}

void tst_PoemTable::decidingTextsOpenTheirOwnVerseAndNoOther()
{
    // The three rows whose deciding text is spelled unlike its verse.
    auto spelled = [](int no, QString verse, bool upper) {
        if (no == 5 && !upper) verse.replace(1, 1, QStringLiteral("え"));
        if (no == 76 && !upper) verse.replace(2, 1, QStringLiteral("い"));
        if (no == 95 && upper) verse.replace(1, 1, QStringLiteral("お"));
        return verse;
    };
    for (int no = 1; no <= kPoemCount; ++no) {
        const QString kimariji = PoemTable[no].Kimariji.text();
        const QString shimoKimariji = PoemTable[no].ShimoKimariji.text();
        for (int other = 1; other <= kPoemCount; ++other) {
            const bool upperOpens = spelled(other, PoemTable[other].Kaminoku.text(), true).startsWith(kimariji);
            const bool lowerOpens = spelled(other, PoemTable[other].Shimonoku.text(), false).startsWith(shimoKimariji);
            QVERIFY2(upperOpens == (other == no), qPrintable(QStringLiteral("kimariji of %1 vs %2").arg(no).arg(other)));
            QVERIFY2(lowerOpens == (other == no), qPrintable(QStringLiteral("shimo of %1 vs %2").arg(no).arg(other)));
        }
    }
}

void tst_PoemTable::singleCharacterKimariji()
{
    QMap<int, QString> singles;
    for (int no = 1; no <= kPoemCount; ++no)
        if (PoemTable[no].Kimariji.length == 2)
            singles[no] = PoemTable[no].Kimariji.text();
    const QMap<int, QString> expected{{18, "す"}, {22, "ふ"}, {57, "め"}, {70, "さ"},
                                      {77, "せ"}, {81, "ほ"}, {87, "む"}};
    QCOMPARE(singles, expected);
}

void tst_PoemTable::lengthDistribution()
{
    QMap<int, int> kami, shimo;
    for (int no = 1; no <= kPoemCount; ++no) {
        ++kami[PoemTable[no].Kimariji.length / 2];
        ++shimo[PoemTable[no].ShimoKimariji.length / 2];
    }
    QCOMPARE(kami, (QMap<int, int>{{1, 7}, {2, 41}, {3, 38}, {4, 6}, {5, 2}, {7, 6}}));
    QCOMPARE(shimo, (QMap<int, int>{{1, 9}, {2, 43}, {3, 32}, {4, 8}, {5, 2}, {7, 4}, {9, 2}}));
}

void tst_PoemTable::onlyDoubleByteCharacters()
{
    QSet<QChar> chars;
    for (int no = 1; no <= kPoemCount; ++no) {
        const PoemEntry &row = PoemTable[no];
        for (const PoemString *s : {&row.Kaminoku, &row.Shimonoku, &row.Kimariji, &row.ShimoKimariji}) {
            QCOMPARE(s->text().size() * 2, int(s->length));
            for (QChar c : s->text())
                chars.insert(c);
        }
    }
    QVERIFY(chars.contains(QChar(0x3000)));
    QVERIFY(!chars.contains(QChar(0x3093))); // no syllabic nasal
    QCOMPARE(chars.size(), 69); // 68 hiragana and the ideographic space
}

QTEST_GUILESS_MAIN(tst_PoemTable)
#include "tst_poemtable.moc"
