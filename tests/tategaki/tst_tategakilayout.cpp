// Column breaking, placement, justification and measuring with fixed
// advances (16 px full-width, 8 px half-width): no font involved.
#include <QtTest>

#include <random>

#include "tategaki/engine.h"
#include "tategaki/kinsoku.h"

using namespace tategaki;

namespace {

QString crlf(QString s)
{
    return s.replace(QStringLiteral("\\r\\n"), QStringLiteral("\r\n"));
}

// The columns of a vertical multi-line layout, joined by "|".
QString columns(const QString &text, int boxHeight, int margin, int level, int boxWidth = 57)
{
    FixedMeasurer m(16, 8);
    TTategakiTextParams p;
    p.MultiLine = true;
    p.LineMargin = 2;
    p.KinsokuMargin = margin;
    p.KinsokuLevel = level;
    const TategakiLayout layout = LayoutTategakiText(m, text, TRect{0, 0, boxWidth, boxHeight}, p);
    QStringList parts;
    for (const TategakiColumn &c : layout.columns)
        parts << text.mid(c.first, c.count);
    return parts.join(QLatin1Char('|'));
}

} // namespace

class tst_TategakiLayout : public QObject {
    Q_OBJECT
private slots:
    void kinsokuTables_data();
    void kinsokuTables();
    void kinsokuLevels();

    void breaks_data();
    void breaks();
    void breakPositionSkipsLineBreaks_data();
    void breakPositionSkipsLineBreaks();
    void everyUnitLandsInOneColumn();
    void countTategakiLines_data();
    void countTategakiLines();

    void cardCaption();
    void placement_data();
    void placement();
    void alignmentAlongColumn_data();
    void alignmentAlongColumn();
    void justification_data();
    void justification();

    void measure_data();
    void measure();
    void trailingFirstByte();
};

void tst_TategakiLayout::kinsokuTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("size");
    // The tables as a reader of Japanese writes them; the code holds code points.
    QTest::newRow("may not begin") << QString(KinsokuStartChars.toString())
                                   << QStringLiteral("!%),.:;?]}｡｣､･ﾞﾟ、。，．・：；？！゛゜ヽヾゝゞ々’”）〕］｝〉》」』】°′″℃￠％‰")
                                   << 50;
    QTest::newRow("small kana") << QString(KinsokuSmallKana.toString())
                                << QStringLiteral("ｧｨｩｪｫｬｭｮｯｰーぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ") << 33;
    QTest::newRow("may not end") << QString(KinsokuEndChars.toString())
                                 << QStringLiteral("$([\\{｢‘“（〔［｛〈《「『【￥＄￡") << 20;
}

void tst_TategakiLayout::kinsokuTables()
{
    QFETCH(QString, table);
    QFETCH(QString, expected);
    QFETCH(int, size);
    QCOMPARE(table.size(), size);
    QCOMPARE(table, expected);
}

void tst_TategakiLayout::kinsokuLevels()
{
    for (QChar c : KinsokuSmallKana) {
        QVERIFY2(CannotBeginColumn(c.unicode(), 2), qPrintable(QString(c)));
        QVERIFY2(!CannotBeginColumn(c.unicode(), 1), qPrintable(QString(c)));
        QVERIFY(!CannotEndColumn(c.unicode()));
    }
    for (QChar c : KinsokuStartChars) {
        QVERIFY(CannotBeginColumn(c.unicode(), 0));
        QVERIFY(!CannotEndColumn(c.unicode()));
    }
    for (QChar c : KinsokuEndChars) {
        QVERIFY(CannotEndColumn(c.unicode()));
        QVERIFY(!CannotBeginColumn(c.unicode(), 2));
    }
    for (char16_t c : {u'あ', u'つ', u'ア', u'A', u'　', u'\r', u'\n'}) {
        QVERIFY(!CannotBeginColumn(c, 2));
        QVERIFY(!CannotEndColumn(c));
    }
}

void tst_TategakiLayout::breaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("boxHeight");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("expected");

    // 105 px holds 6 full-width characters (96 <= 105 < 112). The kinsoku
    // cases with a golden layout (layouts/cases.txt) are not repeated here.
    QTest::newRow("plain text, 6 per column") << QStringLiteral("あいうえおかきくけこさしすせ") << 105 << 0 << 2
                                              << QStringLiteral("あいうえおか|きくけこさし|すせ");
    QTest::newRow("half-width, 13 per column") << QStringLiteral("abcdefghijklmnopq") << 105 << 0 << 2
                                               << QStringLiteral("abcdefghijklm|nopq");
    QTest::newRow("margin narrower than the full stop: push back")
        << QStringLiteral("あいうえおか。きくけ") << 111 << 15 << 2 << QStringLiteral("あいうえお|か。きくけ");
    QTest::newRow("opening mark moves when the marks after it do not fit")
        << QStringLiteral("あいうえお「。。かき") << 112 << 16 << 2 << QStringLiteral("あいうえお|「。。かき");
    QTest::newRow("push back takes an opening mark along")
        << QStringLiteral("あいうえ「か。きく") << 105 << 0 << 2 << QStringLiteral("あいうえ|「か。きく");
    QTest::newRow("push back moves one unit even if it may not begin")
        << QStringLiteral("あいうえお。ーきく") << 105 << 0 << 2 << QStringLiteral("あいうえお|。ーきく");
    QTest::newRow("hard break exactly at a full column")
        << crlf(QStringLiteral("あいうえおか\\r\\nきく")) << 105 << 0 << 2 << QStringLiteral("あいうえおか|きく");
    QTest::newRow("leading CR LF gives an empty first column")
        << crlf(QStringLiteral("\\r\\nあい")) << 105 << 0 << 2 << QStringLiteral("|あい");
    QTest::newRow("trailing CR LF adds no column") << crlf(QStringLiteral("あい\\r\\n")) << 105 << 0 << 2
                                                   << QStringLiteral("あい");
    QTest::newRow("CR without LF swallows the next unit")
        << QStringLiteral("あ\rいう") << 105 << 0 << 2 << QStringLiteral("あ|う");
    QTest::newRow("character wider than the column stands alone")
        << QStringLiteral("あいう") << 10 << 0 << 2 << QStringLiteral("あ|い|う");
    QTest::newRow("margin beyond the box: one unit per column")
        << QStringLiteral("あいう") << 20 << 40 << 2 << QStringLiteral("あ|い|う");
    QTest::newRow("hanging stops at the end of the text")
        << QStringLiteral("あいうえおか。") << 112 << 16 << 2 << QStringLiteral("あいうえおか。");
    QTest::newRow("exact fit needs no break") << QStringLiteral("あいうえおか") << 96 << 0 << 2
                                              << QStringLiteral("あいうえおか");
    QTest::newRow("a lone opening mark in a two-unit column stays")
        << QStringLiteral("「あい") << 20 << 0 << 2 << QStringLiteral("「|あ|い");
}

void tst_TategakiLayout::breaks()
{
    QFETCH(QString, text);
    QFETCH(int, boxHeight);
    QFETCH(int, margin);
    QFETCH(int, level);
    QFETCH(QString, expected);
    QCOMPARE(columns(text, boxHeight, margin, level), expected);
}

void tst_TategakiLayout::breakPositionSkipsLineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("maxExtent");
    QTest::addColumn<int>("hangExtent");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("next");
    QTest::newRow("hard break consumes CR LF") << crlf(QStringLiteral("あい\\r\\nう")) << 0 << 96 << 96 << 2 << 4;
    QTest::newRow("empty column at CR LF") << crlf(QStringLiteral("\\r\\n\\r\\nあ")) << 2 << 96 << 96 << 0 << 4;
    QTest::newRow("automatic break before CR LF consumes it")
        << crlf(QStringLiteral("あい\\r\\nう")) << 0 << 32 << 32 << 2 << 4;
    QTest::newRow("CR as the last unit") << QStringLiteral("あい\r") << 0 << 96 << 96 << 2 << 4;
    QTest::newRow("position at the end") << QStringLiteral("あい") << 2 << 96 << 96 << 0 << 2;
}

void tst_TategakiLayout::breakPositionSkipsLineBreaks()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, maxExtent);
    QFETCH(int, hangExtent);
    QFETCH(int, count);
    QFETCH(int, next);
    FixedMeasurer m;
    int pos = start;
    QCOMPARE(BreakTategakiLine(m, text, int(text.size()), pos, maxExtent, hangExtent, 2), count);
    QCOMPARE(pos, next);
}

void tst_TategakiLayout::everyUnitLandsInOneColumn()
{
    // Random texts of kana, marks, half-width units and line breaks in boxes
    // of random length: every call moves on, no column holds a CR, and every
    // unit is drawn exactly once unless it is a CR or the unit after one.
    const QString alphabet = QStringLiteral("あいかーっ。、」「（）ｱA!$\r\n");
    std::mt19937 gen(20240601);
    FixedMeasurer m(16, 8);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(gen() % 30);
        for (int i = 0; i < length; ++i)
            text += alphabet[int(gen() % alphabet.size())];
        const int hang = int(gen() % 120);
        const int margin = int(gen() % 40) - 5;
        const int level = int(gen() % 3);

        std::vector<int> drawn(text.size(), 0);
        std::vector<bool> lineBreak(text.size(), false);
        for (int i = 0; i < text.size(); ++i)
            if (text[i] == QLatin1Char('\r')) { // a CR and whatever follows it
                lineBreak[i] = true;
                if (i + 1 < text.size())
                    lineBreak[++i] = true;
            }
        int pos = 0;
        while (pos < text.size()) {
            const int start = pos;
            const int count = BreakTategakiLine(m, text, int(text.size()), pos, hang - margin, hang, level);
            QVERIFY2(pos > start, qPrintable(text));
            QVERIFY(count >= 0 && start + count <= text.size());
            QCOMPARE(count == 0, text[start] == QLatin1Char('\r'));
            for (int i = start; i < start + count; ++i) {
                QVERIFY2(text[i] != QLatin1Char('\r'), qPrintable(text));
                ++drawn[i];
            }
        }
        for (int i = 0; i < text.size(); ++i)
            QVERIFY2(drawn[i] == (lineBreak[i] ? 0 : 1),
                     qPrintable(QStringLiteral("%1 at %2").arg(QString(text).replace(QLatin1Char('\r'), QLatin1Char('R'))
                                                                   .replace(QLatin1Char('\n'), QLatin1Char('N')))
                                    .arg(i)));
    }
}

void tst_TategakiLayout::countTategakiLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty, multi-line") << QString() << true << 0;
    QTest::newRow("empty, single line") << QString() << false << 1;
    QTest::newRow("long, single line") << QStringLiteral("あいうえおかきくけこさしすせ") << false << 1;
    QTest::newRow("long, multi-line") << QStringLiteral("あいうえおかきくけこさしすせ") << true << 3;
    QTest::newRow("three CR LF columns") << crlf(QStringLiteral("あ\\r\\nい\\r\\nう")) << true << 3;
}

void tst_TategakiLayout::countTategakiLines()
{
    QFETCH(QString, text);
    QFETCH(bool, multiLine);
    QFETCH(int, expected);
    FixedMeasurer m;
    TTategakiTextParams p;
    p.MultiLine = multiLine;
    QCOMPARE(CountTategakiLines(m, text, int(text.size()), TRect{0, 0, 57, 105}, p), expected);
}

void tst_TategakiLayout::cardCaption()
{
    // The card's text box: 57 x 105, LineMargin 2, no hanging, centred.
    FixedMeasurer m;
    TTategakiTextParams p;
    p.Alignment = taCenter;
    p.Layout = tlCenter;
    p.MultiLine = true;
    p.LineMargin = 2;
    const QString text = QStringLiteral("わかころもてはつゆにぬれつつ");
    const TRect box{4, 4, 61, 109};
    const TategakiLayout layout = LayoutTategakiText(m, text, box, p);
    QCOMPARE(layout.columns.size(), 3u);
    QCOMPARE(layout.columns[0].count, 6);
    QCOMPARE(layout.columns[1].count, 6);
    QCOMPARE(layout.columns[2].count, 2);
    // Block 3 x 18 - 2 = 52 wide, centred: first right edge (4 + 61 + 52) / 2.
    QCOMPARE(layout.columns[0].x, 58);
    QCOMPARE(layout.columns[1].x, 40);
    QCOMPARE(layout.columns[2].x, 22);
    // Each column centred along the box: (105 - 96) / 2 and (105 - 32) / 2.
    QCOMPARE(layout.columns[0].y, 4 + 4);
    QCOMPARE(layout.columns[2].y, 4 + 36);
    p.MeasureOnly = true;
    QCOMPARE(MeasureTategakiText(m, text, box, p), (TRect{61 - 52, 4, 61, 109}));
}

void tst_TategakiLayout::placement_data()
{
    QTest::addColumn<bool>("tategaki");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<QList<int>>("across"); // right edges (vertical) or tops (horizontal)
    const QRect box(10, 20, 100, 50); // TRect 10, 20, 110, 70
    // Three columns of 16 with LineMargin 3: block 3 * 19 - 3 = 54.
    QTest::newRow("vertical, flush right") << true << int(tlTop) << box << QList<int>{110, 91, 72};
    QTest::newRow("vertical, centred") << true << int(tlCenter) << box << QList<int>{87, 68, 49};
    QTest::newRow("vertical, flush left") << true << int(tlBottom) << box << QList<int>{64, 45, 26};
    QTest::newRow("vertical, centred, odd sum truncates toward zero")
        << true << int(tlCenter) << QRect(-101, 0, 41, 50) << QList<int>{-53, -72, -91};
    // Horizontal: box 100 x 200 so three lines of text need breaking.
    QTest::newRow("horizontal, top") << false << int(tlTop) << QRect(10, 20, 50, 200) << QList<int>{20, 39, 58};
    QTest::newRow("horizontal, centred") << false << int(tlCenter) << QRect(10, 20, 50, 200)
                                         << QList<int>{93, 112, 131};
    QTest::newRow("horizontal, bottom") << false << int(tlBottom) << QRect(10, 20, 50, 200)
                                        << QList<int>{166, 185, 204};
}

void tst_TategakiLayout::placement()
{
    QFETCH(bool, tategaki);
    QFETCH(int, layout);
    QFETCH(QRect, box);
    QFETCH(QList<int>, across);
    FixedMeasurer m;
    TTategakiTextParams p;
    p.MultiLine = true;
    p.LineMargin = 3;
    p.Tategaki = tategaki;
    p.Layout = static_cast<TTextLayout>(layout);
    const QString text = QStringLiteral("あいう\r\nかきく\r\nさしす");
    const TRect r = TRect::fromQRect(box);
    const TategakiLayout result = LayoutTategakiText(m, text, r, p);
    QCOMPARE(result.columns.size(), size_t(across.size()));
    for (int i = 0; i < across.size(); ++i) {
        const TategakiColumn &c = result.columns[i];
        QCOMPARE(tategaki ? c.x : c.y, across[i]);
        QCOMPARE(tategaki ? c.y : c.x, tategaki ? r.Top : r.Left);
    }
}

void tst_TategakiLayout::alignmentAlongColumn_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("offset");
    // 3 units (48 px) in a 105-high box.
    QTest::newRow("top") << int(taLeftJustify) << 0 << 0;
    QTest::newRow("bottom") << int(taRightJustify) << 0 << 57;
    QTest::newRow("centre truncates") << int(taCenter) << 0 << 28;
    QTest::newRow("bottom uses the whole length, not MaxExtent") << int(taRightJustify) << 20 << 57;
}

void tst_TategakiLayout::alignmentAlongColumn()
{
    QFETCH(int, alignment);
    QFETCH(int, margin);
    QFETCH(int, offset);
    FixedMeasurer m;
    TTategakiTextParams p;
    p.MultiLine = true;
    p.Alignment = static_cast<TAlignment>(alignment);
    p.KinsokuMargin = margin;
    const TategakiLayout layout = LayoutTategakiText(m, QStringLiteral("あいう"), TRect{0, 0, 57, 105}, p);
    QCOMPARE(layout.columns.size(), 1u);
    QCOMPARE(layout.columns[0].y, offset);
    QCOMPARE(layout.columns[0].offsets, (std::vector<int>{0, 16, 32, 48}));
}

void tst_TategakiLayout::justification_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("boxHeight");
    QTest::addColumn<int>("margin");
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QList<int>>("firstColumn"); // offsets of the first column's units and its end

    QTest::newRow("6 units, 9 px free: 1, 2, 2, 2, 2")
        << QStringLiteral("あいうえおかきく") << 105 << 0 << true << int(taLeftJustify)
        << QList<int>{0, 17, 35, 53, 71, 89, 105};
    QTest::newRow("even share") << QStringLiteral("あいうえおかきく") << 106 << 0 << true << int(taLeftJustify)
                                << QList<int>{0, 18, 36, 54, 72, 90, 106};
    QTest::newRow("free room measured to MaxExtent")
        << QStringLiteral("あいうえおかきく") << 110 << 10 << true << int(taLeftJustify)
        << QList<int>{0, 16, 33, 50, 67, 84, 100};
    QTest::newRow("last column stays unspaced") << QStringLiteral("あいう") << 105 << 0 << true << int(taLeftJustify)
                                                << QList<int>{0, 16, 32, 48};
    QTest::newRow("column ended by CR LF stays unspaced")
        << crlf(QStringLiteral("あいう\\r\\nえお")) << 105 << 0 << true << int(taLeftJustify)
        << QList<int>{0, 16, 32, 48};
    QTest::newRow("hung full stop before CR LF stays unspaced")
        << crlf(QStringLiteral("あいうえお。\\r\\nか")) << 100 << 10 << true << int(taLeftJustify)
        << QList<int>{0, 16, 32, 48, 64, 80, 96};
    QTest::newRow("single line is never spaced") << QStringLiteral("あいうえおかきく") << 200 << 0 << false
                                                 << int(taLeftJustify) << QList<int>{0, 16, 32, 48, 64, 80, 96, 112, 128};
    QTest::newRow("centred columns are not spaced")
        << QStringLiteral("あいうえおかきく") << 105 << 0 << true << int(taCenter)
        << QList<int>{0, 16, 32, 48, 64, 80, 96};
    QTest::newRow("half-width units share the room")
        << QStringLiteral("abcdefghijklmn") << 107 << 0 << true << int(taLeftJustify)
        << QList<int>{0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 81, 90, 99, 107};
}

void tst_TategakiLayout::justification()
{
    QFETCH(QString, text);
    QFETCH(int, boxHeight);
    QFETCH(int, margin);
    QFETCH(bool, multiLine);
    QFETCH(int, alignment);
    QFETCH(QList<int>, firstColumn);
    FixedMeasurer m;
    TTategakiTextParams p;
    p.MultiLine = multiLine;
    p.KinsokuMargin = margin;
    p.Alignment = static_cast<TAlignment>(alignment);
    const TategakiLayout layout = LayoutTategakiText(m, text, TRect{0, 0, 57, boxHeight}, p);
    QVERIFY(!layout.columns.empty());
    const TategakiColumn &c = layout.columns[0];
    QCOMPARE(QList<int>(c.offsets.begin(), c.offsets.end()), firstColumn);
    QCOMPARE(c.justified, firstColumn.back() != c.extent);
}

void tst_TategakiLayout::measure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<bool>("tategaki");
    QTest::addColumn<int>("lineMargin");
    QTest::addColumn<QRect>("expected"); // from TRect 100, 10, 157, 115
    const QString text = QStringLiteral("あいうえおかきくけこさしすせ");
    QTest::newRow("multi-line vertical keeps right edge and length")
        << text << true << true << 2 << QRect(QPoint(157 - 52, 10), QPoint(156, 114));
    QTest::newRow("multi-line horizontal: height of 5 lines of 3")
        << text << true << false << 2 << QRect(QPoint(100, 10), QPoint(156, 10 + 5 * 18 - 2 - 1));
    QTest::newRow("single line vertical: one column, whole advance")
        << text << false << true << 2 << QRect(157 - 16, 10, 16, 14 * 16);
    QTest::newRow("single line horizontal") << QStringLiteral("abcあ") << false << false << 2
                                            << QRect(100, 10, 40, 16);
    QTest::newRow("empty multi-line: minus one LineMargin")
        << QString() << true << true << 3 << QRect(QPoint(160, 10), QPoint(156, 114));
}

void tst_TategakiLayout::measure()
{
    QFETCH(QString, text);
    QFETCH(bool, multiLine);
    QFETCH(bool, tategaki);
    QFETCH(int, lineMargin);
    QFETCH(QRect, expected);
    FixedMeasurer m;
    TTategakiTextParams p;
    p.MultiLine = multiLine;
    p.Tategaki = tategaki;
    p.LineMargin = lineMargin;
    p.MeasureOnly = true;
    const TRect r = MeasureTategakiText(m, text, TRect{100, 10, 157, 115}, p);
    QCOMPARE(r, TRect::fromQRect(expected));
}

void tst_TategakiLayout::trailingFirstByte()
{
    // "あきの" and the first byte of "た": the three complete characters stay.
    const QByteArray bytes("\x82\xA0\x82\xAB\x82\xCC\x82");
    const QString units = TategakiUnits(bytes);
    QCOMPARE(units, QStringLiteral("あきの"));
    FixedMeasurer m;
    TTategakiTextParams p;
    p.MultiLine = true;
    const TategakiLayout layout = LayoutTategakiText(m, units, TRect{0, 0, 17, 337}, p);
    QCOMPARE(layout.columns.size(), 1u);
    QCOMPARE(layout.columns[0].count, 3);
    QCOMPARE(layout.columns[0].x, 17);
    QVERIFY(!layout.columns[0].justified);
}

QTEST_GUILESS_MAIN(tst_TategakiLayout)
#include "tst_tategakilayout.moc"
