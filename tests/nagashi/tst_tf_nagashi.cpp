#include <QtTest>

#include <QApplication>

#include <set>

#include "../support/fakehistory.h"

#include "deck/poemtable.h"
#include "nagashi/tf_nagashi.h"
#include "platform/random.h"
#include "platform/gui/fonts.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/speedbuttontategaki.h"
#include "training/drillsets.h"
#include "voice/speaker.h"

using namespace platform;
using deck::PoemTable;

namespace {

class MenuStandIn final : public ui::Form {
public:
    MenuStandIn() : Form(QStringLiteral("琴葉"), QSize(100, 100)) { makeMainForm(); }
};

void press(QWidget *w, Qt::Key key, bool repeat = false)
{
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, QString(), repeat);
    QApplication::sendEvent(w, &e);
}

} // namespace

class tst_TF_Nagashi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pickingRunsASetAndEndsWithItsSummary();
    void reDrillAsksTheMissesAndTheSlow();
    void flipTimesToTheFlipAndGradesByKey();
    void keysOutsideTheirWayOrRunDoNothing();
    void closingDropsTheRun();

private:
    void selectSet(const QString &name);
    fakes::FakeMonotonic clock_;
    fakes::FakeRecorder history_;
    std::unique_ptr<ScopedServices> services_;
    std::unique_ptr<MenuStandIn> menu_;
    TF_Nagashi *w = nullptr;
};

void tst_TF_Nagashi::initTestCase()
{
    fonts::installSubstitutes();
    PoemTable.fill();
    menu_ = std::make_unique<MenuStandIn>();
}

void tst_TF_Nagashi::init()
{
    Services s;
    s.monotonic = &clock_;
    services_ = std::make_unique<ScopedServices>(s);
    history_ = fakes::FakeRecorder{};
    rng().state = 42;
    menu_->hide();
    w = new TF_Nagashi({services(), rng(), history_, voice::options(), PoemTable});
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void tst_TF_Nagashi::cleanup()
{
    delete w;
    services_.reset();
}

void tst_TF_Nagashi::selectSet(const QString &name)
{
    const int i = w->CmbSet->findText(name, Qt::MatchStartsWith);
    QVERIFY2(i > 0, qPrintable(name));
    w->CmbSet->setCurrentIndex(i);
}

// The one-syllable deciders, each answered 100 ms slower than the last,
// the third one wrongly.
void tst_TF_Nagashi::pickingRunsASetAndEndsWithItsSummary()
{
    selectSet(QStringLiteral("一字決まり"));
    const QList<deck::PoemNo> set = training::drillSets()[w->CmbSet->currentData().toInt()].poems;
    w->BtnStart->click();
    QVERIFY(w->running());
    QVERIFY(!w->CmbSet->isEnabled() && !w->BtnStart->isEnabled());
    QCOMPARE(QApplication::focusWidget(), w);

    std::set<int> shown;
    for (int k = 0; k < set.size(); ++k) {
        const deck::PoemNo poem = w->currentPoem();
        shown.insert(poem);
        QCOMPARE(w->Card->Caption(), PoemTable[poem].Shimonoku.toByteArray());
        QCOMPARE(w->LblProgress->text(), QStringLiteral("%1 / %2枚").arg(k + 1).arg(set.size()));
        const int pick = k == 2 ? (w->choices().answer + 1) % nagashi::kChoiceCount : w->choices().answer;
        const deck::PoemNo picked = w->choices().poems[std::size_t(pick)];
        QVERIFY(w->BtnChoice[std::size_t(pick)]->text().contains(nagashi::decidingSyllables(picked)));
        clock_.now += 1000 + 100 * k;
        press(w, Qt::Key(Qt::Key_1 + pick));
        const history::Take &t = history_.takes.last();
        QCOMPARE(t.poem, poem);
        QCOMPARE(t.ms, 1000 + 100 * k);
        QCOMPARE(t.msAfterDeciding, std::optional<qint64>(1000 + 100 * k));
        QCOMPARE(t.outcome, k == 2 ? history::Outcome::Wrong : history::Outcome::Right);
        QCOMPARE(t.chosen, k == 2 ? picked : 0);
    }
    QCOMPARE(shown, std::set<int>(set.begin(), set.end()));
    QCOMPARE(history_.sessions, QStringList{QStringLiteral("nagashi")});
    QCOMPARE(history_.takes[0].extra.value(QStringLiteral("answer")).toString(), QStringLiteral("choice"));

    QVERIFY(!w->running());
    QVERIFY(w->TxtSummary->isVisible());
    const QString text = w->TxtSummary->toPlainText();
    QVERIFY2(text.startsWith(QStringLiteral("合計 %1　%2枚中 正解%3枚・誤答1枚")
                                 .arg(nagashi::seconds(w->summary().totalMs))
                                 .arg(set.size())
                                 .arg(set.size() - 1)),
             qPrintable(text));
    QCOMPARE(w->summary().totalMs, qint64(set.size()) * 1000 + 100 * (set.size() - 1) * set.size() / 2);
    QVERIFY(w->BtnRedrill->isEnabled());
    QVERIFY(w->CmbSet->isEnabled());
}

void tst_TF_Nagashi::reDrillAsksTheMissesAndTheSlow()
{
    selectSet(QStringLiteral("一字決まり"));
    w->BtnStart->click();
    int k = 0;
    while (w->running()) {
        clock_.now += 500 + 100 * k;
        w->ChoiceClick(k++ == 0 ? (w->choices().answer + 1) % nagashi::kChoiceCount : w->choices().answer);
    }
    const QList<deck::PoemNo> redrill = w->summary().redrill;
    QVERIFY(redrill.size() > 1 && redrill.size() < k);
    history_.takes.clear();
    w->BtnRedrill->click();
    QVERIFY(w->running());
    while (w->running())
        w->ChoiceClick(w->choices().answer);
    QList<deck::PoemNo> asked;
    for (const history::Take &t : history_.takes)
        asked << t.poem;
    std::sort(asked.begin(), asked.end());
    QList<deck::PoemNo> expected = redrill;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(asked, expected);
    QCOMPARE(history_.sessions.size(), 2);
    // All right and equally fast: nothing is left to re-drill.
    QVERIFY(!w->BtnRedrill->isEnabled());
}

void tst_TF_Nagashi::flipTimesToTheFlipAndGradesByKey()
{
    w->CmbAnswer->setCurrentIndex(1);
    QVERIFY(w->LblHow->text().contains(QStringLiteral("Space")));
    selectSet(QStringLiteral("友札「きみがため」"));
    w->BtnStart->click();
    QVERIFY(!w->BtnChoice[0]->isVisible());

    const deck::PoemNo first = w->currentPoem();
    QVERIFY(w->LtKaminoku->Caption().isEmpty());
    clock_.now += 1200;
    press(w, Qt::Key_Space);
    QCOMPARE(w->LtKaminoku->Caption(), PoemTable[first].Kaminoku.toByteArray());
    QVERIFY(w->LblHow->text().contains(QStringLiteral("J")));
    clock_.now += 3000; // grading takes its time; the card's time stopped at the flip
    press(w, Qt::Key_J);
    press(w, Qt::Key_J, true); // held: already the next card, which is not flipped
    QCOMPARE(history_.takes.size(), 1);
    QCOMPARE(history_.takes[0].poem, first);
    QCOMPARE(history_.takes[0].ms, 1200);
    QCOMPARE(history_.takes[0].outcome, history::Outcome::Right);
    QCOMPARE(history_.takes[0].extra.value(QStringLiteral("answer")).toString(), QStringLiteral("flip"));

    clock_.now += 700;
    press(w, Qt::Key_Space);
    press(w, Qt::Key_Space, true);
    press(w, Qt::Key_Left);
    QCOMPARE(history_.takes.size(), 2);
    QCOMPARE(history_.takes[1].ms, 700);
    QCOMPARE(history_.takes[1].outcome, history::Outcome::Wrong);
    QCOMPARE(history_.takes[1].chosen, 0);
    QVERIFY(!w->running());
    QCOMPARE(w->summary().redrill, QList<deck::PoemNo>{history_.takes[1].poem});
}

void tst_TF_Nagashi::keysOutsideTheirWayOrRunDoNothing()
{
    press(w, Qt::Key_1);
    press(w, Qt::Key_Space);
    w->ChoiceClick(0);
    QVERIFY(history_.takes.isEmpty());

    w->BtnStart->click();
    const deck::PoemNo poem = w->currentPoem();
    press(w, Qt::Key_J); // grading belongs to the flip
    press(w, Qt::Key_Space);
    press(w, Qt::Key_5);
    QVERIFY(history_.takes.isEmpty());
    QCOMPARE(w->currentPoem(), poem);
    press(w, Qt::Key_1, true); // a repeat alone never acts
    QVERIFY(history_.takes.isEmpty());
}

void tst_TF_Nagashi::closingDropsTheRun()
{
    w->BtnStart->click();
    w->ChoiceClick(w->choices().answer);
    w->BtnClose->click();
    QVERIFY(!w->isVisible());
    QVERIFY(menu_->isVisible());
    QVERIFY(!w->running());
    w->ChoiceClick(0);
    QCOMPARE(history_.takes.size(), 1);
    w->show();
    QVERIFY(w->BtnStart->isEnabled() && w->CmbSet->isEnabled());
    QVERIFY(w->Card->Caption().isEmpty());
}

QTEST_MAIN(tst_TF_Nagashi)
#include "tst_tf_nagashi.moc"
