#include <QtTest>

#include <QPainter>

#include <array>
#include <random>

#include "tategaki/mix.h"

using namespace tategaki;

namespace {

QImage canvasImage(int w, int h, QColor fill)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

BackgroundSource solid(QColor c, QList<QRect> *seen = nullptr)
{
    return [c, seen](QImage &into, const QRect &area) {
        if (seen)
            seen->append(area);
        into.fill(c);
    };
}

} // namespace

class tst_Mix : public QObject {
    Q_OBJECT
private slots:
    void channel_data();
    void channel();
    void equalInputsKeepTheBackground();
    void backgroundShareGrowsWithTheLevel();
    void packedWordsMatchThePlainLoopOnEveryBytePair();
    void packedWordsHandleAnyLengthAndAlignment();
    void levelOutsideTheRangeChangesNothing();
    void area_data();
    void area();
    void bands_data();
    void bands();
    void rowsIncludeTheirPadding();
    void whiteOverBlackAtHalf();
    void eachBandCapturesItsOwnBackground();
    void drawingUsesClientCoordinatesInEveryBand();
    void onlyTheClipIsPainted();
    void emptyAreaFails_data();
    void emptyAreaFails();
    void scaleFollowsTheCanvas_data();
    void scaleFollowsTheCanvas();
    void bandsAtScale_data();
    void bandsAtScale();
    void mixKeepsDevicePixels_data();
    void mixKeepsDevicePixels();
};

void tst_Mix::channel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("expected");
    // Worked by hand from the formulas, with integer division.
    QTest::newRow("1: white over black") << 1 << 255 << 0 << 224;   // 255 - 31 + 0
    QTest::newRow("1: black over white") << 1 << 0 << 255 << 31;
    QTest::newRow("2: white over black") << 2 << 255 << 0 << 192;   // 255 - 63
    QTest::newRow("3: white over black") << 3 << 255 << 0 << 161;   // 255 - 63 - 31
    QTest::newRow("3: black over white") << 3 << 0 << 255 << 94;    // 63 + 31
    QTest::newRow("4: white over black") << 4 << 255 << 0 << 128;   // 255 - 127
    QTest::newRow("4: black over white") << 4 << 0 << 255 << 127;
    QTest::newRow("5: 200 over 100") << 5 << 200 << 100 << 138;     // 50 + 25 + 100 - 25 - 12
    QTest::newRow("6: white over black") << 6 << 255 << 0 << 63;
    QTest::newRow("6: 7 over 250") << 6 << 7 << 250 << 189;         // 1 + 250 - 62
    QTest::newRow("7: white over black") << 7 << 255 << 0 << 31;
    QTest::newRow("7: black over white") << 7 << 0 << 255 << 224;
    QTest::newRow("7: 255 over 255") << 7 << 255 << 255 << 255;
}

void tst_Mix::channel()
{
    QFETCH(int, level);
    QFETCH(int, d);
    QFETCH(int, g);
    QFETCH(int, expected);
    QCOMPARE(int(mixChannel(level, std::uint8_t(d), std::uint8_t(g))), expected);

    // The packed path must agree, wherever the byte sits in its word.
    for (int lane = 0; lane < 4; ++lane) {
        std::array<std::uint8_t, 4> dd{}, gg{};
        dd[lane] = std::uint8_t(d);
        gg[lane] = std::uint8_t(g);
        mixBytes(dd.data(), gg.data(), 4, level);
        QCOMPARE(int(dd[lane]), expected);
    }
}

void tst_Mix::equalInputsKeepTheBackground()
{
    // Outside an elliptic face the drawing equals the background; the mix
    // must give it back unchanged or a ring of wrong pixels would show.
    for (int level = MinMixLevel; level <= MaxMixLevel; ++level)
        for (int v = 0; v < 256; ++v)
            QCOMPARE(int(mixChannel(level, std::uint8_t(v), std::uint8_t(v))), v);
}

void tst_Mix::backgroundShareGrowsWithTheLevel()
{
    int previous = 256;
    for (int level = MinMixLevel; level <= MaxMixLevel; ++level) {
        const int v = mixChannel(level, 255, 0);
        QVERIFY2(v < previous, qPrintable(QString("level %1 gives %2").arg(level).arg(v)));
        // Within a step of the exact eighths (integer division rounds each term).
        QVERIFY(qAbs(v - 255 * (8 - level) / 8) <= 2);
        previous = v;
    }
}

void tst_Mix::packedWordsMatchThePlainLoopOnEveryBytePair()
{
    // Every (d, g) pair in every lane position, with neighbours that would
    // show a carry or borrow leaking across a byte boundary.
    std::vector<std::uint8_t> d(256 * 256 * 4), g(d.size());
    for (int level = MinMixLevel; level <= MaxMixLevel; ++level) {
        for (int lane = 0; lane < 4; ++lane) {
            for (int a = 0; a < 256; ++a)
                for (int b = 0; b < 256; ++b) {
                    const std::size_t word = std::size_t(a * 256 + b) * 4;
                    for (int k = 0; k < 4; ++k) {
                        d[word + k] = std::uint8_t(k == lane ? a : (a * 7 + k * 85) & 0xFF);
                        g[word + k] = std::uint8_t(k == lane ? b : (b * 13 + k * 51) & 0xFF);
                    }
                }
            std::vector<std::uint8_t> plain = d;
            mixBytesPlain(plain.data(), g.data(), plain.size(), level);
            std::vector<std::uint8_t> packed = d;
            mixBytes(packed.data(), g.data(), packed.size(), level);
            if (packed != plain) {
                const auto at = std::mismatch(packed.begin(), packed.end(), plain.begin()).first - packed.begin();
                QFAIL(qPrintable(QString("level %1 lane %2: byte %3 (d=%4 g=%5) packed %6, plain %7")
                                     .arg(level).arg(lane).arg(at).arg(d[at]).arg(g[at])
                                     .arg(packed[at]).arg(plain[at])));
            }
        }
    }
}

void tst_Mix::packedWordsHandleAnyLengthAndAlignment()
{
    std::mt19937 gen(7);
    std::vector<std::uint8_t> d(67), g(67);
    for (auto &v : d) v = std::uint8_t(gen());
    for (auto &v : g) v = std::uint8_t(gen());
    for (std::size_t offset = 0; offset < 4; ++offset)
        for (std::size_t count : {0u, 1u, 3u, 5u, 60u, 63u}) {
            auto plain = d, packed = d;
            mixBytesPlain(plain.data() + offset, g.data() + offset, count, 5);
            mixBytes(packed.data() + offset, g.data() + offset, count, 5);
            QCOMPARE(packed, plain); // also: nothing outside [offset, offset + count) touched
        }
}

void tst_Mix::levelOutsideTheRangeChangesNothing()
{
    std::array<std::uint8_t, 8> d{1, 2, 3, 4, 250, 251, 252, 253}, g{};
    const auto before = d;
    for (int level : {0, 8, -1}) {
        mixBytes(d.data(), g.data(), d.size(), level);
        QCOMPARE(d, before);
    }
}

void tst_Mix::area_data()
{
    QTest::addColumn<QRect>("clip");
    QTest::addColumn<QRect>("client");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("whole control") << QRect(0, 0, 200, 120) << QRect(0, 0, 200, 120) << QRect(0, 0, 201, 121);
    QTest::newRow("clip inside") << QRect(10, 20, 30, 40) << QRect(0, 0, 200, 120) << QRect(10, 20, 31, 41);
    QTest::newRow("clip larger than the control")
        << QRect(-50, -50, 400, 400) << QRect(0, 0, 65, 113) << QRect(0, 0, 66, 114);
    QTest::newRow("clip beside the control") << QRect(300, 0, 10, 10) << QRect(0, 0, 200, 120) << QRect();
}

void tst_Mix::area()
{
    QFETCH(QRect, clip);
    QFETCH(QRect, client);
    QFETCH(QRect, expected);
    const QRect a = mixArea(clip, client);
    if (expected.isNull())
        QVERIFY(a.isEmpty());
    else
        QCOMPARE(a, expected);
}

void tst_Mix::bands_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("bandRows");
    QTest::newRow("200 x 120 control: 81 then 40") << QRect(0, 0, 201, 121) << QList<int>{81, 40} << 81;
    QTest::newRow("card fits one pass") << QRect(0, 0, 66, 114) << QList<int>{114} << 114;
    QTest::newRow("exactly the cap") << QRect(0, 0, 128, 128) << QList<int>{128} << 128;
    QTest::newRow("exact multiple, no short band") << QRect(0, 0, 128, 256) << QList<int>{128, 128} << 128;
    QTest::newRow("wider than the cap: one row per band")
        << QRect(0, 0, 20000, 3) << QList<int>{1, 1, 1} << 1;
    QTest::newRow("offset area") << QRect(5, 7, 201, 83) << QList<int>{81, 2} << 81;
    QTest::newRow("empty") << QRect() << QList<int>{} << 0;
}

void tst_Mix::bands()
{
    QFETCH(QRect, area);
    QFETCH(QList<int>, rows);
    QFETCH(int, bandRows);
    const auto bands = mixBands(area);
    QCOMPARE(int(bands.size()), int(rows.size()));
    int top = area.top();
    for (std::size_t i = 0; i < bands.size(); ++i) {
        QCOMPARE(bands[i], QRect(area.left(), top, area.width(), rows[int(i)]));
        QVERIFY(qint64(bands[i].width()) * bands[i].height() <= MixBandPixels || bands[i].height() == 1);
        top += rows[int(i)];
    }
    QCOMPARE(mixBandRows(area), bandRows);
}

void tst_Mix::rowsIncludeTheirPadding()
{
    // Rows are taken whole, with whatever the format keeps beside the three
    // colour bytes, while the next row is not touched.
    QImage d(3, 2, MixFormat), b(3, 2, MixFormat);
    const int bytes = int(d.bytesPerLine());
    std::memset(d.bits(), 255, std::size_t(d.sizeInBytes()));
    std::memset(b.bits(), 0, std::size_t(b.sizeInBytes()));
    mixRows(d, b, 1, 4);
    for (int i = 0; i < bytes; ++i)
        QCOMPARE(int(d.constScanLine(0)[i]), 128);
    for (int i = 0; i < bytes; ++i)
        QCOMPARE(int(d.constScanLine(1)[i]), 255);
}

void tst_Mix::whiteOverBlackAtHalf()
{
    QImage canvas = canvasImage(40, 30, Qt::blue);
    {
        QPainter p(&canvas);
        paintMixedArea(p, canvas.rect(), QRect(0, 0, 40, 30), solid(Qt::black),
                       [](QPainter &q) { q.fillRect(0, 0, 40, 30, Qt::white); }, 4);
    }
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            QCOMPARE(canvas.pixel(x, y), qRgb(128, 128, 128));
}

void tst_Mix::eachBandCapturesItsOwnBackground()
{
    QImage canvas = canvasImage(201, 121, Qt::blue);
    QList<QRect> seen;
    {
        QPainter p(&canvas);
        paintMixedArea(p, QRect(0, 0, 200, 120), QRect(0, 0, 200, 120), solid(Qt::black, &seen),
                       [](QPainter &q) { q.fillRect(0, 0, 200, 120, Qt::white); }, 4);
    }
    QCOMPARE(seen, (QList<QRect>{QRect(0, 0, 201, 81), QRect(0, 81, 201, 40)}));
    QCOMPARE(canvas.pixel(0, 0), qRgb(128, 128, 128));
    QCOMPARE(canvas.pixel(199, 80), qRgb(128, 128, 128));
    QCOMPARE(canvas.pixel(199, 81), qRgb(128, 128, 128));
    QCOMPARE(canvas.pixel(100, 119), qRgb(128, 128, 128));
    // The widened column lies outside the control: only background there.
    QCOMPARE(canvas.pixel(200, 50), qRgb(0, 0, 0));
}

void tst_Mix::drawingUsesClientCoordinatesInEveryBand()
{
    QImage canvas = canvasImage(201, 121, Qt::black);
    {
        QPainter p(&canvas);
        paintMixedArea(p, QRect(0, 0, 200, 120), QRect(0, 0, 200, 120), solid(Qt::black),
                       [](QPainter &q) {
                           q.fillRect(5, 10, 1, 1, Qt::white);   // first band
                           q.fillRect(7, 100, 1, 1, Qt::white);  // second band
                           q.fillRect(0, 80, 200, 2, Qt::red);    // across the cut
                       }, 7);
    }
    QCOMPARE(canvas.pixel(5, 10), qRgb(31, 31, 31));
    QCOMPARE(canvas.pixel(7, 100), qRgb(31, 31, 31));
    QCOMPARE(canvas.pixel(7, 101), qRgb(0, 0, 0));
    QCOMPARE(canvas.pixel(50, 80), qRgb(31, 0, 0));
    QCOMPARE(canvas.pixel(50, 81), qRgb(31, 0, 0));
    QCOMPARE(canvas.pixel(50, 82), qRgb(0, 0, 0));
}

void tst_Mix::onlyTheClipIsPainted()
{
    QImage canvas = canvasImage(50, 50, Qt::green);
    QList<QRect> seen;
    {
        QPainter p(&canvas);
        p.setClipRect(10, 10, 5, 5);
        paintMixedArea(p, QRect(10, 10, 5, 5), QRect(0, 0, 50, 50), solid(Qt::black, &seen),
                       [](QPainter &q) { q.fillRect(0, 0, 50, 50, Qt::white); }, 4);
    }
    QCOMPARE(seen, QList<QRect>{QRect(10, 10, 6, 6)});
    QCOMPARE(canvas.pixel(12, 12), qRgb(128, 128, 128));
    QCOMPARE(canvas.pixel(9, 9), qRgb(0, 255, 0));
    QCOMPARE(canvas.pixel(15, 15), qRgb(0, 255, 0)); // widened pixel, cut by the canvas clip
}

void tst_Mix::emptyAreaFails_data()
{
    QTest::addColumn<QRect>("area");
    QTest::newRow("no width") << QRect(0, 0, 0, 10);
    QTest::newRow("no height") << QRect(3, 3, 10, 0);
    QTest::newRow("inverted") << QRect(QPoint(10, 10), QPoint(2, 2));
}

void tst_Mix::emptyAreaFails()
{
    QFETCH(QRect, area);
    QImage canvas = canvasImage(20, 20, Qt::green);
    QPainter p(&canvas);
    MixBitmaps bitmaps(20, 20);
    bool drew = false;
    try {
        drawMix(p, area, bitmaps, solid(Qt::black), [&](QPainter &) { drew = true; }, 4);
        QFAIL("no error");
    } catch (const MixError &e) {
        QCOMPARE(QString::fromLatin1(e.what()), QStringLiteral("abnormal params in DrawMix"));
    }
    QVERIFY(!drew);
}

void tst_Mix::scaleFollowsTheCanvas_data()
{
    QTest::addColumn<qreal>("ratio");     // the canvas image's device pixel ratio
    QTest::addColumn<QTransform>("world"); // the painter's own transform
    QTest::addColumn<qreal>("scale");
    QTest::newRow("plain image") << 1.0 << QTransform() << 1.0;
    QTest::newRow("150 %") << 1.5 << QTransform() << 1.5;
    QTest::newRow("200 %, translated") << 2.0 << QTransform::fromTranslate(7, 3) << 2.0;
    QTest::newRow("painter scaled by 3") << 1.0 << QTransform::fromScale(3, 3) << 3.0;
    QTest::newRow("turned a quarter at 200 %") << 2.0 << QTransform().rotate(90) << 2.0;
    QTest::newRow("mirrored") << 2.0 << QTransform::fromScale(-1, 1) << 2.0;
    QTest::newRow("printer-like 6.25 is capped") << 1.0 << QTransform::fromScale(6.25, 6.25) << MaxMixScale;
    QTest::newRow("shrunk: never below 1") << 1.0 << QTransform::fromScale(0.5, 0.5) << 1.0;
}

void tst_Mix::scaleFollowsTheCanvas()
{
    QFETCH(qreal, ratio);
    QFETCH(QTransform, world);
    QFETCH(qreal, scale);
    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    QPainter p(&canvas);
    p.setWorldTransform(world);
    QCOMPARE(mixScale(p), scale);
}

void tst_Mix::bandsAtScale_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("1: as before") << QRect(0, 0, 201, 121) << 1.0 << QList<int>{81, 40};
    QTest::newRow("2: a card needs two passes") << QRect(0, 0, 66, 114) << 2.0 << QList<int>{62, 52};
    QTest::newRow("2: small control, one pass") << QRect(0, 0, 40, 30) << 2.0 << QList<int>{30};
    QTest::newRow("1.5: even rows, edges on whole device rows")
        << QRect(0, 0, 201, 121) << 1.5 << QList<int>{36, 36, 36, 13};
    QTest::newRow("3: offset area") << QRect(4, 9, 65, 113) << 3.0 << QList<int>{28, 28, 28, 28, 1};
    QTest::newRow("2: wider than the cap, one row") << QRect(0, 0, 9000, 2) << 2.0 << QList<int>{1, 1};
}

void tst_Mix::bandsAtScale()
{
    QFETCH(QRect, area);
    QFETCH(qreal, scale);
    QFETCH(QList<int>, rows);
    const auto bands = mixBands(area, scale);
    QList<int> got;
    int top = area.top();
    for (const QRect &band : bands) {
        got.append(band.height());
        QCOMPARE(band.top(), top);
        QCOMPARE(band.left(), area.left());
        QCOMPARE(band.width(), area.width());
        top += band.height();
        // Device pixels of one pass stay within the cap (a single row may
        // exceed it on its own).
        QVERIFY(qint64(deviceLength(band.width(), scale)) * deviceLength(band.height(), scale) <= MixBandPixels
                || band.height() == 1);
        // Every band but the last ends on a whole device row.
        if (band.bottom() < area.bottom()) {
            const qreal edge = (band.bottom() + 1 - area.top()) * scale;
            QCOMPARE(edge, std::round(edge));
        }
    }
    QCOMPARE(got, rows);
    QCOMPARE(top, area.top() + area.height());
    QCOMPARE(mixBandRows(area, scale), rows.first());
}

void tst_Mix::mixKeepsDevicePixels_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<int>("level");
    QTest::newRow("200 %, half") << 2.0 << 4;
    QTest::newRow("150 %, one eighth") << 1.5 << 1;
    QTest::newRow("300 %, seven eighths") << 3.0 << 7;
}

void tst_Mix::mixKeepsDevicePixels()
{
    // A stroke one device pixel wide (a fraction of a logical pixel) over a
    // black background: at the canvas's scale the mix keeps it one device
    // pixel wide; made at one logical pixel it would be lost or widened.
    QFETCH(qreal, scale);
    QFETCH(int, level);
    const int logicalW = 40, logicalH = 30, column = 10;
    QImage canvas(deviceLength(logicalW, scale), deviceLength(logicalH, scale), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(Qt::blue);
    QList<QSize> sizes;
    QList<qreal> ratios;
    const BackgroundSource black = [&](QImage &into, const QRect &) {
        sizes.append(into.size());
        ratios.append(into.devicePixelRatio());
        into.fill(Qt::black);
    };
    {
        QPainter p(&canvas);
        paintMixedArea(p, QRect(0, 0, logicalW, logicalH), QRect(0, 0, logicalW, logicalH), black,
                       [&](QPainter &q) {
                           q.fillRect(QRectF(0, 0, logicalW, logicalH), Qt::black);
                           q.fillRect(QRectF(column, 0, 1 / scale, logicalH), Qt::white);
                       }, level);
    }
    const int x = int(std::lround(column * scale));
    const QRgb ink = qRgb(mixChannel(level, 255, 0), mixChannel(level, 255, 0), mixChannel(level, 255, 0));
    for (int y : {0, canvas.height() / 2, deviceLength(logicalH, scale) - 1}) {
        QCOMPARE(canvas.pixel(x, y), ink);
        QCOMPARE(canvas.pixel(x - 1, y), qRgb(0, 0, 0));
        QCOMPARE(canvas.pixel(x + 1, y), qRgb(0, 0, 0));
    }
    // The background was captured into device-sized bitmaps at the scale.
    QVERIFY(!sizes.isEmpty());
    for (int i = 0; i < sizes.size(); ++i) {
        QCOMPARE(ratios[i], scale);
        QCOMPARE(sizes[i].width(), deviceLength(logicalW + 1, scale));
    }
}

QTEST_GUILESS_MAIN(tst_Mix)
#include "tst_mix.moc"
