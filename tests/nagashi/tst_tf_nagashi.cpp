#include <QtTest>

#include <QApplication>

#include <set>

#include "../support/fakehistory.h"
#include "../support/fakeservices.h"

#include "deck/poemtable.h"
#include "nagashi/tf_nagashi.h"
#include "platform/random.h"
#include "platform/sjis.h"
#include "platform/gui/fonts.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/speedbuttontategaki.h"
#include "history/database.h"
#include "history/playerstore.h"
#include "play/cardface.h"
#include "play/setchoice.h"
#include "voice/speaker.h"

using namespace platform;
using deck::PoemTable;

namespace {

class MenuStandIn final : public ui::Form {
public:
    MenuStandIn() : Form(QStringLiteral("琴葉"), QSize(100, 100)) { makeMainForm(); }
};

// A lower verse as the card shows it, in three columns.
QByteArray lowerVerseCard(deck::PoemNo poem)
{
    return play::evenColumns(PoemTable[poem].Shimonoku.toByteArray());
}

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
    void strayKeysAndClosing();
    void ownSetJoinsWhenShownAgain();
    void eachRunDealsAfreshAndTheRedrillKeepsToItsSet();

private:
    void selectSet(const QString &name);
    fakes::FakeMonotonic clock_;
    fakes::FakeClock timeOfDay_;
    fakes::FakeRecorder history_;
    Services services_; // handed over, never installed
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
    s.clock = &timeOfDay_;
    services_ = fakes::withStandIns(s);
    history_ = fakes::FakeRecorder{};
    rng().state = 42;
    menu_->hide();
    w = new TF_Nagashi({services_, rng(), history_, voice::options(), PoemTable});
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void tst_TF_Nagashi::cleanup()
{
    delete w;
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
    const QList<deck::PoemNo> set = play::chosenPoems(w->CmbSet);
    w->BtnStart->click();
    QVERIFY(!w->CmbSet->isEnabled() && !w->BtnStart->isEnabled());
    QCOMPARE(QApplication::focusWidget(), w);

    std::set<int> shown;
    for (int k = 0; k < set.size(); ++k) {
        const deck::PoemNo poem = w->currentPoem();
        shown.insert(poem);
        QCOMPARE(w->Card->Caption(), lowerVerseCard(poem));
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

    QCOMPARE(w->summary().totalMs, qint64(set.size()) * 1000 + 100 * (set.size() - 1) * set.size() / 2);
    QVERIFY(w->TxtSummary->isVisible());
    QVERIFY2(w->TxtSummary->toPlainText().contains(QStringLiteral("正解%1枚・誤答1枚").arg(set.size() - 1)),
             qPrintable(w->TxtSummary->toPlainText()));
    QVERIFY(w->BtnRedrill->isEnabled() && w->CmbSet->isEnabled());
}

// The hundred, the first half missed and the rest each slower than the last.
void tst_TF_Nagashi::reDrillAsksTheMissesAndTheSlow()
{
    w->BtnStart->click();
    int k = 0;
    QMap<deck::PoemNo, deck::PoemNo> picked;
    while (w->running()) {
        clock_.now += 500 + 100 * k;
        if (k++ < 50) {
            const int i = (w->choices().answer + 1) % nagashi::kChoiceCount;
            picked.insert(w->currentPoem(), w->choices().poems[std::size_t(i)]);
            w->ChoiceClick(i);
        } else {
            w->ChoiceClick(w->choices().answer);
        }
    }
    const QList<deck::PoemNo> redrill = w->summary().redrill;
    QVERIFY(redrill.size() > 50 && redrill.size() < k);
    // What the re-drill asks is in sight without scrolling; each miss says
    // what was picked instead.
    const QString text = w->TxtSummary->toPlainText();
    QTextCursor at(w->TxtSummary->document());
    at.setPosition(int(text.indexOf(QStringLiteral("再ドリル"))));
    QVERIFY(at.position() > 0);
    QVERIFY(w->TxtSummary->viewport()->rect().contains(w->TxtSummary->cursorRect(at)));
    for (auto it = picked.cbegin(); it != picked.cend(); ++it) {
        const QString line = text.section(QStringLiteral("\n  %1「").arg(it.key(), 3), 1, 1).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(line.contains(QStringLiteral("%1「%2」").arg(it.value()).arg(nagashi::decidingSyllables(it.value()))),
                 qPrintable(line));
    }
    history_.takes.clear();
    w->BtnRedrill->click();
    while (w->running())
        w->ChoiceClick(w->choices().answer);
    QSet<deck::PoemNo> asked;
    for (const history::Take &t : history_.takes)
        asked << t.poem;
    QCOMPARE(history_.takes.size(), redrill.size());
    QCOMPARE(asked, QSet<deck::PoemNo>(redrill.begin(), redrill.end()));
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
    // The upper verse in three columns, each whole in the label, none
    // pressed against the next.
    const QStringList columns = sjis::decode(w->LtKaminoku->Caption()).split(QStringLiteral("\r\n"));
    QCOMPARE(columns.join(QString()), sjis::decode(PoemTable[first].Kaminoku.toByteArray()).remove(QChar(0x3000)));
    const int glyph = w->LtKaminoku->font().pixelSize();
    QVERIFY(w->LtKaminoku->LineMargin() >= glyph / 2);
    QVERIFY(w->LtKaminoku->width() >= columns.size() * (glyph + w->LtKaminoku->LineMargin()) - w->LtKaminoku->LineMargin());
    for (const QString &c : columns)
        QVERIFY2(c.size() * glyph <= w->LtKaminoku->height(), qPrintable(c));
    QVERIFY(w->LblHow->text().contains(QStringLiteral("J")));
    clock_.now += 3000; // grading takes its time; the card's time stopped at the flip
    press(w, Qt::Key_J);
    press(w, Qt::Key_J, true); // held: already the next card, which is not flipped
    QCOMPARE(history_.takes.size(), 1);
    QCOMPARE(history_.takes[0].poem, first);
    QCOMPARE(history_.takes[0].ms, 1200);
    QCOMPARE(history_.takes[0].extra.value(QStringLiteral("answer")).toString(), QStringLiteral("flip"));

    clock_.now += 700;
    press(w, Qt::Key_Space);
    press(w, Qt::Key_Space, true);
    press(w, Qt::Key_Left);
    QCOMPARE(history_.takes.size(), 2);
    QCOMPARE(history_.takes[1].ms, 700);
    QCOMPARE(history_.takes[1].outcome, history::Outcome::Wrong);
    QCOMPARE(history_.takes[1].chosen, 0);
    QCOMPARE(w->summary().redrill, QList<deck::PoemNo>{history_.takes[1].poem});
}

// Keys of the other way, keys outside a run and held keys do nothing; closing
// drops the run.
void tst_TF_Nagashi::strayKeysAndClosing()
{
    press(w, Qt::Key_1);
    w->ChoiceClick(0);
    w->BtnStart->click();
    const deck::PoemNo poem = w->currentPoem();
    for (Qt::Key key : {Qt::Key_J, Qt::Key_Space, Qt::Key_5})
        press(w, key);
    press(w, Qt::Key_1, true);
    QVERIFY(history_.takes.isEmpty());
    QCOMPARE(w->currentPoem(), poem);

    w->ChoiceClick(w->choices().answer);
    w->BtnClose->click();
    QVERIFY(!w->isVisible() && menu_->isVisible());
    w->ChoiceClick(0);
    QCOMPARE(history_.takes.size(), 1);
    w->show();
    QVERIFY(w->BtnStart->isEnabled() && w->Card->Caption().isEmpty());
}

// A set saved in the quiz while the drill was away is offered when it shows
// again, and a run goes through its cards alone.
void tst_TF_Nagashi::ownSetJoinsWhenShownAgain()
{
    QTemporaryDir dir;
    const QString before = history::databasePath();
    history::setDatabasePath(dir.filePath(QStringLiteral("history.sqlite")));
    history::OwnSet own{0, QStringLiteral("自陣"), {3, 15, 22}};
    QCOMPARE(history::saveOwnSet(history::databasePath(), own), QString());
    QCOMPARE(w->CmbSet->findText(QStringLiteral("自陣"), Qt::MatchStartsWith), -1);
    w->hide();
    w->show();
    selectSet(QStringLiteral("自陣 (3首)"));
    w->BtnStart->click();
    std::set<int> shown;
    while (w->running()) {
        shown.insert(w->currentPoem());
        press(w, Qt::Key(Qt::Key_1 + w->choices().answer));
    }
    QCOMPARE(shown, std::set<int>(own.poems.begin(), own.poems.end()));
    history::setDatabasePath(before);
}

// Two starts of the program leave the shared generator in the same state:
// the runs differ by the time they start. A re-drill is of the set it came
// from, and goes when another is chosen.
void tst_TF_Nagashi::eachRunDealsAfreshAndTheRedrillKeepsToItsSet()
{
    selectSet(QStringLiteral("一字決まり"));
    const auto run = [this] {
        rng().state = 42;
        QList<std::pair<deck::PoemNo, int>> dealt;
        w->BtnStart->click();
        while (w->running()) {
            dealt << std::pair{w->currentPoem(), w->choices().answer};
            w->ChoiceClick(dealt.size() == 1 ? (w->choices().answer + 1) % nagashi::kChoiceCount
                                             : w->choices().answer);
        }
        return dealt;
    };
    timeOfDay_.time = QTime(9, 0, 0, 0);
    const auto first = run();
    timeOfDay_.time = QTime(9, 0, 0, 1);
    QVERIFY(run() != first);

    QVERIFY(w->BtnRedrill->isEnabled());
    selectSet(QStringLiteral("二字決まり"));
    QVERIFY(!w->BtnRedrill->isEnabled());
    w->BtnRedrillClick();
    QVERIFY(!w->running());
}

QTEST_MAIN(tst_TF_Nagashi)
#include "tst_tf_nagashi.moc"
