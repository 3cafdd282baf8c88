#include <QtTest>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/services.h"
#include "shell/application.h"

namespace {

// The texts of the buttons of the modal window open now, and its title.
QStringList openDialog()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w)
        return {QStringLiteral("<no dialog>")};
    QStringList texts{w->windowTitle()};
    for (const QPushButton *b : w->findChildren<QPushButton *>())
        texts << b->text();
    return texts;
}

} // namespace

// Whatever the system's locale, Qt's own dialogs speak Japanese once the
// program has started, and every message window bears the program's name.
class tst_Japanese : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dialogsReadJapanese_data();
    void dialogsReadJapanese();
};

void tst_Japanese::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    shell::InitialiseApplication(*qApp);
}

void tst_Japanese::dialogsReadJapanese_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QStringList>("seen"); // title, then the buttons
    QTest::newRow("name prompt") << 0 << QStringList{"氏名登録", "OK", "キャンセル"};
    QTest::newRow("error") << 1 << QStringList{"琴葉", "OK"};
    QTest::newRow("question") << 2 << QStringList{"琴葉", "はい(&Y)", "いいえ(&N)"};
    QTest::newRow("notice") << 3 << QStringList{"琴葉", "OK"};
}

void tst_Japanese::dialogsReadJapanese()
{
    QFETCH(int, which);
    QFETCH(QStringList, seen);
    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        shown = openDialog();
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    platform::Services &s = platform::services();
    switch (which) {
    case 0: s.inputBox->ask(QStringLiteral("氏名登録"), QStringLiteral("氏名"), QString()); break;
    case 1: s.errors->showError(QStringLiteral("e")); break;
    case 2: s.messages->askYesNo(QStringLiteral("q")); break;
    default: s.messages->inform(QStringLiteral("n")); break;
    }
    shown.sort();
    seen.sort();
    QCOMPARE(shown, seen);
}

QTEST_MAIN(tst_Japanese)
#include "tst_japanese.moc"
