#include <QtTest>

#include "platform/ui/modules.h"

using platform::ui::moduleFunction;

class tst_Modules : public QObject {
    Q_OBJECT
private slots:
    void onlyTheVersionAskedForIsUsed_data();
    void onlyTheVersionAskedForIsUsed();
    void aRefusalIsToldOnce();
};

void tst_Modules::onlyTheVersionAskedForIsUsed_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("told"); // empty when the module is used

    QTest::newRow("same version") << "kotoha_test_v1" << 1 << "";
    QTest::newRow("module newer than the program")
        << "kotoha_test_v2" << 1 << "the module kotoha_test_v2 is of version 2, not 1; going on without it";
    QTest::newRow("module without a version")
        << "kotoha_test_unversioned" << 1 << "the module kotoha_test_unversioned does not say its version; going on without it";
    QTest::newRow("no such module") << "kotoha_test_absent" << 1 << "the module kotoha_test_absent is missing; going on without it";
}

void tst_Modules::onlyTheVersionAskedForIsUsed()
{
    QFETCH(QString, module);
    QFETCH(int, version);
    QFETCH(QString, told);

    if (!told.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(told));
    const auto answer = reinterpret_cast<int (*)()>(moduleFunction(qPrintable(module), version, "kotohaTestAnswer"));
    if (told.isEmpty()) {
        QVERIFY(answer);
        QCOMPARE(answer(), 42);
    } else {
        QVERIFY(!answer);
    }
}

// A module asked for at every sound must not fill the terminal.
void tst_Modules::aRefusalIsToldOnce()
{
    QTest::ignoreMessage(QtWarningMsg, "the module kotoha_test_v1 is of version 1, not 3; going on without it");
    QVERIFY(!moduleFunction("kotoha_test_v1", 3, "kotohaTestAnswer"));
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    QVERIFY(!moduleFunction("kotoha_test_v1", 3, "kotohaTestAnswer"));
    QVERIFY(!moduleFunction("kotoha_test_absent", 1, "kotohaTestAnswer"));
    // The module stays usable for its own version.
    QVERIFY(moduleFunction("kotoha_test_v1", 1, "kotohaTestAnswer"));
}

QTEST_GUILESS_MAIN(tst_Modules)
#include "tst_modules.moc"
