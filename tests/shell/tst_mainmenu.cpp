#include <QtTest>
#include <QLabel>

#include "deck/poemtable.h"
#include "game/tf_game.h"
#include "match/tf_match.h"
#include "nagashi/tf_nagashi.h"
#include "position/tf_position.h"
#include "history/tf_stats.h"
#include "platform/sjis.h"
#include "platform/services.h"
#include "records/recordstable.h"
#include "records/tf_record.h"
#include "shell/application.h"
#include "shell/tf_main.h"
#include "shell/verticalmenubutton.h"
#include "training/tf_training.h"

using namespace platform;
using namespace platform::ui;

namespace {
class FakeScreen final : public Screen {
public:
    int height = 768;
    int primaryHeight() const override { return height; }
};
} // namespace

class tst_MainMenu : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void createsEightWindowsInOrderWithTheTableFirst();
    void screenHeightGates_data();
    void screenHeightGates();
    void gatesNeverDisable();
    void everyModeOpensAloneAndReturns_data();
    void everyModeOpensAloneAndReturns();
    void eachRecordsWindowShowsItsBoardsFile();
    void closingTheMenuEndsTheProgram();
    void matchEntryBesideThePanelOpensFromTheKeyboard();
    void statsEntryStandsInTheLeftStripAndTakesKeys();
    void everyMenuTextIsInItsOwnFace();
    void modesAreCreatedOnceAfterTheMenusFirstFrame();
    void aModeChosenBeforeTheModesExistCreatesThemFirst();

private:
    FakeScreen screen_;
    std::unique_ptr<ScopedServices> services_;
};

void tst_MainMenu::init()
{
    Services s;
    s.screen = &screen_;
    services_ = std::make_unique<ScopedServices>(s);
    screen_.height = 768;
    shell::CreateForms();
}

void tst_MainMenu::cleanup()
{
    shell::DestroyForms();
    services_.reset();
}

void tst_MainMenu::createsEightWindowsInOrderWithTheTableFirst()
{
    QVERIFY(deck::PoemTable.isFilled());
    const QList<Form *> forms{F_Main, F_Training, F_24, F_44, F_84, F_RecordS, F_RecordM, F_RecordL};
    const QStringList captions{"琴葉", "琴葉トレーニング", "琴葉ゲーム", "琴葉ゲーム", "琴葉ゲーム",
                               "琴葉記録Ｓ", "琴葉記録Ｍ", "琴葉記録Ｌ"};
    const QList<QSize> sizes{{592, 423}, {592, 423}, {592, 423}, {792, 522},
                             {967, 723}, {592, 423}, {592, 423}, {592, 423}};
    for (int i = 0; i < forms.size(); ++i) {
        QVERIFY(forms[i]);
        QCOMPARE(forms[i]->windowTitle(), captions[i]);
        QCOMPARE(forms[i]->size(), sizes[i]);
        QVERIFY(!forms[i]->isVisible());
    }
    QCOMPARE(Form::mainForm(), F_Main);
}

void tst_MainMenu::screenHeightGates_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("m");
    QTest::addColumn<bool>("l");
    QTest::newRow("599") << 599 << false << false;
    QTest::newRow("600") << 600 << true << false;
    QTest::newRow("749") << 749 << true << false;
    QTest::newRow("750") << 750 << true << true;
    QTest::newRow("1080") << 1080 << true << true;
}

void tst_MainMenu::screenHeightGates()
{
    QFETCH(int, height);
    QFETCH(bool, m);
    QFETCH(bool, l);
    screen_.height = height;
    QVERIFY(!F_Main->BtnGameM->isEnabled());
    QVERIFY(!F_Main->BtnGameL->isEnabled());
    F_Main->show();
    QCOMPARE(F_Main->BtnGameM->isEnabled(), m);
    QCOMPARE(F_Main->BtnGameL->isEnabled(), l);
    for (QPushButton *b : {F_Main->BtnTraining, F_Main->BtnGameS, F_Main->BtnRecordS, F_Main->BtnRecordM,
                           F_Main->BtnRecordL, F_Main->BtnClose})
        QVERIFY(b->isEnabled());
}

void tst_MainMenu::gatesNeverDisable()
{
    screen_.height = 800;
    F_Main->show();
    F_Main->hide();
    screen_.height = 500;
    F_Main->show();
    QVERIFY(F_Main->BtnGameM->isEnabled());
    QVERIFY(F_Main->BtnGameL->isEnabled());
}

void tst_MainMenu::everyModeOpensAloneAndReturns_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("closer");
    QTest::newRow("training") << "BtnTraining" << "F_Training" << "BtnClose";
    QTest::newRow("game S") << "BtnGameS" << "F_24" << "BtnClose";
    QTest::newRow("game M") << "BtnGameM" << "F_44" << "BtnClose";
    QTest::newRow("game L") << "BtnGameL" << "F_84" << "BtnClose";
    QTest::newRow("records S") << "BtnRecordS" << "F_RecordS" << "Button1";
    QTest::newRow("records M") << "BtnRecordM" << "F_RecordM" << "Button1";
    QTest::newRow("records L") << "BtnRecordL" << "F_RecordL" << "Button1";
    QTest::newRow("statistics") << "BtnStats" << "F_Stats" << "BtnClose";
    QTest::newRow("card drill") << "BtnNagashi" << "F_Nagashi" << "BtnClose";
}

void tst_MainMenu::everyModeOpensAloneAndReturns()
{
    QFETCH(QString, button);
    QFETCH(QString, form);
    QFETCH(QString, closer);
    F_Main->show();
    auto *b = F_Main->findChild<QWidget *>(button);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(!F_Main->isVisible());

    Form *mode = nullptr;
    int visible = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            ++visible;
        if (w->objectName() == form)
            mode = qobject_cast<Form *>(w);
    }
    QVERIFY(mode);
    QVERIFY(mode->isVisible());
    QCOMPARE(visible, 1);

    auto *close = mode->findChild<QPushButton *>(closer);
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!mode->isVisible());
    QVERIFY(F_Main->isVisible());
    QVERIFY(F_Main->BtnGameM->isEnabled());
    QVERIFY(F_Main->BtnGameL->isEnabled());
}

void tst_MainMenu::eachRecordsWindowShowsItsBoardsFile()
{
    QTemporaryDir dir;
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(saved); });
    const std::pair<TF_Record *, const char *> windows[] = {
        {F_RecordS, "RecordsS.dat"}, {F_RecordM, "RecordsM.dat"}, {F_RecordL, "RecordsL.dat"}};
    for (const auto &[window, file] : windows) {
        QFile f(QString::fromLatin1(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(records::SlotSize, '\0') + records::toSlot(records::makeEntry("1", file, "d")));
    }
    for (const auto &[window, file] : windows) {
        window->show();
        QCOMPARE(findControl<QLabel>(window->Panel1, QStringLiteral("st3"), 0)->text(), QString::fromLatin1(file));
        window->hide();
    }
}

void tst_MainMenu::closingTheMenuEndsTheProgram()
{
    F_Main->show();
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
    bool quitSeen = false;
    QTimer::singleShot(0, F_Main, [&] { F_Main->BtnClose->click(); });
    QTimer::singleShot(2000, qApp, [] { QCoreApplication::exit(99); });
    const int rc = QCoreApplication::exec();
    quitSeen = rc == 0;
    QVERIFY2(quitSeen, "the menu's close ends the event loop");
    QVERIFY(!F_Main->isVisible());
}

void tst_MainMenu::matchEntryBesideThePanelOpensFromTheKeyboard()
{
    F_Main->show();
    VerticalMenuButton *b = F_Main->BtnMatch;
    QCOMPARE(b->geometry(), QRect(531, 136, 49, 115));
    QVERIFY(!b->geometry().intersects(F_Main->Panel2->geometry()));
    // Each strip is split: the history above the position drill on the left,
    // the match above the card drill on the right; left before right in the
    // Tab order.
    QCOMPARE(F_Main->BtnStats->geometry(), QRect(12, 136, 49, 115));
    QCOMPARE(F_Main->BtnPosition->geometry(), QRect(12, 254, 49, 115));
    QCOMPARE(F_Main->BtnNagashi->geometry(), QRect(531, 254, 49, 115));
    QCOMPARE(F_Main->BtnStats->nextInFocusChain(), F_Main->BtnPosition);
    QCOMPARE(F_Main->BtnPosition->nextInFocusChain(), b);
    QCOMPARE(b->nextInFocusChain(), F_Main->BtnNagashi);

    b->setFocus();
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(b, &held);
    QVERIFY(F_Main->isVisible()); // a repeat alone never acts
    QTest::keyClick(b, Qt::Key_Space);
    QVERIFY(!F_Main->isVisible());
    QVERIFY(F_Match->isVisible());
    QCOMPARE(F_Match->windowTitle(), QStringLiteral("琴葉練習試合"));
    QVERIFY(F_Match->frameGeometry().height() <= 768 && F_Match->frameGeometry().width() <= 1024);

    // Nothing under way yet: the window closes without a question.
    int asked = 0;
    F_Match->confirmLeave = [&] { return ++asked, false; };
    QTest::mouseClick(F_Match->BtnClose, Qt::LeftButton);
    QCOMPARE(asked, 0);
    QVERIFY(!F_Match->isVisible());
    QVERIFY(F_Main->isVisible());
}

void tst_MainMenu::statsEntryStandsInTheLeftStripAndTakesKeys()
{
    F_Main->show();
    VerticalMenuButton *b = F_Main->BtnStats;
    QCOMPARE(b->geometry(), QRect(12, 136, 49, 115));
    QCOMPARE(b->parentWidget(), F_Main);
    QCOMPARE(platform::sjis::decode(b->Caption()), QStringLiteral("学習記録"));
    QVERIFY(!b->geometry().intersects(F_Main->Panel2->geometry()));
    QWidget *next = F_Main->BtnClose->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    QCOMPARE(next, b);

    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
        QTest::keyClick(b, key);
        QVERIFY(F_Stats->isVisible());
        QVERIFY(!F_Main->isVisible());
        F_Stats->BtnClose->click();
        QVERIFY(F_Main->isVisible());
    }
}

// The history is opened through this hook: never before the menu's first
// frame (it would delay it), and once only, however often the menu repaints.
// The menu draws its fixed texts without fallback faces: a character its
// face lacks would show as an empty box.
void tst_MainMenu::everyMenuTextIsInItsOwnFace()
{
    QList<std::pair<QString, QFont>> texts{{F_Main->Panel1->caption(), F_Main->Panel1->font()},
                                           {F_Main->Label1->text(), F_Main->Label1->font()}};
    for (const QPushButton *b : F_Main->findChildren<QPushButton *>())
        texts.append({b->text(), b->font()});
    QCOMPARE(texts.size(), 10);
    for (const auto &[text, font] : texts) {
        QVERIFY(font.styleStrategy() & QFont::NoFontMerging);
        const QFontMetrics metrics(font);
        for (const QChar c : text)
            QVERIFY2(metrics.inFont(c), qPrintable(QStringLiteral("%1 in %2").arg(c).arg(text)));
    }
}

void tst_MainMenu::modesAreCreatedOnceAfterTheMenusFirstFrame()
{
    shell::DestroyForms();
    int runs = 0;
    bool modesWereThere = false;
    shell::OpenMenu([&] {
        ++runs;
        modesWereThere = F_Training && F_Stats;
    });
    QVERIFY(F_Main);
    QVERIFY(!F_Training);
    QCOMPARE(runs, 0);

    QVERIFY(QTest::qWaitForWindowExposed(F_Main));
    for (int i = 0; i < 100 && runs == 0; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(runs, 1);
    QVERIFY(modesWereThere);
    QVERIFY(F_Main->isVisible());
    for (QWidget *mode : std::initializer_list<QWidget *>{F_Training, F_24, F_44, F_84, F_RecordS, F_RecordM,
                                                          F_RecordL, F_Match, F_Stats, F_Nagashi, F_Position})
        QVERIFY(mode && !mode->isVisible());

    const TF_Training *training = F_Training;
    F_Main->repaint();
    F_Main->hide();
    F_Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(F_Main));
    for (int i = 0; i < 100; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(runs, 1);
    QCOMPARE(F_Training, training);
}

// A click that beats the menu's first frame still opens its mode.
void tst_MainMenu::aModeChosenBeforeTheModesExistCreatesThemFirst()
{
    shell::DestroyForms();
    shell::CreateMainForm();
    F_Main->show();
    QVERIFY(!F_RecordS);
    F_Main->BtnRecordS->click();
    QVERIFY(F_RecordS);
    QVERIFY(F_RecordS->isVisible());
    QVERIFY(!F_Main->isVisible());
    QVERIFY(F_Training && F_Stats && !F_Training->isVisible());
}

QTEST_MAIN(tst_MainMenu)
#include "tst_mainmenu.moc"
