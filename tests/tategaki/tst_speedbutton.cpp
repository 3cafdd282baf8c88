#include <QtTest>

#include <QPainter>
#include <QPainterPath>

#include <memory>

#include "panels.h"

#include "deck/poemtable.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/mix.h"
#include "tategaki/speedbuttontategaki.h"

using namespace tategaki;
namespace cl = platform::colors;

namespace {

// A widget that notes presses that reach it: what lies behind a button.
class Catcher : public QWidget {
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

// A shown window with one card-sized button on a catcher.
struct Scene {
    QWidget top;
    Catcher *behind;
    TSpeedButtonTategaki *button;
    int clicks = 0;
    QString states; // U / P / L after every pointer step

    Scene()
    {
        top.resize(300, 200);
        behind = new Catcher(&top);
        behind->setGeometry(0, 0, 300, 200);
        button = new TSpeedButtonTategaki(&top);
        button->setGeometry(20, 20, 65, 113);
        button->OnClick = [this](QObject *sender) {
            QCOMPARE(sender, static_cast<QObject *>(button));
            ++clicks;
        };
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
    }
    QWindow *window() { return top.windowHandle(); }
    QPoint at(int x, int y) const { return button->geometry().topLeft() + QPoint(x, y); }
    void note() { states += "UPL"[button->State()]; }
    void press(int x, int y)
    {
        QTest::mousePress(window(), Qt::LeftButton, {}, at(x, y));
        note();
    }
    void move(int x, int y)
    {
        QTest::mouseMove(window(), at(x, y));
        note();
    }
    void release(int x, int y)
    {
        QTest::mouseRelease(window(), Qt::LeftButton, {}, at(x, y));
        note();
    }
};

void makeCard(TSpeedButtonTategaki &b, const QByteArray &caption)
{
    b.resize(65, 113);
    b.setAllowAllUp(true);
    b.setFont(platform::fonts::font(QStringLiteral("@") + platform::fonts::MSMincho, 16, true));
    b.setMultiLine(true);
    b.setTategaki(true);
    b.setCaption(caption);
}

QByteArray shimonoku(int no)
{
    return deck::PoemTable[no].Shimonoku.view().toByteArray();
}

QImage solidImage(QColor c, int size = 16)
{
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

} // namespace

class tst_SpeedButton : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pointer_data();
    void pointer();
    void clicks_data();
    void clicks();
    void groupLatchesExclusively();
    void ellipticHitRegion_data();
    void ellipticHitRegion();
    void hotTrackingOfAFlatButton();
    void cardFace_data();
    void cardFace();
    void cardTextMovesWhileHeld();
    void disabledCaptionIsEmbossed();
    void transparentButtonShowsItsParent();
    void ellipticFaceStaysInsideItsEllipse();
    void transparentEllipticRingsUseWhiteShades();
    void drawButtonHookChangesTheFace();
    void focusMarkInverts();
    void imageFollowsTheState_data();
    void imageFollowsTheState();
    void imageListChangesAndDestruction();
    void opaqueDeclaration();
    void mixedButtonOverItsParent_data();
    void mixedButtonOverItsParent();
    void mixedEllipticButtonKeepsTheBackgroundOutside();
};

void tst_SpeedButton::initTestCase()
{
    platform::fonts::installSubstitutes();
    if (!deck::PoemTable.isFilled())
        deck::PoemTable.fill();
}

void tst_SpeedButton::pointer_data()
{
    QTest::addColumn<QList<QPoint>>("path"); // press, moves..., release
    QTest::addColumn<QString>("states");
    QTest::addColumn<int>("clicks");
    QTest::newRow("press and release inside") << QList<QPoint>{{30, 50}, {30, 50}} << "PU" << 1;
    QTest::newRow("press inside, release outside")
        << QList<QPoint>{{30, 50}, {100, 50}, {100, 50}} << "PUU" << 0;
    QTest::newRow("release outside without a move first") << QList<QPoint>{{30, 50}, {-30, 50}} << "PU" << 0;
    QTest::newRow("out and back in before release")
        << QList<QPoint>{{30, 50}, {100, 50}, {40, 60}, {40, 60}} << "PUPU" << 1;
    QTest::newRow("out over a neighbour and back")
        << QList<QPoint>{{30, 50}, {30, 150}, {30, 112}, {30, 112}} << "PUPU" << 1;
    QTest::newRow("edge pixel is inside, the next is not")
        << QList<QPoint>{{0, 0}, {64, 112}, {65, 112}, {65, 112}} << "PPUU" << 0;
}

void tst_SpeedButton::pointer()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(QString, states);
    QFETCH(int, clicks);
    Scene s;
    s.press(path.first().x(), path.first().y());
    for (int i = 1; i + 1 < path.size(); ++i)
        s.move(path[i].x(), path[i].y());
    s.release(path.last().x(), path.last().y());
    QCOMPARE(s.states, states);
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(s.behind->presses, 0); // the press was the button's
    QVERIFY(!s.button->Dragging());
    QCOMPARE(s.button->FrameStyle(), tfsRaised);
}

void tst_SpeedButton::clicks_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("clicks");
    QTest::newRow("double click is two clicks") << "double" << 2;
    QTest::newRow("right button") << "right" << 0;
    QTest::newRow("disabled button") << "off click" << 0;
    QTest::newRow("enabled again") << "off click on click" << 1;
    // The game may switch a card off while the player holds it (a reading
    // times out): the release that follows must not count as a take.
    QTest::newRow("disabled while held") << "press off release" << 0;
}

void tst_SpeedButton::clicks()
{
    QFETCH(QString, script);
    Scene s;
    QSignalSpy spy(s.button, &TCustomSpeedButtonTategaki::clicked);
    const QPoint at = s.at(30, 30);
    for (const QString &step : script.split(' ')) {
        if (step == "double")
            QTest::mouseDClick(s.window(), Qt::LeftButton, {}, at);
        else if (step == "right")
            QTest::mouseClick(s.window(), Qt::RightButton, {}, at);
        else if (step == "click")
            QTest::mouseClick(s.window(), Qt::LeftButton, {}, at);
        else if (step == "press")
            QTest::mousePress(s.window(), Qt::LeftButton, {}, at);
        else if (step == "release")
            QTest::mouseRelease(s.window(), Qt::LeftButton, {}, at);
        else
            s.button->setEnabled(step == "on");
    }
    QTEST(s.clicks, "clicks");
    QCOMPARE(spy.count(), s.clicks);
    QCOMPARE(s.button->State(), tbsUp);
    QVERIFY(!s.button->Dragging());
}

void tst_SpeedButton::groupLatchesExclusively()
{
    QWidget top;
    top.resize(300, 100);
    TSpeedButtonTategaki *b[3];
    int clicks[3] = {};
    for (int i = 0; i < 3; ++i) {
        b[i] = new TSpeedButtonTategaki(&top);
        b[i]->setGeometry(10 + 40 * i, 10, 30, 30);
        b[i]->setGroupIndex(1);
        b[i]->OnClick = [&clicks, i](QObject *) { ++clicks[i]; };
    }
    // A plain button of the same parent does not take part.
    auto *other = new TSpeedButtonTategaki(&top);
    other->setGeometry(200, 10, 30, 30);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    auto click = [&](int i) { QTest::mouseClick(top.windowHandle(), Qt::LeftButton, {}, QPoint(25 + 40 * i, 25)); };

    click(0);
    QVERIFY(b[0]->Down());
    click(1);
    QVERIFY(!b[0]->Down());
    QVERIFY(b[1]->Down());
    QCOMPARE(b[0]->State(), tbsUp);
    click(1); // without AllowAllUp it stays down, and still clicks
    QVERIFY(b[1]->Down());
    QCOMPARE(clicks[1], 2);

    b[2]->setAllowAllUp(true);
    QVERIFY(b[0]->AllowAllUp() && b[1]->AllowAllUp());
    QVERIFY(!other->AllowAllUp());
    click(1);
    QVERIFY(!b[1]->Down());
    QCOMPARE(b[1]->State(), tbsUp);
    QVERIFY(!b[0]->Down() && !b[2]->Down());

    b[2]->setDown(true);
    QCOMPARE(b[2]->State(), tbsLatched);
    QCOMPARE(b[2]->FrameStyle(), tfsLowered);
}

void tst_SpeedButton::ellipticHitRegion_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("button");
    QTest::newRow("corner (2,2) goes behind") << QPoint(2, 2) << false;
    QTest::newRow("centre") << QPoint(20, 10) << true;
    QTest::newRow("(5,3) goes behind") << QPoint(5, 3) << false;
    QTest::newRow("(6,3) on the button") << QPoint(6, 3) << true;
    QTest::newRow("left end") << QPoint(0, 10) << true;
}

void tst_SpeedButton::ellipticHitRegion()
{
    QFETCH(QPoint, point);
    QFETCH(bool, button);
    Scene s;
    s.button->setGeometry(20, 20, 40, 20);
    s.button->setElliptic(true);
    QTest::mouseClick(s.window(), Qt::LeftButton, {}, s.at(point.x(), point.y()));
    QCOMPARE(s.clicks, button ? 1 : 0);
    QCOMPARE(s.behind->presses, button ? 0 : 1);

    // Back to a rectangle: every point of the bounds is the button's.
    s.button->setElliptic(false);
    QTest::mouseClick(s.window(), Qt::LeftButton, {}, s.at(2, 2));
    QCOMPARE(s.clicks, button ? 2 : 1);
}

void tst_SpeedButton::hotTrackingOfAFlatButton()
{
    Scene s;
    s.button->setFlat(true);
    int enters = 0, leaves = 0;
    s.button->OnMouseEnter = [&](QObject *) { ++enters; };
    s.button->OnMouseLeave = [&](QObject *) { ++leaves; };
    QTest::mouseMove(s.window(), QPoint(200, 150));
    QCOMPARE(s.button->FrameStyle(), tfsNone);
    QTest::mouseMove(s.window(), s.at(30, 30));
    QVERIFY(s.button->MouseInControl());
    QCOMPARE(s.button->FrameStyle(), tfsFlatRaised);
    QCOMPARE(enters, 1);

    // Held: lowered, and leaving keeps the hot look until the release.
    s.press(30, 30);
    QCOMPARE(s.button->FrameStyle(), tfsFlatLowered);
    QCOMPARE(s.button->ButtonInfo().Offset, QPoint(2, 2));
    s.move(200, 150);
    QVERIFY(s.button->MouseInControl());
    s.release(200, 150);
    QVERIFY(!s.button->MouseInControl());
    QCOMPARE(s.button->FrameStyle(), tfsNone);
    QVERIFY(leaves >= 1);
    QCOMPARE(s.clicks, 0);

    // A disabled flat button does not light up.
    s.button->setEnabled(false);
    QTest::mouseMove(s.window(), s.at(30, 30));
    QVERIFY(!s.button->MouseInControl());
}

void tst_SpeedButton::cardFace_data()
{
    QTest::addColumn<QColor>("color");
    QTest::newRow("clBtnFace") << cl::clBtnFace;
    QTest::newRow("clBlue") << cl::clBlue;
    QTest::newRow("clRed") << cl::clRed;
}

void tst_SpeedButton::cardFace()
{
    QFETCH(QColor, color);
    TSpeedButtonTategaki b;
    makeCard(b, shimonoku(1));
    b.setColor(color);
    const QImage up = render(b);
    QCOMPARE(up.size(), QSize(65, 113));
    // Two-pixel raised bevel.
    QCOMPARE(px(up, 0, 0), cl::cl3DLight);
    QCOMPARE(px(up, 64, 112), cl::cl3DDkShadow);
    QCOMPARE(px(up, 1, 1), cl::clBtnHighlight);
    QCOMPARE(px(up, 63, 111), cl::clBtnShadow);
    QCOMPARE(px(up, 2, 2), color);
    // The caption stays inside its box (4, 4) - (61, 109), in three columns
    // of at most 16 pixels each with 2 between them: at most 52 wide.
    const QRect text = inkBox(up, color, QRect(2, 2, 61, 109));
    QVERIFY2(QRect(4, 4, 57, 105).contains(text), qPrintable(QString("text at %1,%2 %3x%4")
                                                             .arg(text.x()).arg(text.y())
                                                             .arg(text.width()).arg(text.height())));
    QVERIFY2(text.width() > 34 && text.width() <= 52, qPrintable(QString::number(text.width())));

    // Held: the sunken bevel.
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(30, 30));
    const QImage held = render(b);
    QCOMPARE(px(held, 0, 0), cl::clBtnShadow);
    QCOMPARE(px(held, 1, 1), cl::cl3DDkShadow);
    QCOMPARE(px(held, 64, 112), cl::clBtnHighlight);
    QCOMPARE(px(held, 63, 111), cl::cl3DLight);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(30, 30));
}

void tst_SpeedButton::cardTextMovesWhileHeld()
{
    TSpeedButtonTategaki b;
    makeCard(b, shimonoku(17));
    const QRect up = inkBox(render(b), cl::clBtnFace, QRect(2, 2, 61, 109));
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(30, 30));
    const QRect held = inkBox(render(b), cl::clBtnFace, QRect(2, 2, 61, 109));
    QVERIFY(!up.isEmpty());
    QCOMPARE(held, up.translated(2, 2));
    QTest::mouseMove(&b, QPoint(100, 30)); // outside: up again
    QCOMPARE(inkBox(render(b), cl::clBtnFace, QRect(2, 2, 61, 109)), up);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(100, 30));
}

void tst_SpeedButton::disabledCaptionIsEmbossed()
{
    TSpeedButtonTategaki b;
    makeCard(b, shimonoku(5));
    b.setEnabled(false);
    const QImage img = render(b);
    const QRect inside(4, 4, 57, 105);
    QCOMPARE(countPixels(img, cl::clWindowText, inside), 0);
    QVERIFY(countPixels(img, cl::clBtnShadow, inside) > 50);
    QVERIFY(countPixels(img, cl::clBtnHighlight, inside) > 20);
}

void tst_SpeedButton::transparentButtonShowsItsParent()
{
    platform::ui::Panel parent;
    plain(parent, cl::clNavy, QSize(100, 130));
    auto *b = new TSpeedButtonTategaki(&parent);
    b->setGeometry(10, 10, 65, 113);
    b->setTransparent(true);
    b->setHideFrame(true);
    const QImage img = render(parent);
    QCOMPARE(px(img, 40, 12), cl::clNavy);
    b->setTransparent(false);
    QCOMPARE(px(render(parent), 40, 12), cl::clBtnFace);
}

void tst_SpeedButton::ellipticFaceStaysInsideItsEllipse()
{
    platform::ui::Panel parent;
    plain(parent, cl::clNavy, QSize(100, 60));
    auto *b = new TSpeedButtonTategaki(&parent);
    b->setGeometry(10, 10, 80, 40);
    b->setElliptic(true);
    b->setColor(cl::clYellow);
    const QImage img = render(parent);
    QCOMPARE(px(img, 11, 11), cl::clNavy);  // corner: behind the ellipse
    QCOMPARE(px(img, 88, 48), cl::clNavy);
    QCOMPARE(px(img, 50, 30), cl::clYellow); // centre
}

void tst_SpeedButton::transparentEllipticRingsUseWhiteShades()
{
    // Rings only, over white: everything drawn is one of the white shades.
    QImage img(60, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    TDrawButtonZelInfo info;
    info.Color = clNone;
    info.Rect = {0, 0, 60, 40};
    info.FrameStyle = tfsRaised;
    {
        QPainter p(&img);
        QPainterPath ellipse;
        ellipse.addEllipse(QRectF(0, 0, 60, 40));
        p.setClipPath(ellipse);
        p.setRenderHint(QPainter::Antialiasing, false);
        DrawButtonFace(p, info, true);
    }
    // Along the lower right inside edge the rings moved up-left show:
    // ShadeDark (31) at the very edge. The rings moved down-right are
    // ShadeLight and ShadeHighlight, white like the paper beneath.
    int darkest = 255;
    for (int x = 50; x < 60; ++x)
        darkest = qMin(darkest, qGray(img.pixel(x, 20)));
    QVERIFY2(darkest <= 40, qPrintable(QString::number(darkest)));
    for (int x = 0; x < 10; ++x)
        QCOMPARE(px(img, x, 20), QColor(Qt::white));
    QCOMPARE(px(img, 30, 20), QColor(Qt::white)); // no background painted
}

void tst_SpeedButton::drawButtonHookChangesTheFace()
{
    TSpeedButtonTategaki b;
    makeCard(b, shimonoku(1));
    int calls = 0;
    b.OnDrawButton = [&](TCustomSpeedButtonTategaki *sender, TDrawButtonZelInfo &info) {
        ++calls;
        QCOMPARE(sender, &b);
        QCOMPARE(info.Caption, shimonoku(1));
        QCOMPARE(info.Rect, (TRect{0, 0, 65, 113}));
        QCOMPARE(info.FrameStyle, tfsRaised);
        info.Color = cl::clYellow;
        info.Frame = false;
        info.Caption.clear();
    };
    const QImage img = render(b);
    QVERIFY(calls >= 1);
    QCOMPARE(countPixels(img, cl::clYellow), 65 * 113);
}

void tst_SpeedButton::focusMarkInverts()
{
    TSpeedButtonTategaki b;
    b.resize(40, 30);
    b.setColor(cl::clWhite);
    b.setHideFrame(true);
    b.OnDrawButton = [](TCustomSpeedButtonTategaki *, TDrawButtonZelInfo &info) { info.Focused = true; };
    const QImage img = render(b);
    // Dotted and inverting: along the mark's top edge (y = 4, x = 4 .. 35)
    // every other pixel turns black; nothing else changes.
    int black = 0;
    for (int x = 4; x <= 35; ++x) {
        const bool isBlack = px(img, x, 4) == QColor(Qt::black);
        black += isBlack;
        if (isBlack && x > 4)
            QVERIFY2(px(img, x - 1, 4) == QColor(Qt::white), qPrintable(QString::number(x)));
    }
    QVERIFY2(black >= 14 && black <= 17, qPrintable(QString::number(black)));
    QVERIFY(black > 0 && px(img, 20, 15) == QColor(Qt::white));
    QCOMPARE(countPixels(img, Qt::white, QRect(0, 0, 40, 4)), 160);
}

void tst_SpeedButton::imageFollowsTheState_data()
{
    QTest::addColumn<int>("numImages");
    QTest::addColumn<QString>("state"); // up, held, disabled
    QTest::addColumn<QColor>("shown");
    QTest::newRow("3: up") << 3 << "up" << QColor(Qt::red);
    QTest::newRow("3: held") << 3 << "held" << QColor(Qt::blue);
    QTest::newRow("3: disabled") << 3 << "disabled" << QColor(Qt::green);
    QTest::newRow("1: held") << 1 << "held" << QColor(Qt::red);
    QTest::newRow("1: disabled") << 1 << "disabled" << QColor(Qt::red);
}

void tst_SpeedButton::imageFollowsTheState()
{
    QFETCH(int, numImages);
    QFETCH(QString, state);
    QFETCH(QColor, shown);
    TImageList list(16, 16);
    list.Add(solidImage(Qt::black));
    list.Add(solidImage(Qt::red));   // ImageIndex 1
    list.Add(solidImage(Qt::green)); // + 1: disabled
    list.Add(solidImage(Qt::blue));  // + 2: lowered
    TSpeedButtonTategaki b;
    b.resize(40, 40);
    b.setImages(&list);
    b.setImageIndex(1);
    b.setNumImages(TDrawButtonZelNumImages(numImages));
    if (state == "held")
        QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    if (state == "disabled")
        b.setEnabled(false);
    const QImage img = render(b);
    // No caption: the image is centred in the content box, moved by (2, 2)
    // while held.
    const QPoint at = state == "held" ? QPoint(14, 14) : QPoint(12, 12);
    QCOMPARE(px(img, at.x() + 8, at.y() + 8), shown);
    QCOMPARE(countPixels(img, shown), 256);
    if (state == "held")
        QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));
}

void tst_SpeedButton::imageListChangesAndDestruction()
{
    auto list = std::make_unique<TImageList>(16, 16);
    list->Add(solidImage(Qt::red));
    TSpeedButtonTategaki b;
    b.resize(40, 40);
    b.setImages(list.get());
    QCOMPARE(countPixels(render(b), Qt::red, QRect(0, 0, 40, 40)), 256);
    list->Replace(0, solidImage(Qt::blue));
    QCOMPARE(countPixels(render(b), Qt::blue, QRect(0, 0, 40, 40)), 256);

    // An index outside the list: no image.
    b.setImageIndex(3);
    QCOMPARE(countPixels(render(b), Qt::blue, QRect(0, 0, 40, 40)), 0);
    b.setImageIndex(0);

    list.reset();
    QCOMPARE(b.Images(), nullptr);
    QCOMPARE(countPixels(render(b), Qt::blue, QRect(0, 0, 40, 40)), 0);

    // A button destroyed first leaves the list without a dangling link.
    TImageList kept(16, 16);
    {
        TSpeedButtonTategaki shortLived;
        shortLived.setImages(&kept);
    }
    kept.Add(solidImage(Qt::red)); // tells the remaining links only
}

void tst_SpeedButton::opaqueDeclaration()
{
    TSpeedButtonTategaki b;
    QVERIFY(b.IsOpaque());
    QVERIFY(b.testAttribute(Qt::WA_OpaquePaintEvent));
    b.setElliptic(true);
    QVERIFY(!b.IsOpaque());
    QVERIFY(!b.testAttribute(Qt::WA_OpaquePaintEvent));
    b.setElliptic(false);
    b.setTrnsIndex(3);
    QVERIFY(!b.testAttribute(Qt::WA_OpaquePaintEvent));
}

void tst_SpeedButton::mixedButtonOverItsParent_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("value");
    QTest::newRow("1") << 1 << 224;
    QTest::newRow("4") << 4 << 128;
    QTest::newRow("7") << 7 << 31;
}

void tst_SpeedButton::mixedButtonOverItsParent()
{
    QFETCH(int, level);
    QFETCH(int, value);
    platform::ui::Panel parent;
    plain(parent, Qt::black, QSize(220, 140));
    // A sibling beneath the button shows through; one above it does not mix.
    plain(&parent, Qt::red, QRect(0, 0, 20, 140));
    auto *b = new TSpeedButtonTategaki(&parent);
    b->setGeometry(10, 10, 200, 120); // mixed in two bands
    b->setColor(Qt::white);
    b->setHideFrame(true);
    b->setTrnsIndex(TTrnsIndex(level));
    plain(&parent, Qt::green, QRect(200, 0, 20, 140));

    const QImage img = render(parent);
    QCOMPARE(px(img, 100, 20), QColor(value, value, value));
    QCOMPARE(px(img, 100, 120), QColor(value, value, value)); // second band
    // White over the red sibling: red stays full, green and blue mix with 0.
    QCOMPARE(px(img, 15, 60), QColor(255, value, value));
    QCOMPARE(px(img, 205, 60), QColor(Qt::green));
    QCOMPARE(px(img, 5, 5), QColor(Qt::red));
}

void tst_SpeedButton::mixedEllipticButtonKeepsTheBackgroundOutside()
{
    platform::ui::Panel parent;
    plain(parent, Qt::black, QSize(220, 140));
    auto *b = new TSpeedButtonTategaki(&parent);
    b->setGeometry(10, 10, 200, 120);
    b->setColor(Qt::white);
    b->setHideFrame(true);
    b->setElliptic(true);
    b->setTrnsIndex(4);
    const QImage img = render(parent);
    QCOMPARE(px(img, 110, 70), QColor(128, 128, 128));
    QCOMPARE(px(img, 12, 12), QColor(Qt::black));
    QCOMPARE(px(img, 205, 125), QColor(Qt::black));
    // Inside the ellipse in the second band, too.
    QCOMPARE(px(img, 110, 120), QColor(128, 128, 128));
}

QTEST_MAIN(tst_SpeedButton)
#include "tst_speedbutton.moc"
