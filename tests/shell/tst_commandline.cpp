#include <QtTest>

#include "shell/commandline.h"

class tst_CommandLine : public QObject {
    Q_OBJECT
private slots:
    void whichArgumentsOpenNoWindow_data();
    void whichArgumentsOpenNoWindow();
    void badCommandLines_data();
    void badCommandLines();
    void readPoemsAreLeftOutAndChangeTheOthers();
};

void tst_CommandLine::whichArgumentsOpenNoWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("noWindow");
    QTest::newRow("plain start") << QStringList{"kotoha"} << false;
    QTest::newRow("Qt's own options are Qt's") << QStringList{"kotoha", "-platform", "offscreen"} << false;
    QTest::newRow("read alone, to be refused") << QStringList{"kotoha", "--read=3"} << true;
    QTest::newRow("the program's own name") << QStringList{"--deciding"} << false;
    QTest::newRow("a record to replay") << QStringList{"kotoha", "--replay=match.txt"} << true;
}

void tst_CommandLine::whichArgumentsOpenNoWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, noWindow);
    QCOMPARE(isCommandLineRun(arguments), noWindow);
}

void tst_CommandLine::badCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("not a number") << QStringList{"--deciding", "--read", "1,x"};
    QTest::newRow("above 100") << QStringList{"--deciding", "--read=101"};
    QTest::newRow("empty item") << QStringList{"--deciding", "--read", "1,,2"};
    QTest::newRow("bad in a second list") << QStringList{"--deciding", "--read", "1", "--read", "-5"};
    QTest::newRow("read without deciding") << QStringList{"--read", "1"};
    QTest::newRow("read without a list") << QStringList{"--deciding", "--read"};
    QTest::newRow("unknown option") << QStringList{"--deciding", "--fast"};
    QTest::newRow("stray argument") << QStringList{"--deciding", "1,2"};
    QTest::newRow("replay without a file") << QStringList{"--replay"};
    QTest::newRow("replay with deciding") << QStringList{"--replay", "match.txt", "--deciding"};
}

void tst_CommandLine::badCommandLines()
{
    QFETCH(QStringList, arguments);
    arguments.prepend(QStringLiteral("kotoha"));
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    QCOMPARE(runCommandLine(arguments, outStream, errStream), 2);
    QVERIFY(out.isEmpty());
    QVERIFY(err.startsWith(QStringLiteral("kotoha: ")));
}

void tst_CommandLine::readPoemsAreLeftOutAndChangeTheOthers()
{
    // Two lists add up; a repeat is harmless.
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const QStringList arguments{"kotoha", "--deciding", "--read", "50,91", "--read=50"};
    QCOMPARE(runCommandLine(arguments, outStream, errStream), 0);
    QVERIFY(err.isEmpty());
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 98);
    QVERIFY(lines.contains(QStringLiteral("15\tき")));
    QVERIFY(!lines.contains(QStringLiteral("50\tきみがためお")));
    QCOMPARE(lines.first(), QStringLiteral("1\tあきの"));
    QCOMPARE(lines.last(), QStringLiteral("100\tもも"));
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
