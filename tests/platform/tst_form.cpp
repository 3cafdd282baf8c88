#include <QtTest>

#include <QCloseEvent>
#include <QApplication>

#include "platform/ui/form.h"

using namespace platform;
using namespace platform::ui;

namespace {
class RecordingForm : public Form {
public:
    using Form::Form;
    QStringList log;

protected:
    void FormShow() override { log << QStringLiteral("show"); }
    void FormHide() override { log << QStringLiteral("hide"); }
};
} // namespace

class tst_Form : public QObject {
    Q_OBJECT
private slots:
    void fixedSizeWithoutTitleBarButtons();
    void centredOnFirstShowingOnly();
    void closeAndShowMainRunsHideThenShowsMain();
    void windowManagerCannotCloseAModeWindow();
};

void tst_Form::fixedSizeWithoutTitleBarButtons()
{
    RecordingForm f(QStringLiteral("琴葉"), QSize(592, 423));
    QCOMPARE(f.size(), QSize(592, 423));
    QCOMPARE(f.minimumSize(), f.maximumSize());
    const Qt::WindowFlags flags = f.windowFlags();
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QCOMPARE(f.windowTitle(), QStringLiteral("琴葉"));
}

void tst_Form::centredOnFirstShowingOnly()
{
    RecordingForm f(QStringLiteral("x"), QSize(200, 100));
    f.show();
    QCOMPARE(f.log, QStringList{"show"});
    const QRect screen = f.screen()->geometry();
    QCOMPARE(f.geometry().center().x(), screen.center().x());
    QVERIFY(qAbs(f.geometry().center().y() - screen.center().y()) <= 1);

    f.move(10, 20);
    f.hide();
    f.show();
    QCOMPARE(f.pos(), QPoint(10, 20));
    QCOMPARE(f.log, (QStringList{"show", "hide", "show"}));
}

void tst_Form::closeAndShowMainRunsHideThenShowsMain()
{
    RecordingForm mainForm(QStringLiteral("main"), QSize(100, 100));
    mainForm.makeMainForm();
    RecordingForm mode(QStringLiteral("mode"), QSize(100, 100));
    mode.show();
    mode.closeAndShowMain();
    QVERIFY(!mode.isVisible());
    QVERIFY(mainForm.isVisible());
    QCOMPARE(mode.log, (QStringList{"show", "hide"}));
    QCOMPARE(mainForm.log, QStringList{"show"});
}

void tst_Form::windowManagerCannotCloseAModeWindow()
{
    RecordingForm mainForm(QStringLiteral("main"), QSize(100, 100));
    mainForm.makeMainForm();
    RecordingForm mode(QStringLiteral("mode"), QSize(100, 100));
    mode.show();
    // A close through the native window is what the window manager sends.
    QVERIFY(mode.windowHandle());
    QVERIFY(!mode.windowHandle()->close());
    QVERIFY(mode.isVisible());
    QVERIFY(mode.log.endsWith(QStringLiteral("show")));
}

QTEST_MAIN(tst_Form)
#include "tst_form.moc"
