// Shaping with the real IPA faces: orientation per character, vertical
// forms, advances, and that reading prefix extents from one shaping breaks
// exactly as measuring every prefix on its own would.
#include <QtTest>

#include "deck/poemtable.h"
#include "fontcheck.h"
#include "platform/gui/fonts.h"
#include "tategaki/engine.h"
#include "tategaki/shaper.h"

using namespace tategaki;
namespace fonts = platform::fonts;

namespace {

QFont cardFont()
{
    return fonts::font(QStringLiteral("@") + fonts::MSMincho, 16, true);
}

// Measures every prefix by shaping it on its own: the slow way the breaking
// rules are written in, as a reference.
class ReshapingMeasurer final : public TategakiMeasurer {
public:
    ReshapingMeasurer(const QFont &font, bool vertical) : shaper_(FontShaper::forFont(font)), vertical_(vertical),
                                                          size_(fontPixelSize(font)) {}
    int fontSize() const override { return size_; }
    void prefixExtents(QStringView run, std::vector<int> &out) override
    {
        out.assign(run.size() + 1, 0);
        for (qsizetype k = 1; k <= run.size(); ++k) {
            const ShapedRun r = shaper_->shape(run.first(k), vertical_);
            int sum = 0;
            for (int a : r.unitAdvances)
                sum += a;
            out[k] = sum;
        }
    }

private:
    std::shared_ptr<FontShaper> shaper_;
    bool vertical_;
    int size_;
};

QString columnsOf(TategakiMeasurer &m, const QString &text, const TRect &box, const TTategakiTextParams &p)
{
    QStringList parts;
    for (const TategakiColumn &c : LayoutTategakiText(m, text, box, p).columns)
        parts << QStringLiteral("%1@%2,%3").arg(text.mid(c.first, c.count)).arg(c.x).arg(c.y);
    return parts.join(QLatin1Char('|'));
}

} // namespace

class tst_TategakiShaping : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void orientation_data();
    void orientation();
    void verticalForms_data();
    void verticalForms();
    void advances_data();
    void advances();
    void prefixesOfOneShapingEqualReshaping();
    void cardsBreakAsWithFixedAdvances();
    void shaperIsSharedPerFontAndSize();
};

void tst_TategakiShaping::initTestCase()
{
    fonts::installSubstitutes();
    deck::PoemTable.fill();
}

void tst_TategakiShaping::orientation_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<bool>("upright");
    QTest::newRow("hiragana") << QStringLiteral("あ") << true;
    QTest::newRow("kanji") << QStringLiteral("葉") << true;
    QTest::newRow("ideographic space") << QStringLiteral("　") << true;
    QTest::newRow("full stop (Tu)") << QStringLiteral("。") << true;
    QTest::newRow("small tsu (Tu)") << QStringLiteral("っ") << true;
    QTest::newRow("full-width exclamation") << QStringLiteral("！") << true;
    QTest::newRow("prolonged sound mark (Tr, vertical form)") << QStringLiteral("ー") << true;
    QTest::newRow("corner bracket (Tr, vertical form)") << QStringLiteral("「") << true;
    QTest::newRow("full-width parenthesis (Tr)") << QStringLiteral("（") << true;
    QTest::newRow("full-width letter") << QStringLiteral("Ａ") << true;
    QTest::newRow("Latin letter") << QStringLiteral("A") << false;
    QTest::newRow("digit") << QStringLiteral("7") << false;
    QTest::newRow("space") << QStringLiteral(" ") << false;
    QTest::newRow("half-width katakana") << QStringLiteral("ｱ") << false;
    QTest::newRow("half-width prolonged mark") << QStringLiteral("ｰ") << false;
}

void tst_TategakiShaping::orientation()
{
    REQUIRE_IPA_FONTS();
    QFETCH(QString, character);
    QFETCH(bool, upright);
    const auto shaper = FontShaper::forFont(cardFont());
    const ShapedRun run = shaper->shape(character, true);
    QCOMPARE(run.glyphs.size(), 1u);
    QCOMPARE(run.glyphs[0].orientation == GlyphOrientation::Upright, upright);
    // Horizontal lines never turn anything.
    QCOMPARE(shaper->shape(character, false).glyphs[0].orientation, GlyphOrientation::Upright);
}

void tst_TategakiShaping::verticalForms_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("prolonged sound mark") << QStringLiteral("ー") << true;
    QTest::newRow("full stop") << QStringLiteral("。") << true;
    QTest::newRow("comma") << QStringLiteral("、") << true;
    QTest::newRow("opening bracket") << QStringLiteral("「") << true;
    QTest::newRow("closing bracket") << QStringLiteral("」") << true;
    QTest::newRow("small tsu") << QStringLiteral("っ") << true;
    QTest::newRow("hiragana keeps its glyph") << QStringLiteral("あ") << false;
    QTest::newRow("kanji keeps its glyph") << QStringLiteral("琴") << false;
}

void tst_TategakiShaping::verticalForms()
{
    REQUIRE_IPA_FONTS();
    QFETCH(QString, character);
    QFETCH(bool, replaced);
    const auto shaper = FontShaper::forFont(cardFont());
    const quint32 vertical = shaper->shape(character, true).glyphs.at(0).id;
    const quint32 horizontal = shaper->shape(character, false).glyphs.at(0).id;
    QCOMPARE(vertical != horizontal, replaced);
}

void tst_TategakiShaping::advances_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("vertical");
    QTest::addColumn<QList<int>>("horizontal");
    QTest::newRow("kana and marks") << QStringLiteral("あー。っ「") << QList<int>{16, 16, 16, 16, 16}
                                    << QList<int>{16, 16, 16, 16, 16};
    QTest::newRow("half-width keeps its narrow advance") << QStringLiteral("Aｱ1") << QList<int>{8, 8, 8}
                                                         << QList<int>{8, 8, 8};
    QTest::newRow("CR LF take no room") << QStringLiteral("あ\r\nい") << QList<int>{16, 0, 0, 16}
                                        << QList<int>{16, 0, 0, 16};
}

void tst_TategakiShaping::advances()
{
    REQUIRE_IPA_FONTS();
    QFETCH(QString, text);
    QFETCH(QList<int>, vertical);
    QFETCH(QList<int>, horizontal);
    const auto shaper = FontShaper::forFont(cardFont());
    const ShapedRun v = shaper->shape(text, true);
    const ShapedRun h = shaper->shape(text, false);
    QCOMPARE(QList<int>(v.unitAdvances.begin(), v.unitAdvances.end()), vertical);
    QCOMPARE(QList<int>(h.unitAdvances.begin(), h.unitAdvances.end()), horizontal);
}

void tst_TategakiShaping::prefixesOfOneShapingEqualReshaping()
{
    REQUIRE_IPA_FONTS();
    QStringList texts;
    for (int no = 1; no <= deck::kPoemCount; ++no)
        texts << deck::PoemTable[no].Kaminoku.text() << deck::PoemTable[no].Shimonoku.text();
    texts << QStringLiteral("Qt6とHarfBuzzで縦書き") << QStringLiteral("「ＡＢＣ」abc、ー～！ｶﾀｶﾅ");
    for (bool vertical : {true, false}) {
        for (const QFont &font : {cardFont(), fonts::font(QStringLiteral("@") + fonts::System, 19, true)}) {
            FontMeasurer once(font, vertical);
            ReshapingMeasurer every(font, vertical);
            for (const QString &text : texts) {
                std::vector<int> a, b;
                once.prefixExtents(text, a);
                every.prefixExtents(text, b);
                QVERIFY2(a == b, qPrintable(text));
            }
        }
    }
}

void tst_TategakiShaping::cardsBreakAsWithFixedAdvances()
{
    REQUIRE_IPA_FONTS();
    // IPAMincho advances by 16 and 8 at 16 px, so the card layouts must be
    // exactly those of the fixed measurer, and of measuring every prefix.
    TTategakiTextParams p;
    p.Alignment = taCenter;
    p.Layout = tlCenter;
    p.MultiLine = true;
    p.LineMargin = 2;
    const TRect box{4, 4, 61, 109};
    FontMeasurer real(cardFont(), true);
    ReshapingMeasurer slow(cardFont(), true);
    FixedMeasurer fixed(16, 8);
    for (int no = 1; no <= deck::kPoemCount; ++no) {
        const QString text = deck::PoemTable[no].Shimonoku.text();
        const QString expected = columnsOf(fixed, text, box, p);
        QCOMPARE(columnsOf(real, text, box, p), expected);
        QCOMPARE(columnsOf(slow, text, box, p), expected);
    }
    const QString mixed = QStringLiteral("Kotoha「琴葉」は、カルタの練習ソフトです。version 1.0");
    p.KinsokuMargin = 16;
    QCOMPARE(columnsOf(real, mixed, {0, 0, 200, 120}, p), columnsOf(fixed, mixed, {0, 0, 200, 120}, p));
}

void tst_TategakiShaping::shaperIsSharedPerFontAndSize()
{
    REQUIRE_IPA_FONTS();
    const auto a = FontShaper::forFont(cardFont());
    QCOMPARE(FontShaper::forFont(cardFont()).get(), a.get());
    QVERIFY(FontShaper::forFont(fonts::font(QStringLiteral("@") + fonts::MSMincho, 17, true)).get() != a.get());
    QCOMPARE(a->pixelSize(), 16);
    QVERIFY(a->ascent() > 10 && a->ascent() < 16);
}

QTEST_MAIN(tst_TategakiShaping)
#include "tst_tategakishaping.moc"
