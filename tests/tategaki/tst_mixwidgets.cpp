#include <QtTest>

#include <QPainter>

#include "panels.h"

#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/mixbackground.h"
#include "tategaki/speedbuttontategaki.h"

using namespace tategaki;

namespace {

// A widget that paints a fixed pattern and nothing else: the left half
// black, the right half white.
class Halves : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(0, 0, width() / 2, height(), Qt::black);
        p.fillRect(width() / 2, 0, width() - width() / 2, height(), Qt::white);
    }
};

} // namespace

class tst_MixWidgets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { platform::fonts::installSubstitutes(); }
    void backgroundLeavesOutTheControlAndWhatIsAbove();
    void backgroundLooksThroughParentsThatDoNotPaint();
    void hiddenSiblingsAreNotBeneath();
    void labelMixesToo();
    void mixedControlOverAnotherMixedControl();
    void mixingOnAShownWindow();
    void paintedRectFollowsThePaintRegion();
    void overlappingMixedCardsStayCheap();
};

void tst_MixWidgets::backgroundLeavesOutTheControlAndWhatIsAbove()
{
    platform::ui::Panel parent;
    plain(parent, Qt::blue, QSize(100, 100));
    plain(&parent, Qt::red, QRect(0, 0, 30, 100));               // beneath
    auto *b = new TSpeedButtonTategaki(&parent);
    b->setGeometry(10, 10, 60, 60);
    b->setColor(Qt::yellow);
    plain(&parent, Qt::green, QRect(50, 0, 50, 100));            // above
    QImage into(60, 60, MixFormat);
    into.fill(Qt::black);
    paintBeneath(*b, into, QRect(0, 0, 60, 60));
    QCOMPARE(px(into, 5, 5), QColor(Qt::red));   // (15, 15) in the parent
    QCOMPARE(px(into, 30, 30), QColor(Qt::blue)); // parent's own face
    QCOMPARE(px(into, 50, 30), QColor(Qt::blue)); // the green one lies above
    // An area that starts inside the control: the image's origin is its corner.
    into.fill(Qt::black);
    paintBeneath(*b, into, QRect(15, 0, 20, 20));
    QCOMPARE(px(into, 0, 0), QColor(Qt::red));    // x = 25 in the parent
    QCOMPARE(px(into, 6, 0), QColor(Qt::blue));   // x = 31
}

void tst_MixWidgets::backgroundLooksThroughParentsThatDoNotPaint()
{
    Halves top;
    top.resize(100, 40);
    auto *glass = new QWidget(&top); // paints nothing of its own
    glass->setGeometry(20, 0, 80, 40);
    auto *b = new TSpeedButtonTategaki(glass);
    b->setGeometry(10, 0, 60, 40);
    QImage into(60, 40, MixFormat);
    into.fill(Qt::red);
    paintBeneath(*b, into, QRect(0, 0, 60, 40));
    QCOMPARE(px(into, 0, 10), QColor(Qt::black));  // x = 30 in the window
    QCOMPARE(px(into, 19, 10), QColor(Qt::black)); // x = 49
    QCOMPARE(px(into, 20, 10), QColor(Qt::white)); // x = 50
}

void tst_MixWidgets::hiddenSiblingsAreNotBeneath()
{
    platform::ui::Panel parent;
    plain(parent, Qt::blue, QSize(50, 50));
    auto *hidden = plain(&parent, Qt::red, QRect(0, 0, 50, 50));
    hidden->hide();
    auto *b = new TSpeedButtonTategaki(&parent);
    b->setGeometry(0, 0, 50, 50);
    QImage into(50, 50, MixFormat);
    paintBeneath(*b, into, QRect(0, 0, 50, 50));
    QCOMPARE(px(into, 25, 25), QColor(Qt::blue));
}

void tst_MixWidgets::labelMixesToo()
{
    platform::ui::Panel parent;
    plain(parent, Qt::black, QSize(220, 140));
    auto *label = new TLabelTategaki(&parent);
    label->setAutoSize(false);
    label->setGeometry(10, 10, 200, 120);
    label->setColor(Qt::white);
    label->setTrnsIndex(4);
    const QImage img = render(parent);
    QCOMPARE(px(img, 100, 20), QColor(128, 128, 128));
    QCOMPARE(px(img, 100, 125), QColor(128, 128, 128));
    QCOMPARE(px(img, 5, 5), QColor(Qt::black));
    label->setTrnsIndex(0);
    QCOMPARE(px(render(parent), 100, 20), QColor(Qt::white));
}

void tst_MixWidgets::mixedControlOverAnotherMixedControl()
{
    // The upper control's background holds the lower one already mixed.
    platform::ui::Panel parent;
    plain(parent, Qt::black, QSize(100, 100));
    auto *lower = new TSpeedButtonTategaki(&parent);
    lower->setGeometry(0, 0, 100, 100);
    lower->setColor(Qt::white);
    lower->setHideFrame(true);
    lower->setTrnsIndex(4); // 128
    auto *upper = new TSpeedButtonTategaki(&parent);
    upper->setGeometry(20, 20, 60, 60);
    upper->setColor(Qt::white);
    upper->setHideFrame(true);
    upper->setTrnsIndex(4); // 255 - 127 + 64
    const QImage img = render(parent);
    QCOMPARE(px(img, 10, 10), QColor(128, 128, 128));
    QCOMPARE(px(img, 50, 50), QColor(192, 192, 192));
}

void tst_MixWidgets::mixingOnAShownWindow()
{
    // Painting through the window's backing store, not through grab().
    platform::ui::Panel top;
    plain(top, Qt::black, QSize(120, 80));
    auto *b = new TSpeedButtonTategaki(&top);
    b->setGeometry(10, 10, 100, 60);
    b->setColor(Qt::white);
    b->setHideFrame(true);
    b->setTrnsIndex(2);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    // What the window shows: the offscreen screen reads its backing store.
    const QImage store = top.screen()->grabWindow(top.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(!store.isNull());
    QCOMPARE(px(store, 50, 40), QColor(192, 192, 192)); // 255 - 63
    QCOMPARE(px(store, 5, 5), QColor(Qt::black));
}

namespace {

// Notes the rectangle each paint would mix.
class RegionProbe : public QWidget {
public:
    using QWidget::QWidget;
    QList<QRect> seen;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        seen << paintedRect(p, rect());
    }
};

} // namespace

void tst_MixWidgets::paintedRectFollowsThePaintRegion()
{
    QWidget top;
    top.resize(200, 150);
    auto *probe = new RegionProbe(&top);
    probe->setGeometry(50, 40, 100, 80);

    QImage img(200, 150, QImage::Format_RGB32);
    top.render(&img, QPoint(), QRegion(60, 50, 10, 10));
    {
        QPainter p(&img);
        probe->render(&p, QPoint(7, 9), QRegion(20, 30, 5, 5));
    }
    QCOMPARE(probe->seen, (QList<QRect>{QRect(10, 10, 10, 10), QRect(20, 30, 5, 5)}));

    // A painter of its own: its clip, else the whole client.
    QPainter p(&img);
    QCOMPARE(paintedRect(p, QRect(0, 0, 65, 113)), QRect(0, 0, 65, 113));
    p.setClipRect(10, 20, 100, 5);
    QCOMPARE(paintedRect(p, QRect(0, 0, 65, 113)), QRect(10, 20, 55, 5));
}

void tst_MixWidgets::overlappingMixedCardsStayCheap()
{
    // Cards overlap their neighbours by one pixel, as on the board: each
    // card's background holds a strip of the cards beneath it, which are
    // mixed too. Only those strips may be painted again, not whole cards
    // (which would cascade through the whole board).
    platform::ui::Panel board;
    plain(board, Qt::black, QSize(8 + 64 * 6 + 1 + 8, 8 + 112 * 4 + 1 + 8));
    int draws = 0;
    for (int k = 1; k <= 24; ++k) {
        const int r = (k - 1) / 6, j = (k - 1) % 6;
        auto *b = new TSpeedButtonTategaki(&board);
        b->setGeometry(8 + 64 * (6 - 1 - j), 8 + 112 * r, 65, 113);
        b->setColor(Qt::white);
        b->setHideFrame(true);
        b->setTrnsIndex(4);
        b->OnDrawButton = [&draws](TCustomSpeedButtonTategaki *, TDrawButtonZelInfo &) { ++draws; };
    }
    const QImage img = render(board);
    QVERIFY2(draws <= 24 * 8, qPrintable(QString::number(draws))); // whole cards again: thousands
    // In a card's middle white mixes with the black board; where two cards
    // overlap, the upper one mixes with the lower one's mixed face.
    QCOMPARE(px(img, 40, 60), QColor(128, 128, 128));
    QCOMPARE(px(img, 8 + 64 * 5, 60), QColor(192, 192, 192)); // 255 - 127 + 128 / 2
}

QTEST_MAIN(tst_MixWidgets)
#include "tst_mixwidgets.moc"
