#include <QtTest>

#include <QPainter>

#include <functional>

#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "tategaki/facecache.h"
#include "tategaki/speedbuttontategaki.h"

using namespace tategaki;
namespace cl = platform::colors;

namespace {

using Change = std::function<void(TSpeedButtonTategaki &)>;

// The button on a canvas at `scale` with the painter moved by `offset`.
QImage paintAt(TSpeedButtonTategaki &b, qreal scale, QPoint offset = {})
{
    QImage image(QSize(b.width() + 10, b.height() + 10) * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::magenta);
    QPainter p(&image);
    p.translate(offset);
    b.PaintTo(p);
    return image;
}

} // namespace

class tst_FaceCache : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { platform::fonts::installSubstitutes(); }
    void cachedFaceIsTheDrawnFace_data();
    void cachedFaceIsTheDrawnFace();
    void facesThatCannotBeCachedAreDrawn();
};

void tst_FaceCache::cachedFaceIsTheDrawnFace_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QPoint>("offset");
    const QPoint none;
    QTest::newRow("repaint unchanged") << Change([](TSpeedButtonTategaki &) {}) << 1.0 << none;
    QTest::newRow("repaint moved by whole pixels") << Change([](TSpeedButtonTategaki &) {}) << 1.0 << QPoint(3, 7);
    QTest::newRow("another caption") << Change([](TSpeedButtonTategaki &b) { b.setCaption("\x82\xa0\x82\xa2"); })
                                     << 1.0 << none;
    QTest::newRow("another colour") << Change([](TSpeedButtonTategaki &b) { b.setColor(cl::clBlue); }) << 1.0
                                    << none;
    QTest::newRow("down") << Change([](TSpeedButtonTategaki &b) {
        b.setGroupIndex(1);
        b.setDown(true);
    }) << 1.0 << none;
    QTest::newRow("disabled") << Change([](TSpeedButtonTategaki &b) { b.setEnabled(false); }) << 1.0 << none;
    QTest::newRow("another font") << Change([](TSpeedButtonTategaki &b) {
        b.setFont(platform::fonts::font(QStringLiteral("@") + platform::fonts::MSGothic, 20));
    }) << 1.0 << none;
    QTest::newRow("text colour") << Change([](TSpeedButtonTategaki &b) {
        QPalette pal = b.palette();
        pal.setColor(QPalette::ButtonText, Qt::red);
        pal.setColor(QPalette::WindowText, Qt::red);
        b.setPalette(pal);
    }) << 1.0 << none;
    QTest::newRow("another size") << Change([](TSpeedButtonTategaki &b) { b.resize(40, 90); }) << 1.0 << none;
    QTest::newRow("no frame") << Change([](TSpeedButtonTategaki &b) { b.setHideFrame(true); }) << 1.0 << none;
    QTest::newRow("focus mark from the hook") << Change([](TSpeedButtonTategaki &b) {
        b.OnDrawButton = [](TCustomSpeedButtonTategaki *, TDrawButtonZelInfo &info) { info.Focused = true; };
    }) << 1.0 << none;
    QTest::newRow("twice the scale") << Change([](TSpeedButtonTategaki &) {}) << 2.0 << none;
    QTest::newRow("one and a half") << Change([](TSpeedButtonTategaki &) {}) << 1.5 << QPoint(2, 2);
}

// Painting once fills the cache; after the change the cached paint must
// equal a paint with nothing cached.
void tst_FaceCache::cachedFaceIsTheDrawnFace()
{
    QFETCH(Change, change);
    QFETCH(qreal, scale);
    QFETCH(QPoint, offset);
    FaceCache &cache = FaceCache::instance();
    TSpeedButtonTategaki b;
    b.setGeometry(0, 0, 65, 113);
    b.setMultiLine(true);
    b.setFont(platform::fonts::font(QStringLiteral("@") + platform::fonts::MSMincho, 16, true));
    b.setCaption("\x82\xed\x82\xaa\x82\xb1\x82\xeb\x82\xe0\x82\xc4\x82\xcd"); // わがころもては
    cache.clear();
    paintAt(b, 1.0);
    change(b);
    paintAt(b, scale, offset);
    const int misses = cache.misses();
    const QImage cached = paintAt(b, scale, offset);
    QCOMPARE(cache.misses(), misses); // drawn from the cache
    cache.clear();
    const QImage fresh = paintAt(b, scale, offset);
    QCOMPARE(cache.misses(), misses + 1);
    QCOMPARE(cached, fresh);
}

void tst_FaceCache::facesThatCannotBeCachedAreDrawn()
{
    FaceCache &cache = FaceCache::instance();
    TSpeedButtonTategaki b;
    b.setGeometry(0, 0, 60, 60);
    b.setCaption("\x82\xa0");
    const int misses = cache.misses(), hits = cache.hits();
    QImage target(60, 60, QImage::Format_RGB32);
    {
        QPainter p(&target);
        p.rotate(10); // no whole device pixels
        b.PaintTo(p);
    }
    {
        QPainter p(&target);
        p.setOpacity(0.5);
        b.PaintTo(p);
    }
    b.setTransparent(true);
    paintAt(b, 1.0);
    b.setTransparent(false);
    b.setElliptic(true);
    paintAt(b, 1.0);
    QCOMPARE(cache.misses(), misses);
    QCOMPARE(cache.hits(), hits);
}

QTEST_MAIN(tst_FaceCache)
#include "tst_facecache.moc"
