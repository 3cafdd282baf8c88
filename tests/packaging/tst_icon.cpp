#include <QtTest>

#include <QImage>

// The icons generated for the desktop's icon theme against the window icon
// they are made from.
class tst_Icon : public QObject {
    Q_OBJECT
private slots:
    void iconMatchesTheWindowIcon_data();
    void iconMatchesTheWindowIcon();
};

void tst_Icon::iconMatchesTheWindowIcon_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("32x32, the icon's own size") << 32;
    QTest::newRow("64x64, pixel for pixel") << 64;
    QTest::newRow("128x128, pixel for pixel") << 128;
}

void tst_Icon::iconMatchesTheWindowIcon()
{
    QFETCH(int, size);
    const QImage source = QImage(QStringLiteral(KOTOHA_ICON_XPM)).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!source.isNull());
    const QString path = QStringLiteral(KOTOHA_ICON_DIR "/%1x%1/kotoha.png").arg(size);
    QImage icon(path);
    QVERIFY2(!icon.isNull(), qPrintable(path));
    QCOMPARE(icon.size(), QSize(size, size));
    icon = icon.convertToFormat(QImage::Format_ARGB32);
    // Whole multiples copy each source pixel into a square block: no blur,
    // and the transparent margin stays fully transparent.
    const int f = size / source.width();
    QVERIFY(f >= 1 && f * source.width() == size);
    int transparent = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb want = source.pixel(x / f, y / f);
            const QRgb got = icon.pixel(x, y);
            if (qAlpha(want) == 0) {
                QCOMPARE(qAlpha(got), 0);
                ++transparent;
            } else if (got != want) {
                QFAIL(qPrintable(QStringLiteral("(%1,%2): %3 instead of %4")
                                     .arg(x).arg(y).arg(got, 8, 16).arg(want, 8, 16)));
            }
        }
    QVERIFY(transparent > 0);
}

QTEST_GUILESS_MAIN(tst_Icon)
#include "tst_icon.moc"
