// Golden layouts: the dump of every case in layouts/cases.txt must match its
// checked-in expectation, line for line.
#include <QtTest>

#include <QProcess>

#include "fontcheck.h"
#include "platform/gui/fonts.h"
#include "tategaki/tools/layoutdump.h"

class tst_LayoutGolden : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void badCommandLines_data();
    void badCommandLines();
    void captionEscapes_data();
    void captionEscapes();
};

void tst_LayoutGolden::initTestCase()
{
    platform::fonts::installSubstitutes();
}

void tst_LayoutGolden::layout_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expectedFile");
    QFile cases(QStringLiteral(KOTOHA_LAYOUT_DIR "/cases.txt"));
    QVERIFY(cases.open(QIODevice::ReadOnly | QIODevice::Text));
    int count = 0;
    while (!cases.atEnd()) {
        const QString line = QString::fromUtf8(cases.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        QVERIFY2(bar > 0, qPrintable(line));
        const QString name = line.left(bar).trimmed();
        QTest::newRow(qPrintable(name)) << line.mid(bar + 1).trimmed()
                                        << QStringLiteral(KOTOHA_LAYOUT_DIR "/%1.txt").arg(name);
        ++count;
    }
    QVERIFY(count > 10);
}

void tst_LayoutGolden::layout()
{
    QFETCH(QString, arguments);
    QFETCH(QString, expectedFile);
    const QStringList args = QProcess::splitCommand(arguments);
    if (!args.contains(QStringLiteral("--fixed")))
        REQUIRE_IPA_FONTS();
    QString output, error;
    QVERIFY2(tategaki::tools::layoutDump(args, output, error), qPrintable(error));

    QFile file(expectedFile);
    if (qEnvironmentVariableIsSet("KOTOHA_UPDATE_GOLDEN")) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(output.toUtf8());
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(expectedFile + QStringLiteral(" is missing")));
    const QStringList expected = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const QStringList actual = output.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < std::min(expected.size(), actual.size()); ++i)
        QCOMPARE(actual[i], expected[i]);
    QCOMPARE(actual.size(), expected.size());
}

void tst_LayoutGolden::badCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no caption") << QStringList{QStringLiteral("--fixed"), QStringLiteral("16,8")};
    QTest::newRow("two captions") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("bad box") << QStringList{QStringLiteral("--box"), QStringLiteral("57"), QStringLiteral("a")};
    QTest::newRow("alignment out of range")
        << QStringList{QStringLiteral("--alignment"), QStringLiteral("3"), QStringLiteral("a")};
    QTest::newRow("bad fixed") << QStringList{QStringLiteral("--fixed"), QStringLiteral("16"), QStringLiteral("a")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), QStringLiteral("a")};
}

void tst_LayoutGolden::badCommandLines()
{
    QFETCH(QStringList, arguments);
    QString output, error;
    QVERIFY(!tategaki::tools::layoutDump(arguments, output, error));
    QVERIFY(!error.isEmpty());
}

void tst_LayoutGolden::captionEscapes_data()
{
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << QStringLiteral("あ\\r\\nい") << QByteArray("\x82\xA0\r\n\x82\xA2");
    QTest::newRow("raw first byte") << QStringLiteral("あ\\x82") << QByteArray("\x82\xA0\x82");
    QTest::newRow("backslash") << QStringLiteral("a\\\\b") << QByteArray("a\\b");
    QTest::newRow("half-width kana") << QStringLiteral("ｱ") << QByteArray("\xB1");
    QTest::newRow("incomplete escape kept") << QStringLiteral("\\x8") << QByteArray("x8");
}

void tst_LayoutGolden::captionEscapes()
{
    QFETCH(QString, literal);
    QFETCH(QByteArray, bytes);
    QCOMPARE(tategaki::tools::parseCaption(literal), bytes);
}

QTEST_MAIN(tst_LayoutGolden)
#include "tst_layoutgolden.moc"
