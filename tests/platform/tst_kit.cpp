#include <QtTest>

#include <QPushButton>

#include <memory>

#include "platform/gui/fonts.h"
#include "platform/ui/kit.h"

using namespace platform;
using namespace platform::ui;

class tst_Kit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fonts::installSubstitutes(); }
    void captionNarrowsOnlyWhenTooWide_data();
    void captionNarrowsOnlyWhenTooWide();
};

void tst_Kit::captionNarrowsOnlyWhenTooWide_data()
{
    QTest::addColumn<int>("spare"); // pixels of the button beyond the caption's advance
    QTest::addColumn<int>("stretch"); // 0: the font is left as it was
    QTest::newRow("fits with its padding") << 8 << 0;
    QTest::newRow("one pixel short") << 7 << 99;
    QTest::newRow("far too narrow stops at three quarters") << -100 << 75;
}

void tst_Kit::captionNarrowsOnlyWhenTooWide()
{
    QFETCH(int, spare);
    QFETCH(int, stretch);
    const QFont font = fonts::font(fonts::System, 19);
    const QString caption = QStringLiteral("並替(読み札順)");
    const int advance = QFontMetrics(font).horizontalAdvance(caption);
    QVERIFY2(advance > 100 && advance < 400, qPrintable(QString::number(advance)));

    const std::unique_ptr<QPushButton> b(kit::button(nullptr, QStringLiteral("b"), caption,
                                                     QRect(0, 0, advance + spare, 33), font, kit::NarrowToFit));
    if (stretch == 0) {
        QCOMPARE(b->font(), font);
        return;
    }
    QCOMPARE(b->font().stretch(), stretch);
    QCOMPARE(b->font().family(), font.family());
    QCOMPARE(b->font().pixelSize(), font.pixelSize());
}

QTEST_MAIN(tst_Kit)
#include "tst_kit.moc"
