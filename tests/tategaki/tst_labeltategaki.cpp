// The vertical label: property effects, AutoSize, the paint path through
// PaintMixed, events, and the reading labels' byte-by-byte captions.
#include <QtTest>

#include <QPainter>
#include <QPrinter>

#include "fontcheck.h"
#include "panels.h"
#include "platform/sjis.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/labeltategaki.h"

using namespace tategaki;
namespace fonts = platform::fonts;
namespace colors = platform::colors;

namespace {

QByteArray sjis(const QString &s)
{
    return platform::sjis::encode(s);
}

QFont verseFont(int px = 19)
{
    QFont f = fonts::font(QStringLiteral("@") + fonts::MSGothic, px, true);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

// Records the mix level each paint computes.
class ProbeLabel : public TLabelTategaki {
public:
    using TLabelTategaki::TLabelTategaki;
    int lastLevel = -1;

protected:
    void Paint(QPainter &Canvas) override
    {
        lastLevel = MixLevel(Canvas);
        TLabelTategaki::Paint(Canvas);
    }
};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class tst_LabelTategaki : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newLabel();
    void autoSize_data();
    void autoSize();
    void layoutChangesRepaintWithoutResizing();
    void kinsokuMarginRange_data();
    void kinsokuMarginRange();
    void boundsStayWhileLoadingOrWithoutAutoSize();
    void fontChangeResizes();

    void opaqueDeclaration();
    void trnsIndexAbove7IsIgnored();
    void printerCanvasPaintsDirectly();
    void mouseEnterAndLeave();
    void clicks();

    void readingLabelCutsTheColumnOnTheLeft();
    void appendingBytesFillsTheColumnFromTheTop();
    void captionChangeRepaintsOnlyTheLabel();
    void getLabelTextHookReplacesTheDrawnText();
    void disabledLabelIsEmbossed();
    void backgroundFollowsTransparentAndParentColor();

private:
    QWidget *window = nullptr;
    TLabelTategaki *label = nullptr;
};

void tst_LabelTategaki::initTestCase()
{
    fonts::installSubstitutes();
}

void tst_LabelTategaki::init()
{
    window = new QWidget;
    window->resize(400, 400);
    label = new TLabelTategaki(window);
    label->setFont(verseFont());
}

void tst_LabelTategaki::cleanup()
{
    delete window;
    window = nullptr;
    label = nullptr;
}

void tst_LabelTategaki::newLabel()
{
    QWidget parent;
    QFont f = parent.font();
    f.setPixelSize(23);
    parent.setFont(f);
    TLabelTategaki fresh(&parent);
    QCOMPARE(fresh.size(), QSize(23, 128));
    QVERIFY(fresh.AutoSize());
    QVERIFY(fresh.Tategaki());
    QVERIFY(!fresh.MultiLine());
    QCOMPARE(fresh.Alignment(), taLeftJustify);
    QCOMPARE(fresh.Layout(), tlTop);
    QCOMPARE(fresh.TextParams().KinsokuLevel, 2);
}

void tst_LabelTategaki::layoutChangesRepaintWithoutResizing()
{
    REQUIRE_IPA_FONTS();
    label->setMultiLine(true);
    label->setLineMargin(2);
    label->setGeometry(200, 10, 19, 120);
    label->setCaption(sjis(QStringLiteral("あいうえおかきくけこさしすせそ")));
    const QRect before = label->geometry();
    label->setLineMargin(6);
    label->setMultiLine(false);
    label->setMultiLine(true);
    label->setAlignment(taCenter);
    label->setLayout(tlCenter);
    QCOMPARE(label->geometry(), before);
    label->setCaption(sjis(QStringLiteral("あいうえおかきくけこさしすせそた")));
    QCOMPARE(label->geometry(), QRect(219 - (3 * 25 - 6), 10, 3 * 25 - 6, 120));
}

void tst_LabelTategaki::kinsokuMarginRange_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("stored");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("100") << 100 << 100;
    QTest::newRow("-1 ignored") << -1 << 7;
    QTest::newRow("101 ignored") << 101 << 7;
}

void tst_LabelTategaki::kinsokuMarginRange()
{
    QFETCH(int, value);
    QFETCH(int, stored);
    label->setKinsokuMargin(7);
    label->setKinsokuMargin(value);
    QCOMPARE(label->KinsokuMargin(), stored);
}

void tst_LabelTategaki::autoSize_data()
{
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<bool>("tategaki");
    QTest::addColumn<int>("lineMargin");    // -1: left as it is
    QTest::addColumn<int>("kinsokuMargin"); // -1: left as it is
    QTest::addColumn<QRect>("start");
    QTest::addColumn<QStringList>("captions"); // set in turn
    QTest::addColumn<QRect>("expected");
    const QRect small(100, 50, 30, 40), column(200, 10, 19, 120); // a column holds 6 characters of 19 px
    const QString fifteen = QStringLiteral("あいうえおかきくけこさしすせそ");
    QTest::newRow("vertical: one column, right and top kept")
        << false << true << -1 << -1 << small << QStringList{"あいう"} << QRect(130 - 19, 50, 19, 57);
    QTest::newRow("vertical, with half-width")
        << false << true << -1 << -1 << small << QStringList{"あA1"} << QRect(130 - 19, 50, 19, 19 + 10 + 10);
    QTest::newRow("horizontal: left and top kept")
        << false << false << -1 << -1 << small << QStringList{"あいう"} << QRect(100, 50, 57, 19);
    QTest::newRow("multi-line grows leftward")
        << true << true << 2 << -1 << column << QStringList{fifteen} << QRect(219 - 61, 10, 61, 120);
    QTest::newRow("multi-line shrinks back to the right edge")
        << true << true << 2 << -1 << column << QStringList{fifteen, "あいうえおか"} << QRect(219 - 19, 10, 19, 120);
    // 12 characters: two columns of 6 without the kinsoku margin (three with it).
    QTest::newRow("kinsoku margin does not widen")
        << true << true << -1 << 10 << column << QStringList{"あいうえおかきくけこさし"} << QRect(219 - 38, 10, 38, 120);
    QTest::newRow("empty multi-line caption has no width")
        << true << true << 3 << -1 << small << QStringList{"あ", ""} << QRect(130, 50, 0, 40);
    QTest::newRow("one character after an empty caption")
        << true << true << 3 << -1 << small << QStringList{"あ", "", "あ"} << QRect(130 - 19, 50, 19, 40);
}

void tst_LabelTategaki::autoSize()
{
    QFETCH(bool, multiLine);
    QFETCH(bool, tategaki);
    QFETCH(int, lineMargin);
    QFETCH(int, kinsokuMargin);
    QFETCH(QRect, start);
    QFETCH(QStringList, captions);
    // One full-width character is one cell in any face; longer runs need the real glyphs.
    if (std::any_of(captions.begin(), captions.end(), [](const QString &c) { return c.size() > 1; }))
        REQUIRE_IPA_FONTS();
    label->setMultiLine(multiLine);
    label->setTategaki(tategaki);
    if (lineMargin >= 0)
        label->setLineMargin(lineMargin);
    if (kinsokuMargin >= 0)
        label->setKinsokuMargin(kinsokuMargin);
    label->setGeometry(start);
    for (const QString &c : captions)
        label->setCaption(sjis(c));
    QTEST(label->geometry(), "expected");
    if (kinsokuMargin >= 0)
        QCOMPARE(label->TextParams().KinsokuMargin, kinsokuMargin);
}

void tst_LabelTategaki::boundsStayWhileLoadingOrWithoutAutoSize()
{
    label->setGeometry(100, 50, 30, 40);
    label->setLoading(true);
    label->setCaption(sjis(QStringLiteral("あいう")));
    label->setFont(verseFont(16));
    QCOMPARE(label->geometry(), QRect(100, 50, 30, 40));
    label->setLoading(false);
    QCOMPARE(label->geometry(), QRect(100, 50, 30, 40));
    label->setAutoSize(false);
    label->setCaption(sjis(QStringLiteral("あいうえ")));
    label->setTategaki(false);
    QCOMPARE(label->geometry(), QRect(100, 50, 30, 40));
    label->setAutoSize(true); // turning AutoSize on fits at once
    QCOMPARE(label->geometry(), QRect(100, 50, 64, 16));
}

void tst_LabelTategaki::fontChangeResizes()
{
    REQUIRE_IPA_FONTS();
    label->setGeometry(100, 50, 30, 40);
    label->setCaption(sjis(QStringLiteral("あいう")));
    QCOMPARE(label->geometry(), QRect(130 - 19, 50, 19, 57));
    label->setFont(verseFont(16));
    QCOMPARE(label->geometry(), QRect(130 - 16, 50, 16, 48));
}

void tst_LabelTategaki::opaqueDeclaration()
{
    QVERIFY(label->IsOpaque());
    QVERIFY(label->testAttribute(Qt::WA_OpaquePaintEvent));
    QVERIFY(!label->autoFillBackground());
    label->setTransparent(true);
    QVERIFY(!label->IsOpaque());
    QVERIFY(!label->testAttribute(Qt::WA_OpaquePaintEvent));
    label->setTransparent(false);
    QVERIFY(label->testAttribute(Qt::WA_OpaquePaintEvent));
    label->setTrnsIndex(3);
    QVERIFY(!label->IsOpaque());
    QVERIFY(!label->testAttribute(Qt::WA_OpaquePaintEvent));
    label->setTrnsIndex(0);
    QVERIFY(label->testAttribute(Qt::WA_OpaquePaintEvent));
}

void tst_LabelTategaki::trnsIndexAbove7IsIgnored()
{
    label->setTrnsIndex(7);
    label->setTrnsIndex(8);
    QCOMPARE(label->TrnsIndex(), TTrnsIndex(7));
}

void tst_LabelTategaki::printerCanvasPaintsDirectly()
{
    ProbeLabel probe(window);
    probe.setCaption(sjis(QStringLiteral("あ")));
    probe.setTrnsIndex(5);
    probe.grab();
    QCOMPARE(probe.lastLevel, 5);

    QTemporaryDir dir;
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("label.pdf")));
    {
        QPainter onPrinter(&printer);
        QVERIFY(TCustomTategaki::IsPrinterCanvas(onPrinter));
        probe.PaintTo(onPrinter);
        QCOMPARE(probe.lastLevel, 0);
        probe.setTrnsPrint(true);
        probe.PaintTo(onPrinter);
        QCOMPARE(probe.lastLevel, 5);

        // Level 0 runs the drawing procedure itself, on the painter given.
        int calls = 0;
        probe.PaintMixed(onPrinter, [&](TCustomTategaki *control, QPainter &canvas) {
            ++calls;
            QCOMPARE(control, &probe);
            QCOMPARE(&canvas, &onPrinter);
        }, 0);
        QCOMPARE(calls, 1);
    }
    QImage screen(10, 10, QImage::Format_RGB32);
    QPainter onScreen(&screen);
    QVERIFY(!TCustomTategaki::IsPrinterCanvas(onScreen));
}

void tst_LabelTategaki::mouseEnterAndLeave()
{
    QList<QString> seen;
    label->OnMouseEnter = [&](QObject *sender) {
        QCOMPARE(sender, label);
        seen << QStringLiteral("enter");
    };
    label->OnMouseLeave = [&](QObject *sender) {
        QCOMPARE(sender, label);
        seen << QStringLiteral("leave");
    };
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(label, &enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(label, &leave);
    QCOMPARE(seen, (QList<QString>{QStringLiteral("enter"), QStringLiteral("leave")}));
}

void tst_LabelTategaki::clicks()
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    label->setAutoSize(false);
    label->setGeometry(10, 10, 20, 100);
    int clicks = 0, doubles = 0, downs = 0;
    label->OnClick = [&](QObject *) { ++clicks; };
    label->OnDblClick = [&](QObject *) { ++doubles; };
    label->OnMouseDown = [&](QObject *, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        ++downs;
        QCOMPARE(b, Qt::LeftButton);
        QCOMPARE(QPoint(x, y), QPoint(5, 5));
    };
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks, 1);
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(50, 5));
    QCOMPARE(clicks, 1); // released outside
    QTest::mouseDClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(doubles, 1);
    QVERIFY(downs >= 3);
}

void tst_LabelTategaki::readingLabelCutsTheColumnOnTheLeft()
{
    REQUIRE_IPA_FONTS();
    // lt1 of the S board: 17 x 337, "@System" 19 bold, multi-line.
    label->setAutoSize(false);
    label->setMultiLine(true);
    label->setColor(colors::clWhite);
    label->setGeometry(24, 8, 17, 337);
    const QByteArray kaminoku = sjis(QStringLiteral("あきのたのかりほのいほのとまをあらみ"));
    label->setCaption(kaminoku);
    const QImage shown = render(*label);

    // The same column drawn 19 wide: the label shows its right 17 pixels.
    QImage wide(19, 337, QImage::Format_RGB32);
    wide.fill(colors::clWhite);
    QPainter p(&wide);
    p.setPen(Qt::black);
    TTategakiTextParams params = label->TextParams();
    TRect r{0, 0, 19, 337};
    DrawTategakiTextState(p, label->font(), kaminoku, true, params, r);
    p.end();
    QCOMPARE(shown, wide.copy(2, 0, 17, 337));
    QVERIFY(!inkBox(shown, colors::clWhite).isEmpty());
}

void tst_LabelTategaki::appendingBytesFillsTheColumnFromTheTop()
{
    REQUIRE_IPA_FONTS();
    label->setAutoSize(false);
    label->setMultiLine(true);
    label->setColor(colors::clWhite);
    label->setGeometry(5, 43, 17, 305);
    const QByteArray verse = sjis(QStringLiteral("わかころもてはつゆにぬれつつ"));
    QImage previous;
    int previousBottom = -1;
    for (int tick = 1; tick <= verse.size(); ++tick) {
        label->setCaption(label->Caption() + verse.mid(tick - 1, 1));
        const QImage image = render(*label);
        const QRect ink = inkBox(image, colors::clWhite);
        if (tick % 2 == 1) {
            // A first byte alone changes nothing on screen.
            if (!previous.isNull())
                QCOMPARE(image, previous);
        } else {
            // One more character, right under the others: never spread.
            QVERIFY(ink.top() < 19);
            QVERIFY(ink.bottom() > previousBottom);
            QVERIFY(ink.bottom() < (tick / 2) * 19);
            previousBottom = ink.bottom();
        }
        previous = image;
    }
}

void tst_LabelTategaki::captionChangeRepaintsOnlyTheLabel()
{
    label->setAutoSize(false);
    label->setMultiLine(true);
    label->setGeometry(24, 8, 17, 337);
    TLabelTategaki *sibling = new TLabelTategaki(window);
    sibling->setGeometry(100, 8, 17, 337);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();

    PaintCounter onWindow, onLabel, onSibling;
    window->installEventFilter(&onWindow);
    label->installEventFilter(&onLabel);
    sibling->installEventFilter(&onSibling);
    for (char byte : sjis(QStringLiteral("あきの"))) {
        label->setCaption(label->Caption() + byte);
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(onLabel.paints > 0);
    QCOMPARE(onWindow.paints, 0);
    QCOMPARE(onSibling.paints, 0);
}

void tst_LabelTategaki::getLabelTextHookReplacesTheDrawnText()
{
    REQUIRE_IPA_FONTS();
    label->setColor(colors::clWhite);
    label->setCaption(sjis(QStringLiteral("あいう")));
    const QRect sized = label->geometry();
    TLabelTategaki plain(window);
    plain.setFont(verseFont());
    plain.setColor(colors::clWhite);
    plain.setAutoSize(false);
    plain.setGeometry(sized);
    plain.setCaption(sjis(QStringLiteral("かきく")));

    label->OnGetLabelText = [](TCustomLabelTategaki *, QByteArray &text) {
        QCOMPARE(text, sjis(QStringLiteral("あいう")));
        text = sjis(QStringLiteral("かきく"));
    };
    QCOMPARE(label->grab().toImage(), plain.grab().toImage());
    QCOMPARE(label->Caption(), sjis(QStringLiteral("あいう")));
    // The size follows the caption, never the hook.
    label->setCaption(sjis(QStringLiteral("あい")));
    QCOMPARE(label->height(), 38);
}

void tst_LabelTategaki::disabledLabelIsEmbossed()
{
    REQUIRE_IPA_FONTS();
    label->setColor(QColor(100, 100, 100));
    label->setCaption(sjis(QStringLiteral("あい")));
    label->setEnabled(false);
    const QImage image = render(*label);
    QCOMPARE(countPixels(image, Qt::black), 0);
    QVERIFY(countPixels(image, colors::clBtnShadow) > 20);
    QVERIFY(countPixels(image, colors::clBtnHighlight) > 5);
    label->setEnabled(true);
    const QImage enabled = render(*label);
    QCOMPARE(countPixels(enabled, colors::clBtnShadow), 0);
    QVERIFY(countPixels(enabled, Qt::black) > 20);
}

void tst_LabelTategaki::backgroundFollowsTransparentAndParentColor()
{
    auto *panel = plain(window, colors::clYellow, QRect(0, 0, 100, 200));
    auto *inPanel = new TLabelTategaki(panel);
    inPanel->setAutoSize(false);
    inPanel->setGeometry(10, 10, 30, 100);
    QCOMPARE(inPanel->Color(), colors::clYellow);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    auto corner = [&] {
        return window->grab(QRect(10, 10, 30, 100)).toImage().pixelColor(25, 90);
    };
    QCOMPARE(corner(), colors::clYellow);
    inPanel->setColor(colors::clNavy);
    QVERIFY(!inPanel->ParentColor());
    QCOMPARE(corner(), colors::clNavy);
    inPanel->setTransparent(true); // the panel shows through
    QCOMPARE(corner(), colors::clYellow);
}

QTEST_MAIN(tst_LabelTategaki)
#include "tst_labeltategaki.moc"
