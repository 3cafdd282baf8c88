// Drawing on high-density screens: the vertical controls, plain and mixed,
// are drawn at the device's resolution in their logical places. The test
// program runs on a screen scaled to 200 %.
#include <QtTest>

#include <QPainter>
#include <QBackingStore>
#include <QScreen>

#include "deck/poemtable.h"
#include "fontcheck.h"
#include "platform/sjis.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/panel.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/mix.h"
#include "tategaki/speedbuttontategaki.h"

using namespace tategaki;
namespace cl = platform::colors;

namespace {

constexpr qreal kScreenScale = 2;

enum class Kind { Card, EllipticButton, Label };

// A navy panel with one vertical control on it, as the game lays a card.
struct Scene {
    platform::ui::Panel parent;
    TCustomTategaki *control = nullptr;
    static constexpr QColor kBackground = QColor(0, 0, 128);
    // A card's size; even coordinates fall on whole device pixels at 150 %
    // too (at an odd one a control starts half-way into a device pixel and
    // how its mixed image meets that pixel is left to Qt).
    static constexpr QRect kPlace = QRect(10, 12, 65, 113);

    explicit Scene(Kind kind)
    {
        parent.setBevels(platform::ui::Bevel::None, platform::ui::Bevel::None);
        parent.setColor(kBackground);
        parent.resize(90, 140);
        const QByteArray caption = deck::PoemTable[17].Shimonoku.toByteArray();
        const QFont mincho = platform::fonts::font(QStringLiteral("@") + platform::fonts::MSMincho, 16, true);
        if (kind == Kind::Label) {
            auto *l = new TLabelTategaki(&parent);
            l->setAutoSize(false);
            l->setMultiLine(true);
            l->setGeometry(kPlace);
            l->setFont(mincho);
            l->setColor(cl::clWhite);
            l->setCaption(caption);
            control = l;
        } else {
            auto *b = new TSpeedButtonTategaki(&parent);
            b->setGeometry(kPlace);
            b->setFont(mincho);
            b->setColor(kind == Kind::Card ? cl::clBtnFace : cl::clWhite);
            b->setElliptic(kind == Kind::EllipticButton);
            b->setCaption(caption);
            control = b;
        }
    }

    // The whole panel rendered into an image of `scale` device pixels per
    // logical pixel.
    QImage render(qreal scale)
    {
        QImage image(deviceLength(parent.width(), scale), deviceLength(parent.height(), scale),
                     QImage::Format_RGB32);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::magenta);
        parent.render(&image);
        return image;
    }

    // The control's rectangle in device pixels of an image at `scale`.
    QRect deviceRect(qreal scale) const
    {
        const QRect g = control->geometry();
        const int left = int(std::ceil(g.left() * scale)), top = int(std::ceil(g.top() * scale));
        const int right = int(std::floor((g.left() + g.width()) * scale)) - 1;
        const int bottom = int(std::floor((g.top() + g.height()) * scale)) - 1;
        return QRect(QPoint(left, top), QPoint(right, bottom));
    }
};

// Pixels of `area` where `mixed` is further than `tolerance` in any channel
// from `plain` blended with `background` at `level`.
int mixMismatches(const QImage &plain, const QImage &mixed, QRect area, QColor background, int level,
                  int tolerance, QString *first)
{
    int count = 0;
    const QRgb bg = background.rgb();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb d = plain.pixel(x, y), m = mixed.pixel(x, y);
            const int er = mixChannel(level, qRed(d), qRed(bg));
            const int eg = mixChannel(level, qGreen(d), qGreen(bg));
            const int eb = mixChannel(level, qBlue(d), qBlue(bg));
            if (std::abs(qRed(m) - er) > tolerance || std::abs(qGreen(m) - eg) > tolerance
                || std::abs(qBlue(m) - eb) > tolerance) {
                if (count++ == 0 && first)
                    *first = QStringLiteral("(%1,%2): got %3,%4,%5 expected %6,%7,%8")
                                 .arg(x).arg(y).arg(qRed(m)).arg(qGreen(m)).arg(qBlue(m)).arg(er).arg(eg).arg(eb);
            }
        }
    return count;
}

// Pixels of `area` in `fine` (at `factor` times the resolution of `coarse`)
// that differ from the coarse pixel they would be blown up from.
int finerThanCoarse(const QImage &fine, const QImage &coarse, QRect area, int factor)
{
    int differing = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            differing += fine.pixel(x, y) != coarse.pixel(x / factor, y / factor);
    return differing;
}

int inkPixels(const QImage &image, QRect area, QColor face)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) < qGray(face.rgb()) / 2;
    return n;
}

const char *kindName(Kind k)
{
    switch (k) {
    case Kind::Card: return "card";
    case Kind::EllipticButton: return "elliptic button";
    case Kind::Label: return "label";
    }
    return "?";
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class tst_HiDpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void mixedControlIsItsPlainPaintBlended_data();
    void mixedControlIsItsPlainPaintBlended();
    void textHasDevicePixelDetail_data();
    void textHasDevicePixelDetail();
    void shownWindowDrawsAtTheScreensResolution_data();
    void shownWindowDrawsAtTheScreensResolution();
};

void tst_HiDpi::initTestCase()
{
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
    QCOMPARE(qApp->devicePixelRatio(), kScreenScale);
}

void tst_HiDpi::mixedControlIsItsPlainPaintBlended_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("level");
    QTest::addColumn<qreal>("scale");
    for (Kind kind : {Kind::Card, Kind::Label, Kind::EllipticButton})
        for (qreal scale : {2.0, 3.0})
            for (int level : {1, 4, 7})
                QTest::addRow("%s, TrnsIndex %d, %d %%", kindName(kind), level, int(scale * 100))
                    << kind << level << scale;
    QTest::newRow("card, TrnsIndex 3, 150 %") << Kind::Card << 3 << 1.5;
    QTest::newRow("label, TrnsIndex 5, 150 %") << Kind::Label << 5 << 1.5;
}

void tst_HiDpi::mixedControlIsItsPlainPaintBlended()
{
    // Mixing blends each device pixel of the control's own painting with
    // what lies beneath: the mixed render is the plain render blended
    // pixel by pixel, glyph edges included. Work bitmaps made at one
    // logical pixel would blur or block every edge.
    REQUIRE_IPA_FONTS();
    QFETCH(Kind, kind);
    QFETCH(int, level);
    QFETCH(qreal, scale);
    Scene scene(kind);
    const QImage plain = scene.render(scale);
    scene.control->setTrnsIndex(TTrnsIndex(level));
    const QImage mixed = scene.render(scale);
    const QRect area = scene.deviceRect(scale);
    QVERIFY(inkPixels(plain, area, Qt::white) > 200); // there is text to compare
    QString first;
    // One unit of rounding: glyph edges are blended into a 24-bit work
    // bitmap rather than a 32-bit one.
    const int mismatches = mixMismatches(plain, mixed, area, Scene::kBackground, level, 1, &first);
    QVERIFY2(mismatches == 0, qPrintable(QStringLiteral("%1 pixels, first %2").arg(mismatches).arg(first)));
}

void tst_HiDpi::textHasDevicePixelDetail_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("level");
    QTest::newRow("card") << Kind::Card << 0;
    QTest::newRow("mixed card") << Kind::Card << 4;
    QTest::newRow("label") << Kind::Label << 0;
    QTest::newRow("mixed label") << Kind::Label << 6;
}

void tst_HiDpi::textHasDevicePixelDetail()
{
    // At 200 % the glyphs are drawn from their outlines at twice the size,
    // not a 96-dpi drawing blown up: many device pixels differ from the
    // 1x pixel they would otherwise copy.
    REQUIRE_IPA_FONTS();
    QFETCH(Kind, kind);
    QFETCH(int, level);
    Scene scene(kind);
    const QRect area = scene.deviceRect(2);
    const int ink = inkPixels(scene.render(2), area, Qt::white);
    QVERIFY(ink > 200);
    scene.control->setTrnsIndex(TTrnsIndex(level));
    const QImage coarse = scene.render(1);
    const QImage fine = scene.render(2);
    const int differing = finerThanCoarse(fine, coarse, area, 2);
    QVERIFY2(differing > ink / 2, qPrintable(QStringLiteral("%1 of %2 ink pixels").arg(differing).arg(ink)));
}

void tst_HiDpi::shownWindowDrawsAtTheScreensResolution_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("level");
    QTest::newRow("card") << Kind::Card << 0;
    QTest::newRow("card, TrnsIndex 4") << Kind::Card << 4;
    QTest::newRow("label, TrnsIndex 2") << Kind::Label << 2;
}

void tst_HiDpi::shownWindowDrawsAtTheScreensResolution()
{
    // Through the window's backing store on the 200 % screen: the control
    // keeps its logical place and shows the pixels of its plain render at 2,
    // blended when it is mixed.
    REQUIRE_IPA_FONTS();
    QFETCH(Kind, kind);
    QFETCH(int, level);
    Scene scene(kind);
    const QImage plain = scene.render(2);
    scene.control->setTrnsIndex(TTrnsIndex(level));
    scene.parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&scene.parent));
    QCOMPARE(scene.parent.devicePixelRatio(), kScreenScale);
    // What the window shows: its backing store, in device pixels.
    const QPaintDevice *store = scene.parent.backingStore()->paintDevice();
    QVERIFY(store && store->devType() == QInternal::Image);
    const QImage shown = static_cast<const QImage *>(store)->convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), scene.parent.size() * 2);
    const QRect area = scene.deviceRect(2);
    QString first;
    const int mismatches = mixMismatches(plain, shown, area, Scene::kBackground, level, level ? 1 : 0, &first);
    QVERIFY2(mismatches == 0, qPrintable(QStringLiteral("%1 pixels, first %2").arg(mismatches).arg(first)));
    // Beside the control: the panel's own colour.
    QCOMPARE(QColor(shown.pixel(area.left() - 2, area.top() - 2)), Scene::kBackground);
}

int main(int argc, char **argv)
{
    // The whole program sees a screen at 200 %.
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kScreenScale));
    QApplication app(argc, argv);
    tst_HiDpi test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
