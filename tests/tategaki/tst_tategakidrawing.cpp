// Drawing through rendered pixels: upright glyphs in their cells, turned
// half-width runs, vertical forms, columns from right to left, the emboss.
#include <QtTest>

#include <QPainter>

#include "fontcheck.h"
#include "pixels.h"
#include "platform/sjis.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "tategaki/engine.h"

using namespace tategaki;
namespace fonts = platform::fonts;
namespace colors = platform::colors;

namespace {

const QColor kPaper(255, 255, 255);

QFont bigFont(const QString &face = fonts::MSGothic)
{
    QFont f = fonts::font(QStringLiteral("@") + face, 64);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

// Draws `text` in a 100 x 300 box of a 320 x 320 white image.
QImage render(const QString &text, bool tategaki = true, bool multiLine = false, const QFont &font = bigFont())
{
    QImage image(320, 320, QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    TRect r{200, 10, 300, 310};
    if (!tategaki)
        r = {10, 10, 310, 110};
    TTategakiTextParams params;
    params.Tategaki = tategaki;
    params.MultiLine = multiLine;
    DrawTategakiText(p, r, platform::sjis::encode(text), params);
    return image;
}

} // namespace

class tst_TategakiDrawing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void uprightGlyphStaysInItsCell_data();
    void uprightGlyphStaysInItsCell();
    void halfWidthRunLiesOnItsSide();
    void prolongedSoundMarkStandsVertical();
    void fullStopSitsTopRight();
    void columnsRunRightToLeft();
    void disabledTextIsEmbossed();
    void measureOnlyDrawsNothing();
    void trailingFirstByteDrawsTheCompleteCharacters();
    void singleLineStartingWithLineBreakIsDrawn();
    void penColourIsUsed();
};

void tst_TategakiDrawing::initTestCase()
{
    fonts::installSubstitutes();
}

void tst_TategakiDrawing::uprightGlyphStaysInItsCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cell");
    QTest::newRow("first cell") << QStringLiteral("あ") << 0;
    QTest::newRow("third cell") << QStringLiteral("　　葉") << 2;
    QTest::newRow("after half-width units") << QStringLiteral("ab琴") << 1; // 2 x 32 = one 64-px cell
}

void tst_TategakiDrawing::uprightGlyphStaysInItsCell()
{
    REQUIRE_IPA_FONTS();
    QFETCH(QString, text);
    QFETCH(int, cell);
    const QImage image = render(text);
    // The column is 64 wide with its right edge at 300; cell k spans
    // 10 + 64k .. 10 + 64(k + 1).
    const QRect cellRect(236, 10 + 64 * cell, 64, 64);
    const QRect ink = inkBox(image, kPaper, cellRect);
    QVERIFY(!ink.isEmpty());
    // Nothing spills sideways or into the cell below.
    QCOMPARE(inkBox(image, kPaper, QRect(220, 10 + 64 * cell, 100, 80)), ink);
    // Upright: a kana or kanji is about as tall as wide, and roughly centred.
    QVERIFY(ink.width() > 32 && ink.height() > 32);
    QVERIFY(qAbs(ink.center().x() - cellRect.center().x()) < 8);
}

void tst_TategakiDrawing::halfWidthRunLiesOnItsSide()
{
    REQUIRE_IPA_FONTS();
    const QImage vertical = render(QStringLiteral("ABCD"));
    const QImage horizontal = render(QStringLiteral("ABCD"), false);
    const QRect v = inkBox(vertical, kPaper);
    const QRect h = inkBox(horizontal, kPaper);
    QVERIFY(h.width() > 2 * h.height()); // premise: the run is long and low
    // Turned 90 degrees: the same run, standing in the column.
    QCOMPARE(v.width(), h.height());
    QCOMPARE(v.height(), h.width());
    QVERIFY(v.left() >= 236 && v.right() < 300);
    // Clockwise: "A" comes first, at the top, and the letters' tops face
    // right: the horizontal image turned clockwise is the vertical one.
    QTransform cw;
    cw.rotate(90);
    const QImage turned = horizontal.copy(h).transformed(cw);
    const QImage standing = vertical.copy(v);
    int same = 0, ink = 0;
    for (int y = 0; y < standing.height(); ++y)
        for (int x = 0; x < standing.width(); ++x) {
            const bool a = standing.pixel(x, y) != kPaper.rgb();
            const bool b = turned.pixel(x, y) != kPaper.rgb();
            ink += a || b;
            same += a && b;
        }
    QVERIFY2(same > ink * 9 / 10, "the vertical run is not the horizontal one turned clockwise");
}

void tst_TategakiDrawing::prolongedSoundMarkStandsVertical()
{
    REQUIRE_IPA_FONTS();
    const QRect v = inkBox(render(QStringLiteral("ー")), kPaper);
    const QRect h = inkBox(render(QStringLiteral("ー"), false), kPaper);
    QVERIFY(h.width() > 3 * h.height());
    QVERIFY2(v.height() > 3 * v.width(), "no vertical form for ー");
}

void tst_TategakiDrawing::fullStopSitsTopRight()
{
    REQUIRE_IPA_FONTS();
    const QRect cell(236, 10, 64, 64);
    const QRect v = inkBox(render(QStringLiteral("。")), kPaper);
    QVERIFY(cell.contains(v));
    QVERIFY2(v.center().x() > cell.center().x() && v.center().y() < cell.center().y(),
             "the vertical full stop belongs in the upper right");
    const QRect h = inkBox(render(QStringLiteral("。"), false), kPaper);
    QVERIFY(h.center().x() < 10 + 32 && h.center().y() > 10 + 32); // premise: horizontal lower left
}

void tst_TategakiDrawing::columnsRunRightToLeft()
{
    REQUIRE_IPA_FONTS();
    const QImage image = render(QStringLiteral("あ\r\nい"), true, true);
    const QRect first = inkBox(image, kPaper, QRect(236, 0, 64, 320));
    const QRect second = inkBox(image, kPaper, QRect(172, 0, 64, 320));
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    QCOMPARE(first.top() < 10 + 64, true);
    QCOMPARE(second.top() < 10 + 64, true);
    // "あ" on the right; "い" differs from it.
    const QImage a = render(QStringLiteral("あ"));
    QCOMPARE(image.copy(236, 0, 64, 320), a.copy(236, 0, 64, 320));
}

void tst_TategakiDrawing::disabledTextIsEmbossed()
{
    REQUIRE_IPA_FONTS();
    const QColor grey(100, 100, 100);
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(grey);
    QPainter p(&image);
    p.setPen(Qt::black);
    TRect r{50, 10, 150, 190};
    TTategakiTextParams params;
    DrawTategakiTextState(p, bigFont(), platform::sjis::encode(QStringLiteral("あ")), false, params, r);
    p.end();
    QCOMPARE(r, (TRect{50, 10, 150, 190}));
    QCOMPARE(countPixels(image, Qt::black), 0);

    // The shadow copy is the enabled drawing in clBtnShadow; the light copy
    // shows one pixel down and right of it.
    QImage enabled(200, 200, QImage::Format_RGB32);
    enabled.fill(grey);
    QPainter q(&enabled);
    q.setPen(Qt::black);
    DrawTategakiTextState(q, bigFont(), platform::sjis::encode(QStringLiteral("あ")), true, params, r);
    q.end();
    int shadowOnGlyph = 0, glyph = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            if (enabled.pixel(x, y) != QColor(Qt::black).rgb())
                continue;
            ++glyph;
            shadowOnGlyph += image.pixel(x, y) == colors::clBtnShadow.rgb();
            // Where the glyph ends down-right, the highlight copy shows.
            if (x + 1 < 200 && y + 1 < 200 && enabled.pixel(x + 1, y + 1) != QColor(Qt::black).rgb())
                QCOMPARE(image.pixel(x + 1, y + 1), colors::clBtnHighlight.rgb());
        }
    QVERIFY(glyph > 50);
    QCOMPARE(shadowOnGlyph, glyph);
}

void tst_TategakiDrawing::measureOnlyDrawsNothing()
{
    REQUIRE_IPA_FONTS();
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter p(&image);
    p.setFont(fonts::font(QStringLiteral("@") + fonts::MSMincho, 16, true));
    TRect r{10, 0, 67, 105};
    TTategakiTextParams params;
    params.MultiLine = true;
    params.LineMargin = 2;
    params.MeasureOnly = true;
    DrawTategakiText(p, r, platform::sjis::encode(QStringLiteral("わかころもてはつゆにぬれつつ")), params);
    p.end();
    QCOMPARE(r, (TRect{67 - 52, 0, 67, 105}));
    QVERIFY(inkBox(image, kPaper).isEmpty());
}

void tst_TategakiDrawing::trailingFirstByteDrawsTheCompleteCharacters()
{
    REQUIRE_IPA_FONTS();
    auto draw = [](const QByteArray &bytes) {
        QImage image(40, 200, QImage::Format_RGB32);
        image.fill(kPaper);
        QPainter p(&image);
        p.setFont(fonts::font(QStringLiteral("@") + fonts::System, 19, true));
        p.setPen(Qt::black);
        TRect r{0, 0, 17, 180};
        TTategakiTextParams params;
        params.MultiLine = true;
        DrawTategakiText(p, r, bytes, params);
        return image;
    };
    const QByteArray whole = platform::sjis::encode(QStringLiteral("あきの"));
    const QImage complete = draw(whole);
    QVERIFY(!inkBox(complete, kPaper).isEmpty());
    QCOMPARE(draw(whole + "\x82"), complete);
}

void tst_TategakiDrawing::singleLineStartingWithLineBreakIsDrawn()
{
    REQUIRE_IPA_FONTS();
    const QImage image = render(QStringLiteral("\r\nあ"));
    // CR LF take no room; the character still shows, in the first cell.
    QCOMPARE(image, render(QStringLiteral("あ")));
}

void tst_TategakiDrawing::penColourIsUsed()
{
    REQUIRE_IPA_FONTS();
    QImage image(320, 320, QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter p(&image);
    p.setFont(bigFont());
    p.setPen(colors::clRed);
    TRect r{200, 10, 300, 310};
    DrawTategakiText(p, r, platform::sjis::encode(QStringLiteral("赤A")), TTategakiTextParams{});
    p.end();
    QVERIFY(countPixels(image, colors::clRed) > 100);
    QCOMPARE(countPixels(image, Qt::black), 0);
}

QTEST_MAIN(tst_TategakiDrawing)
#include "tst_tategakidrawing.moc"
