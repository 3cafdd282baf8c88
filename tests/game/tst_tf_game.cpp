#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <set>

#include "../support/fakehistory.h"
#include "../support/fakeclips.h"
#include "../support/fakeservices.h"
#include "../support/keys.h"

#include "deck/poemtable.h"
#include "game/decidedmark.h"
#include "game/tf_game.h"
#include "voice/speaker.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/ui/desktop.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "tategaki/engine.h"
#include "tategaki/labeltategaki.h"
#include "tategaki/shaper.h"
#include "tategaki/speedbuttontategaki.h"

using namespace platform;
using namespace platform::ui;
using namespace fakes;
using game::BoardSize;
using tategaki::TSpeedButtonTategaki;

Q_DECLARE_METATYPE(game::BoardSize)

namespace {

const char *const kRecordsFiles[] = {"RecordsS.dat", "RecordsM.dat", "RecordsL.dat"};

QTime timeOfState(int ms)
{
    return QTime::fromMSecsSinceStartOfDay(ms);
}

void addBoardRows()
{
    QTest::addColumn<BoardSize>("size");
    QTest::newRow("S") << BoardSize::S;
    QTest::newRow("M") << BoardSize::M;
    QTest::newRow("L") << BoardSize::L;
}

// Which of the six buttons are enabled, in tab order: "1" on, "0" off.
QString enabledButtons(const TF_Game *w)
{
    QString out;
    for (const QWidget *b : {w->BtnShow, w->BtnStart, w->BtnYomijun, w->BtnTorijun, w->BtnReset, w->BtnClose})
        out += b->isEnabled() ? u'1' : u'0';
    return out;
}

// The state a board is in when shown, after "リセット" and after "終了".
void verifyResetState(const TF_Game *w)
{
    QCOMPARE(enabledButtons(w), QStringLiteral("100011"));
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("0"));
    QVERIFY(w->lt1->Caption().isEmpty());
    QVERIFY(w->lt2->Caption().isEmpty());
    for (int k = 1; k <= w->board().FudaSu; ++k) {
        QVERIFY(w->card(k)->Caption().isEmpty());
        QVERIFY(!w->card(k)->isEnabled());
        QCOMPARE(w->card(k)->Color(), colors::clBtnFace);
    }
}

} // namespace

class tst_TF_Game : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsKeepApartInsideTheWindow_data();
    void controlsKeepApartInsideTheWindow();
    void controlsAreSetUp_data() { addBoardRows(); }
    void controlsAreSetUp();
    void cardsAreNumberedRightToLeft_data() { addBoardRows(); }
    void cardsAreNumberedRightToLeft();
    void wholeVersesFitTheReadingLabels_data() { addBoardRows(); }
    void wholeVersesFitTheReadingLabels();
    void firstShowIsTheResetState_data() { addBoardRows(); }
    void firstShowIsTheResetState();

    void dealShowsTheDrawnCards_data() { addBoardRows(); }
    void dealShowsTheDrawnCards();
    void sortPutsTheSmallestKeyTopRight_data();
    void sortPutsTheSmallestKeyTopRight();

    void startEnablesCardsOnlyAtTheFirstReading();
    void decidedMarkBesideTheUpperVerse();
    void revealOfPoem1_data();
    void revealOfPoem1();
    void correctTakeScores_data();
    void correctTakeScores();
    void readingAloudOnTheTicks_data();
    void readingAloudOnTheTicks();
    void wrongTakeMarksTheRightCard();
    void keysDuringAReadingNeverHarmTheGame_data();
    void keysDuringAReadingNeverHarmTheGame();
    void clickAfterTimeOutIsIgnoredAndSilent();
    void resetInTheMiddleOfAReading();
    void closeResetsAndReturnsToTheMenu();
    void mouseClickOnACardTakesIt();

    void wholeGameEndsWithOneRecordStep_data();
    void wholeGameEndsWithOneRecordStep();
    void recordStepErrorGoesToTheErrorDisplay();
    void handlerErrorIsShownAndTheGameGoesOn();
    void failingSoundNeverStopsAGame_data();
    void failingSoundNeverStopsAGame();
    void boardsNeverShareState();
    void takesGoToTheHistory_data();
    void takesGoToTheHistory();

private:
    TF_Game *window(BoardSize size) const;
    void setState(int ms) { clock_.time = timeOfState(ms); }
    void ticks(TF_Game *w, int n);
    int rightCard(const TF_Game *w) const { return w->state().readingCard(); }
    // A card of the board that is neither the reading's nor taken yet.
    int otherCard(const TF_Game *w) const;
    // The small board shown and dealt so that its first reading is poem 1, on sbt7.
    TF_Game *dealPoem1First();

    QTemporaryDir readings_; // a folder of clips as the build makes them (empty files)
    FakeClock clock_;
    CountingBeeper beeper_;
    FakeInput prompt_;
    FakeErrors errors_;
    SoundBoard sounds_;
    FakeMonotonic monotonic_;
    FakeRecorder history_;
    Services services_; // the windows' own, through their needs
    std::unique_ptr<Form> menu_;
    std::unique_ptr<TF_24> s_;
    std::unique_ptr<TF_44> m_;
    std::unique_ptr<TF_84> l_;
};

void tst_TF_Game::initTestCase()
{
    fonts::installSubstitutes();
    deck::PoemTable.fill();
    QVERIFY(fakes::useFakeClipFolder(readings_.path()));
}

void tst_TF_Game::init()
{
    for (const char *f : kRecordsFiles)
        QFile::remove(QLatin1String(f));
    sounds_ = SoundBoard{};
    beeper_.beeps = 0;
    prompt_.asked.clear();
    prompt_.answer = QStringLiteral("ABC");
    errors_.shown.clear();
    clock_.time = QTime(0, 0);

    Services s;
    s.clock = &clock_;
    s.beeper = &beeper_;
    s.inputBox = &prompt_;
    s.errors = &errors_;
    s.makeWavePlayer = [this] { return std::make_unique<FakePlayer>(sounds_); };
    s.monotonic = &monotonic_;
    services_ = fakes::withStandIns(s);
    history_ = FakeRecorder{};

    menu_ = std::make_unique<Form>(QStringLiteral("menu"), QSize(100, 100));
    menu_->makeMainForm();
    const TF_Game::Needs needs{services_, rng(), history_, voice::options(), deck::PoemTable};
    s_ = std::make_unique<TF_24>(needs);
    m_ = std::make_unique<TF_44>(needs);
    l_ = std::make_unique<TF_84>(needs);
}

void tst_TF_Game::cleanup()
{
    voice::options() = voice::Options{};
    l_.reset();
    m_.reset();
    s_.reset();
    menu_.reset();
    for (const char *f : kRecordsFiles)
        QFile::remove(QLatin1String(f));
}

TF_Game *tst_TF_Game::window(BoardSize size) const
{
    switch (size) {
    case BoardSize::S: return s_.get();
    case BoardSize::M: return m_.get();
    case BoardSize::L: return l_.get();
    }
    return nullptr;
}

void tst_TF_Game::ticks(TF_Game *w, int n)
{
    for (int i = 0; i < n; ++i)
        w->Timer1Timer();
}

TF_Game *tst_TF_Game::dealPoem1First()
{
    TF_Game *w = s_.get();
    w->show();
    setState(23);
    w->BtnShowClick();
    return w;
}

int tst_TF_Game::otherCard(const TF_Game *w) const
{
    for (int k = 1; k <= w->board().FudaSu; ++k)
        if (k != rightCard(w) && w->card(k)->isEnabled())
            return k;
    return 0;
}

// --- the window ------------------------------------------------------------

void tst_TF_Game::controlsKeepApartInsideTheWindow_data()
{
    QTest::addColumn<BoardSize>("size");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("versesSideBySide");
    QTest::newRow("S") << BoardSize::S << QSize(592, 423) << true;
    QTest::newRow("M") << BoardSize::M << QSize(792, 522) << true;
    QTest::newRow("L") << BoardSize::L << QSize(967, 723) << false;
}

void tst_TF_Game::controlsKeepApartInsideTheWindow()
{
    QFETCH(BoardSize, size);
    QFETCH(bool, versesSideBySide);
    TF_Game *w = window(size);
    QTEST(w->size(), "client");

    // Neighbours may share a one-pixel seam, as the cards do, never more.
    auto apart = [](const QWidget *a, const QWidget *b) {
        const QRect common = a->geometry() & b->geometry();
        return common.isEmpty() || common.width() == 1 || common.height() == 1;
    };
    auto name = [](const QWidget *a, const QWidget *b) {
        return (a->objectName() + QLatin1Char(' ') + b->objectName()).toUtf8();
    };
    const QList<QWidget *> buttons{w->BtnShow, w->BtnStart, w->BtnYomijun, w->BtnTorijun, w->BtnReset, w->BtnClose};
    const QList<QWidget *> onWindow = buttons + QList<QWidget *>{w->Label1, w->PTokuten, w->Panel2, w->Panel1};
    for (qsizetype i = 0; i < onWindow.size(); ++i) {
        QWidget *c = onWindow[i];
        QCOMPARE(c->parentWidget(), w);
        QVERIFY2(w->rect().contains(c->geometry()), qPrintable(c->objectName()));
        for (qsizetype j = i + 1; j < onWindow.size(); ++j)
            QVERIFY2(apart(c, onWindow[j]), name(c, onWindow[j]).constData());
    }
    for (QWidget *lt : {static_cast<QWidget *>(w->lt1), static_cast<QWidget *>(w->lt2)}) {
        QCOMPARE(lt->parentWidget(), w->Panel1);
        QVERIFY2(w->Panel1->rect().contains(lt->geometry()), qPrintable(lt->objectName()));
    }
    QVERIFY(apart(w->lt1, w->lt2));

    // The buttons read in tab order: down a pair, or on to the right.
    for (qsizetype i = 0; i + 1 < buttons.size(); ++i) {
        const QRect a = buttons[i]->geometry(), b = buttons[i + 1]->geometry();
        QVERIFY2(b.left() >= a.right() || (b.left() == a.left() && b.top() >= a.bottom()),
                 name(buttons[i], buttons[i + 1]).constData());
    }
    // The score to the right of the buttons, its caption first; the reading
    // panel to the right of the board.
    QVERIFY(w->Label1->geometry().left() > w->BtnClose->geometry().right());
    QVERIFY(w->PTokuten->geometry().left() > w->Label1->geometry().right());
    QVERIFY(w->Panel1->geometry().left() >= w->Panel2->geometry().right());

    // The verse reads right to left with the lower half 35 pixels down, or,
    // in one narrow column, the lower half under the upper.
    const QRect upper = w->lt1->geometry(), lower = w->lt2->geometry();
    if (versesSideBySide) {
        QVERIFY(upper.left() > lower.right());
        QCOMPARE(lower.top() - upper.top(), 35);
    } else {
        QCOMPARE(lower.left(), upper.left());
        QVERIFY(lower.top() > upper.bottom());
    }
}

void tst_TF_Game::controlsAreSetUp()
{
    QFETCH(BoardSize, size);
    TF_Game *w = window(size);
    const std::pair<QPushButton *, const char *> captions[] = {
        {w->BtnShow, "札を表示"},  {w->BtnStart, "読み開始"}, {w->BtnYomijun, "並替(読み札順)"},
        {w->BtnTorijun, "並替(取り札順)"}, {w->BtnReset, "リセット"}, {w->BtnClose, "終了"},
    };
    for (const auto &[button, caption] : captions)
        QCOMPARE(button->text(), QString::fromUtf8(caption));
    QCOMPARE(w->Label1->text(), QStringLiteral("得点"));
    // Every caption fits its button whole, at the font's full height.
    for (QPushButton *b : {w->BtnShow, w->BtnStart, w->BtnYomijun, w->BtnTorijun, w->BtnReset, w->BtnClose}) {
        QCOMPARE(b->font().pixelSize(), fonts::font(fonts::System, 19).pixelSize());
        QVERIFY2(QFontMetrics(b->font()).horizontalAdvance(b->text()) <= b->width() - 8, qPrintable(b->text()));
    }

    // Tab order: the six buttons in a row.
    const QList<QWidget *> tabs{w->BtnShow, w->BtnStart, w->BtnYomijun, w->BtnTorijun, w->BtnReset, w->BtnClose};
    for (int i = 0; i + 1 < tabs.size(); ++i) {
        QWidget *next = tabs[i]->nextInFocusChain();
        while (next && next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QCOMPARE(next, tabs[i + 1]);
    }

    for (auto *lt : {w->lt1, w->lt2}) {
        QVERIFY(!lt->AutoSize());
        QVERIFY(lt->MultiLine());
        QVERIFY(lt->Tategaki());
        QVERIFY(!lt->Transparent());
        QCOMPARE(lt->Layout(), tategaki::tlTop);
        QCOMPARE(lt->Alignment(), tategaki::taLeftJustify);
        QCOMPARE(lt->LineMargin(), 0);
        QVERIFY(lt->font().pixelSize() <= 19);
        QCOMPARE(lt->font(), w->lt1->font());
        QVERIFY(lt->font().bold());
    }
    QCOMPARE(w->lt1->property("Tag").toInt(), 1);
    QCOMPARE(w->lt2->property("Tag").toInt(), 2);
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 0);
}

void tst_TF_Game::cardsAreNumberedRightToLeft()
{
    QFETCH(BoardSize, size);
    TF_Game *w = window(size);
    const game::Board &b = w->board();
    QCOMPARE(w->Panel2->findChildren<TSpeedButtonTategaki *>().size(), b.FudaSu);
    const QRect insideBevels = w->Panel2->rect().adjusted(2, 2, -2, -2);
    for (int k = 1; k <= b.FudaSu; ++k) {
        TSpeedButtonTategaki *c = w->card(k);
        QVERIFY2(c, qPrintable(QStringLiteral("sbt%1").arg(k)));
        QCOMPARE(c->parentWidget(), w->Panel2);
        QCOMPARE(c->Tag(), k);
        QCOMPARE(c->size(), QSize(65, 113));
        QVERIFY(insideBevels.contains(c->geometry()));
        QVERIFY(c->MultiLine() && c->Tategaki() && c->AllowAllUp());
        QCOMPARE(c->font().pixelSize(), 16);
        // The next card of a row stands to its left, the card a row further
        // on right below it; neighbours share a pixel.
        const bool rowEnds = k % b.YokoSu == 0;
        if (!rowEnds) {
            QCOMPARE(w->card(k + 1)->geometry().right(), c->x());
            QCOMPARE(w->card(k + 1)->y(), c->y());
        }
        if (k + b.YokoSu <= b.FudaSu) {
            QCOMPARE(w->card(k + b.YokoSu)->y(), c->geometry().bottom());
            QCOMPARE(w->card(k + b.YokoSu)->x(), c->x());
        }
    }
    QVERIFY(!w->card(b.FudaSu + 1));
    // The grid starts 8 pixels in from the board's top left corner.
    QCOMPARE(w->card(b.YokoSu)->pos(), QPoint(8, 8));
}

// Every upper verse must show whole in lt1, and the lower verse in lt2, in
// one column each: a second column would fall outside the narrow label.
void tst_TF_Game::wholeVersesFitTheReadingLabels()
{
    QFETCH(BoardSize, size);
    TF_Game *w = window(size);
    for (auto *lt : {w->lt1, w->lt2}) {
        tategaki::FontMeasurer measurer(lt->font(), true);
        QVERIFY(measurer.isValid());
        const tategaki::TRect box = tategaki::TRect::fromQRect(lt->rect());
        for (int no = 1; no <= deck::kPoemCount; ++no) {
            const auto &poem = deck::PoemTable[no];
            const QByteArray verse = (lt == w->lt1 ? poem.Kaminoku : poem.Shimonoku).toByteArray();
            const auto layout = tategaki::LayoutTategakiText(measurer, tategaki::TategakiUnits(verse), box,
                                                             lt->TextParams());
            QVERIFY2(layout.columns.size() == 1,
                     qPrintable(QStringLiteral("%1 of poem %2: %3 columns")
                                    .arg(lt->objectName()).arg(no).arg(layout.columns.size())));
            const auto &column = layout.columns.front();
            QCOMPARE(column.count, int(verse.size() / 2));
            QVERIFY(column.y + column.offsets.back() <= box.Bottom);
        }
    }
}

void tst_TF_Game::firstShowIsTheResetState()
{
    QFETCH(BoardSize, size);
    TF_Game *w = window(size);
    w->show();
    QVERIFY(w->isVisible());
    QCOMPARE(sounds_.log, (QStringList{"open Push.wav", "open Close.wav"}));
    QCOMPARE(w->focusWidget(), w->BtnShow);
    verifyResetState(w);
}

// --- deal and sort ------------------------------------------------------------

void tst_TF_Game::dealShowsTheDrawnCards()
{
    QFETCH(BoardSize, size);
    TF_Game *w = window(size);
    w->show();
    w->PTokuten->setCaption(QStringLiteral("1234")); // left from a finished game
    setState(12345);
    w->BtnShowClick();

    QCOMPARE(enabledButtons(w), QStringLiteral("011111"));
    QCOMPARE(w->focusWidget(), w->BtnStart);
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("0"));
    QCOMPARE(w->state().YomiNo, 0);

    // The generator was reseeded from the clock: 12345 ms after midnight
    // gives this board (the first cards of every size are the same draws).
    const QList<int> first{39, 29, 8, 56, 64, 35, 44, 4, 93, 98, 33, 25};
    std::set<QByteArray> shown;
    for (int k = 1; k <= w->board().FudaSu; ++k) {
        TSpeedButtonTategaki *c = w->card(k);
        if (k <= first.size())
            QCOMPARE(c->Caption(), deck::PoemTable[first[k - 1]].Shimonoku.toByteArray());
        QCOMPARE(c->Caption(), w->state().Torifuda[k].Shimonoku.toByteArray());
        QCOMPARE(c->Color(), colors::clBtnFace);
        QVERIFY(!c->isEnabled());
        shown.insert(c->Caption());
    }
    QCOMPARE(int(shown.size()), w->board().FudaSu);
}


void tst_TF_Game::sortPutsTheSmallestKeyTopRight_data()
{
    QTest::addColumn<BoardSize>("size");
    QTest::addColumn<bool>("byUpperVerse");
    QTest::newRow("S by upper verse") << BoardSize::S << true;
    QTest::newRow("S by lower verse") << BoardSize::S << false;
    QTest::newRow("M by upper verse") << BoardSize::M << true;
    QTest::newRow("M by lower verse") << BoardSize::M << false;
    QTest::newRow("L by lower verse") << BoardSize::L << false;
}

void tst_TF_Game::sortPutsTheSmallestKeyTopRight()
{
    QFETCH(BoardSize, size);
    QFETCH(bool, byUpperVerse);
    TF_Game *w = window(size);
    w->show();
    setState(31337);
    w->BtnShowClick();
    const int n = w->board().FudaSu;

    auto key = [&](int k) {
        const auto &e = w->state().Torifuda[k];
        return (byUpperVerse ? e.Kaminoku : e.Shimonoku).toByteArray();
    };
    // The expected order, by a sort of our own over the dealt keys.
    std::vector<std::pair<QByteArray, QByteArray>> expected; // key, lower verse
    for (int k = 1; k <= n; ++k)
        expected.emplace_back(key(k), w->state().Torifuda[k].Shimonoku.toByteArray());
    std::sort(expected.begin(), expected.end());

    auto sortOnce = [&] { byUpperVerse ? w->BtnYomijunClick() : w->BtnTorijunClick(); };
    sortOnce();
    for (int k = 1; k <= n; ++k) {
        QCOMPARE(w->card(k)->Caption(), expected[k - 1].second);
        QCOMPARE(w->card(k)->Color(), colors::clBtnFace);
        QVERIFY(!w->card(k)->isEnabled());
    }
    // The reading order follows the sorted board.
    for (int i = 1; i <= n; ++i)
        QCOMPARE(w->state().Yomifuda[i], w->state().Torifuda[w->state().YomiSbtNo[i]]);

    // Again: the same board, a new reading order, the buttons as they were.
    const auto order = w->state().YomiSbtNo;
    sortOnce();
    for (int k = 1; k <= n; ++k)
        QCOMPARE(w->card(k)->Caption(), expected[k - 1].second);
    QVERIFY(w->state().YomiSbtNo != order);
    QCOMPARE(enabledButtons(w), QStringLiteral("011111"));
}

// --- a reading --------------------------------------------------------------

void tst_TF_Game::startEnablesCardsOnlyAtTheFirstReading()
{
    TF_Game *w = dealPoem1First();
    w->lt1->setCaption("x");
    w->BtnStartClick();
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 150);
    QVERIFY(w->lt1->Caption().isEmpty());
    QCOMPARE(enabledButtons(w), QStringLiteral("000011"));
    for (int k = 1; k <= 24; ++k)
        QVERIFY(w->card(k)->isEnabled());
    QCOMPARE(w->state().YomiNo, 1);
    QCOMPARE(w->state().Keika(), 0);

    const int first = rightCard(w);
    w->sbt1Click(w->card(first));
    w->BtnStartClick();
    QCOMPARE(w->state().YomiNo, 2);
    QVERIFY(!w->card(first)->isEnabled()); // taken cards stay off
    QCOMPARE(w->card(first)->Color(), colors::clBlue);
}

void tst_TF_Game::decidedMarkBesideTheUpperVerse()
{
    TF_Game *w = dealPoem1First();
    w->BtnStartClick();
    ticks(w, 5);
    QVERIFY(!w->Kimari->isVisible());
    ticks(w, 1); // あきの is complete
    QVERIFY(w->Kimari->isVisible());
    QCOMPARE(w->Kimari->parentWidget(), w->Panel1);
    // In the strip right of lt1, inside the panel, level with the third kana's end.
    QVERIFY(w->Kimari->x() >= w->lt1->geometry().right());
    QVERIFY(w->Panel1->rect().contains(w->Kimari->geometry()));
    const int cell = w->lt1->height() / 20;
    QVERIFY2(qAbs(w->Kimari->pointsAt() - w->lt1->y() - 3 * cell) <= cell / 2,
             qPrintable(QString::number(w->Kimari->pointsAt())));

    w->sbt1Click(w->card(rightCard(w)));
    QVERIFY(w->Kimari->isVisible()); // the take leaves it to be seen
    w->BtnStartClick();
    QVERIFY(!w->Kimari->isVisible());
}

void tst_TF_Game::revealOfPoem1_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QByteArray>("lt1");
    QTest::addColumn<QByteArray>("lt2");
    QTest::addColumn<int>("beeps");
    const QByteArray kami = deck::PoemTable[1].Kaminoku.toByteArray();
    QTest::newRow("tick 1") << 1 << kami.left(1) << QByteArray() << 1;
    QTest::newRow("tick 72") << 72 << kami << deck::PoemTable[1].Shimonoku.toByteArray().left(32) << 36;
}

void tst_TF_Game::revealOfPoem1()
{
    QFETCH(int, ticks);
    TF_Game *w = dealPoem1First();
    QCOMPARE(w->state().YomiSbtNo[1], 7);
    QCOMPARE(w->state().Yomifuda[1], deck::PoemTable[1]);
    w->BtnStartClick();
    this->ticks(w, ticks);
    QTEST(w->lt1->Caption(), "lt1");
    QTEST(w->lt2->Caption(), "lt2");
    QTEST(beeper_.beeps, "beeps");
    QVERIFY(w->Timer1->isActive());
}

void tst_TF_Game::correctTakeScores_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("score");
    QTest::newRow("before the first tick") << 0 << "72";
    QTest::newRow("after tick 72") << 72 << "0";
}

void tst_TF_Game::correctTakeScores()
{
    QFETCH(int, ticks);
    TF_Game *w = dealPoem1First();
    w->BtnStartClick();
    this->ticks(w, ticks);
    sounds_.log.clear();
    w->sbt1Click(w->card(7));

    QTEST(w->PTokuten->caption(), "score");
    QCOMPARE(w->LblLastTake->text(), QStringLiteral("+") + w->PTokuten->caption());
    QCOMPARE(w->LblYomiNo->text(), QStringLiteral("1 / 20"));
    QCOMPARE(w->card(7)->Color(), colors::clBlue);
    QVERIFY(!w->card(7)->isEnabled());
    QCOMPARE(sounds_.log, QStringList{"play Push.wav"});
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 0);
    QVERIFY(w->BtnStart->isEnabled());
    QCOMPARE(w->focusWidget(), w->BtnStart);
    // The answer is shown whole, all 36 bytes of the lower verse included.
    QCOMPARE(w->lt1->Caption(), deck::PoemTable[1].Kaminoku.toByteArray());
    QCOMPARE(w->lt2->Caption(), deck::PoemTable[1].Shimonoku.toByteArray());

    // The score adds up over readings.
    const int before = toInt(w->PTokuten->caption());
    w->BtnStartClick();
    this->ticks(w, 1);
    QCOMPARE(w->LblYomiNo->text(), QStringLiteral("2 / 20"));
    QVERIFY(w->LblLastTake->text().isEmpty());
    w->sbt1Click(w->card(rightCard(w)));
    QCOMPARE(w->PTokuten->caption(), QString::number(before + 71));
    QCOMPARE(w->LblLastTake->text(), QStringLiteral("+71"));
}

void tst_TF_Game::readingAloudOnTheTicks_data()
{
    QTest::addColumn<bool>("audio");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("beepKept");
    QTest::addColumn<QStringList>("clips"); // what the clip players did; "tick N" follows tick N
    QTest::addColumn<bool>("beeping");
    const QStringList spoken = {"open 001-1.wav", "open 001-2.wav", "play 001-1.wav", "tick 1", "tick 40",
                                "play 001-2.wav", "tick 41"};
    const QStringList silent = {"tick 1", "tick 40", "tick 41"};
    QTest::newRow("on: the voice alone") << true << true << false << spoken << false;
    QTest::newRow("on, beep kept") << true << true << true << spoken << true;
    QTest::newRow("off: the beep") << true << false << false << silent << true;
    QTest::newRow("no sound device: the beep") << false << true << false << silent << true;
}

// Each half starts on the tick that shows its first byte; the reading,
// its ticks and its score are what they are without the voice.
void tst_TF_Game::readingAloudOnTheTicks()
{
    QFETCH(bool, audio);
    QFETCH(bool, on);
    QFETCH(bool, beepKept);
    QFETCH(bool, beeping);
    voice::options().beepWhileReading = beepKept;
    services_.hasAudioOutput = [audio] { return audio; };

    TF_Game *w = dealPoem1First();
    QCOMPARE(w->CbYomiage->isEnabled(), audio);
    QCOMPARE(w->CbYomiage->toolTip().contains(QStringLiteral("装置")), !audio);
    w->CbYomiage->setChecked(on);
    QCOMPARE(voice::options().gameReading, on && audio);

    sounds_.log.clear();
    w->BtnStartClick();
    for (int t = 1; t <= 41; ++t) {
        w->Timer1Timer();
        if (t == 1 || t >= 40)
            sounds_.log << QStringLiteral("tick %1").arg(t);
    }
    QStringList clips;
    for (const QString &line : std::as_const(sounds_.log))
        clips << QString(line).replace(readings_.path() + u'/', QString());
    QTEST(clips, "clips");
    QCOMPARE(beeper_.beeps > 0, beeping);
    QCOMPARE(w->lt2->Caption(), deck::PoemTable[1].Shimonoku.toByteArray().left(1));
    w->sbt1Click(w->card(7));
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("31"));
}

void tst_TF_Game::wrongTakeMarksTheRightCard()
{
    TF_Game *w = dealPoem1First();
    w->BtnStartClick();
    ticks(w, 5);
    const int right = rightCard(w);
    const int next = w->state().YomiSbtNo[2]; // the card of the next reading
    sounds_.log.clear();
    w->sbt1Click(w->card(next));

    QCOMPARE(w->PTokuten->caption(), QStringLiteral("0"));
    QCOMPARE(w->card(next)->Color(), colors::clBtnFace);
    QVERIFY(w->card(next)->isEnabled());
    QCOMPARE(w->card(right)->Color(), colors::clRed);
    QVERIFY(!w->card(right)->isEnabled());
    QCOMPARE(sounds_.log, QStringList{"play Close.wav"});
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->lt2->Caption(), deck::PoemTable[1].Shimonoku.toByteArray());
    QCOMPARE(w->LblLastTake->text(), QStringLiteral("+0"));
    // The clicked card is framed until the next reading; the frame takes no clicks.
    QVERIFY(w->WrongMark->isVisible());
    QCOMPARE(w->WrongMark->geometry(), w->card(next)->geometry());
    QCOMPARE(w->Panel2->childAt(w->card(next)->geometry().center()), w->card(next));

    // The card clicked wrongly can still be taken when its own reading comes.
    w->BtnStartClick();
    QVERIFY(!w->WrongMark->isVisible());
    QCOMPARE(rightCard(w), next);
    w->sbt1Click(w->card(next));
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("72"));
    QCOMPARE(w->card(next)->Color(), colors::clBlue);
}

void tst_TF_Game::keysDuringAReadingNeverHarmTheGame_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("repeats");
    QTest::newRow("Space") << Qt::Key_Space << 0;
    QTest::newRow("Return") << Qt::Key_Return << 0;
    QTest::newRow("Return held") << Qt::Key_Return << 8;
}

void tst_TF_Game::keysDuringAReadingNeverHarmTheGame()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, repeats);
    TF_Game *w = dealPoem1First();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(QApplication::focusWidget(), w->BtnStart);

    keys::hold(key, repeats); // starts the reading
    QCOMPARE(w->state().YomiNo, 1);
    QVERIFY(w->Timer1->isActive());
    QVERIFY(!qobject_cast<QPushButton *>(QApplication::focusWidget()));
    ticks(w, 10);
    keys::hold(key, repeats); // and again, as a player might
    QCOMPARE(w->state().YomiNo, 1);
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->lt1->Caption(), deck::PoemTable[1].Kaminoku.toByteArray().left(10));
    QCOMPARE(enabledButtons(w), QStringLiteral("000011"));

    ticks(w, 63); // the time-out gives the focus back to "読み開始"
    QCOMPARE(QApplication::focusWidget(), w->BtnStart);
    keys::hold(key, repeats);
    QCOMPARE(w->state().YomiNo, 2);
}

void tst_TF_Game::clickAfterTimeOutIsIgnoredAndSilent()
{
    TF_Game *w = dealPoem1First();
    w->BtnStartClick();
    sounds_.log.clear();
    ticks(w, 72);
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->card(7)->Color(), colors::clBtnFace);
    ticks(w, 1);

    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->card(7)->Color(), colors::clRed);
    QVERIFY(!w->card(7)->isEnabled());
    QVERIFY(w->BtnStart->isEnabled());
    QCOMPARE(w->focusWidget(), w->BtnStart);
    QCOMPARE(beeper_.beeps, 36);
    QCOMPARE(w->lt1->Caption(), deck::PoemTable[1].Kaminoku.toByteArray());
    QCOMPARE(w->lt2->Caption(), deck::PoemTable[1].Shimonoku.toByteArray().left(32));

    const int other = otherCard(w);
    w->sbt1Click(w->card(other));
    QVERIFY(sounds_.log.isEmpty());
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("0"));
    QCOMPARE(w->card(other)->Color(), colors::clBtnFace);
    QVERIFY(w->card(other)->isEnabled());
    QCOMPARE(w->lt2->Caption(), deck::PoemTable[1].Shimonoku.toByteArray().left(32));
    ticks(w, 3); // a late tick changes nothing either
    QCOMPARE(beeper_.beeps, 36);
    QCOMPARE(w->state().Keika(), 73);
}

void tst_TF_Game::resetInTheMiddleOfAReading()
{
    TF_Game *w = m_.get();
    w->show();
    w->BtnShowClick();
    w->BtnStartClick();
    w->sbt1Click(w->card(rightCard(w)));
    w->BtnStartClick();
    ticks(w, 9);
    sounds_.log.clear();
    w->BtnResetClick();

    verifyResetState(w);
    QCOMPARE(w->focusWidget(), w->BtnShow);
    QVERIFY(sounds_.log.isEmpty());

    // A fresh game: the first start enables every card again.
    w->BtnShowClick();
    w->BtnStartClick();
    QCOMPARE(w->state().YomiNo, 1);
    for (int k = 1; k <= 44; ++k)
        QVERIFY(w->card(k)->isEnabled());
}

void tst_TF_Game::closeResetsAndReturnsToTheMenu()
{
    TF_Game *w = l_.get();
    w->show();
    w->BtnShowClick();
    w->BtnStartClick();
    ticks(w, 3);
    sounds_.log.clear();
    w->BtnCloseClick();
    QVERIFY(!w->isVisible());
    QVERIFY(menu_->isVisible());
    verifyResetState(w);
    QCOMPARE(sounds_.log, (QStringList{"close Push.wav", "close Close.wav"}));

    // Shown again: the empty board, and the sounds opened afresh.
    menu_->hide();
    w->show();
    verifyResetState(w);
    QCOMPARE(sounds_.log.mid(2), (QStringList{"open Push.wav", "open Close.wav"}));
}

void tst_TF_Game::mouseClickOnACardTakesIt()
{
    TF_Game *w = dealPoem1First();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::mouseClick(w->card(7), Qt::LeftButton); // disabled: nothing
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("0"));
    w->BtnStartClick();
    ticks(w, 2);
    QTest::mouseClick(w->card(7), Qt::LeftButton, {}, QPoint(30, 50));
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("70"));
    QCOMPARE(w->card(7)->Color(), colors::clBlue);
}

// --- whole games --------------------------------------------------------------

void tst_TF_Game::wholeGameEndsWithOneRecordStep_data()
{
    QTest::addColumn<BoardSize>("size");
    QTest::addColumn<bool>("lastTimesOut");
    for (const auto &[name, size] : {std::pair{"S", BoardSize::S}, {"M", BoardSize::M}, {"L", BoardSize::L}}) {
        QTest::addRow("%s, last reading taken", name) << size << false;
        QTest::addRow("%s, last reading timed out", name) << size << true;
    }
}

void tst_TF_Game::wholeGameEndsWithOneRecordStep()
{
    QFETCH(BoardSize, size);
    QFETCH(bool, lastTimesOut);
    TF_Game *w = window(size);
    const game::Board &b = w->board();
    w->show();
    setState(4711);
    w->BtnShowClick();

    int expected = 0;
    std::set<int> read;
    for (int reading = 1; reading <= b.YomiSu; ++reading) {
        QVERIFY(w->BtnStart->isEnabled());
        QVERIFY(!w->BtnShow->isEnabled());
        w->BtnStartClick();
        read.insert(rightCard(w));
        const bool last = reading == b.YomiSu;
        if ((last && lastTimesOut) || (!last && reading % 4 == 0)) {
            ticks(w, 73);
        } else if (reading % 4 == 1) {
            ticks(w, 5);
            w->sbt1Click(w->card(otherCard(w))); // wrong
        } else {
            ticks(w, reading % 60);
            w->sbt1Click(w->card(rightCard(w)));
            expected += 72 - reading % 60;
        }
        QCOMPARE(prompt_.asked.size(), last ? 1 : 0);
    }
    QCOMPARE(int(read.size()), b.YomiSu);
    QCOMPARE(w->PTokuten->caption(), QString::number(expected));
    QCOMPARE(enabledButtons(w), QStringLiteral("100011"));
    QCOMPARE(w->focusWidget(), w->BtnShow);
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(errors_.shown.isEmpty());

    // The record went to this board's file only, as the first entry.
    for (const char *f : kRecordsFiles)
        QCOMPARE(QFile::exists(QLatin1String(f)), QLatin1String(f) == b.recordsFile);
    QFile file(b.recordsFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.size(), 74);
    QCOMPARE(bytes.left(37), QByteArray(37, '\0'));
    const QByteArray score = QByteArray::number(expected);
    QCOMPARE(int(bytes[37]), int(score.size()));
    QCOMPARE(bytes.mid(38, score.size()), score);
    QCOMPARE(bytes.mid(37 + 5, 4), QByteArray("\x03" "ABC"));
    QCOMPARE(bytes.mid(37 + 26), QByteArray("\x0a" "2026/12/06"));

    // Unread cards stay enabled, but nothing more can be taken.
    int unreadEnabled = 0;
    for (int k = 1; k <= b.FudaSu; ++k)
        if (!read.count(k) && w->card(k)->isEnabled()) {
            ++unreadEnabled;
            w->sbt1Click(w->card(k));
        }
    QVERIFY(unreadEnabled > 0);
    QCOMPARE(w->PTokuten->caption(), QString::number(expected));
    QCOMPARE(prompt_.asked.size(), 1);

    // "札を表示" deals the next game at once.
    w->BtnShowClick();
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("0"));
    QVERIFY(w->BtnStart->isEnabled());
}

void tst_TF_Game::recordStepErrorGoesToTheErrorDisplay()
{
    // A folder where the records file should be: the record step cannot
    // open it, and the failure is reported, not swallowed.
    QVERIFY(QDir().mkdir("RecordsS.dat"));
    TF_Game *w = s_.get();
    w->show();
    w->BtnShowClick();
    for (int reading = 1; reading <= 20; ++reading) {
        w->BtnStartClick();
        w->sbt1Click(w->card(rightCard(w)));
    }
    QDir().rmdir("RecordsS.dat");
    QCOMPARE(errors_.shown.size(), 1);
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("1440"));
    QCOMPARE(enabledButtons(w), QStringLiteral("100011"));
}

void tst_TF_Game::handlerErrorIsShownAndTheGameGoesOn()
{
    TF_Game *w = dealPoem1First();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->BtnStartClick();
    ticks(w, 2);
    // A score that cannot be read makes the take's handler throw; the
    // application's edge reports it and the program carries on. That edge
    // is the one application's, not the window's: its display is installed.
    Services shown;
    shown.errors = &errors_;
    const ScopedServices atTheEdge(shown);
    // The take arrives from the event loop; a mouse event would unwind
    // through Qt's input code, which does not free its copies of the event.
    w->PTokuten->setCaption(QStringLiteral("x"));
    QMetaObject::invokeMethod(w, [w] { w->sbt1Click(w->card(7)); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCOMPARE(errors_.shown.size(), 1);
    QVERIFY2(errors_.shown.first().contains(QStringLiteral("「x」")), qPrintable(errors_.shown.first()));

    QTest::mouseClick(w->BtnReset, Qt::LeftButton);
    verifyResetState(w);
    QTest::mouseClick(w->BtnShow, Qt::LeftButton);
    QTest::mouseClick(w->BtnStart, Qt::LeftButton);
    QTest::mouseClick(w->card(rightCard(w)), Qt::LeftButton, {}, QPoint(30, 50));
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("72"));
    QCOMPARE(errors_.shown.size(), 1);
}

void tst_TF_Game::failingSoundNeverStopsAGame_data()
{
    QTest::addColumn<bool>("playThrows");
    QTest::addColumn<QStringList>("unopenable");
    QTest::newRow("play throws") << true << QStringList();
    QTest::newRow("files will not open") << false << QStringList{"Push.wav", "Close.wav"};
}

void tst_TF_Game::failingSoundNeverStopsAGame()
{
    QFETCH(bool, playThrows);
    QFETCH(QStringList, unopenable);
    sounds_.playThrows = playThrows;
    sounds_.unopenable = unopenable;
    TF_Game *w = s_.get();
    w->show();
    w->BtnShowClick();
    for (int reading = 1; reading <= 20; ++reading) {
        w->BtnStartClick();
        w->sbt1Click(w->card(reading % 2 ? rightCard(w) : otherCard(w)));
    }
    QVERIFY(errors_.shown.isEmpty());
    QCOMPARE(w->PTokuten->caption(), QStringLiteral("720"));
    QCOMPARE(prompt_.asked.size(), 1); // the game reached its record step
    QCOMPARE(enabledButtons(w), QStringLiteral("100011"));
}

void tst_TF_Game::boardsNeverShareState()
{
    for (TF_Game *w : {window(BoardSize::S), window(BoardSize::M), window(BoardSize::L)})
        w->show();
    setState(1000);
    s_->BtnShowClick();
    setState(2000);
    m_->BtnShowClick();

    QList<QByteArray> sBoard;
    for (int k = 1; k <= 24; ++k)
        sBoard << s_->card(k)->Caption();
    const auto sOrder = s_->state().YomiSbtNo;

    m_->BtnTorijunClick();
    m_->BtnStartClick();
    m_->sbt1Click(m_->card(rightCard(m_.get())));
    QCOMPARE(m_->PTokuten->caption(), QStringLiteral("72"));

    for (int k = 1; k <= 24; ++k) {
        QCOMPARE(s_->card(k)->Caption(), sBoard[k - 1]);
        QVERIFY(!s_->card(k)->isEnabled());
    }
    QVERIFY(s_->state().YomiSbtNo == sOrder);
    QCOMPARE(s_->state().YomiNo, 0);
    QCOMPARE(s_->PTokuten->caption(), QStringLiteral("0"));
    QVERIFY(l_->card(1)->Caption().isEmpty());
    QCOMPARE(l_->state().YomiNo, 0);

    // A card of one board means nothing to another.
    s_->BtnStartClick();
    s_->sbt1Click(m_->card(rightCard(s_.get())));
    QCOMPARE(s_->PTokuten->caption(), QStringLiteral("0"));
    QVERIFY(s_->Timer1->isActive());

    // A reset on one board leaves the other as it was.
    s_->BtnResetClick();
    QCOMPARE(m_->PTokuten->caption(), QStringLiteral("72"));
    QCOMPARE(m_->state().YomiNo, 1);
}

void tst_TF_Game::takesGoToTheHistory_data()
{
    // Poem 1, read first, is decided by the sound "あきの": six bytes, shown by tick 6.
    QTest::addColumn<int>("ticksShown");
    QTest::addColumn<qint64>("lateFromTick6"); // ms each tick from the sixth on comes late
    QTest::addColumn<QString>("take");         // "right", "wrong" or "none"
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<qint64>("msAfterDeciding"); // -1: none
    QTest::newRow("right before deciding") << 4 << 0ll << "right" << "right" << 630ll << -270ll;
    QTest::newRow("right after a late deciding tick") << 8 << 40ll << "right" << "right" << 1270ll << 330ll;
    QTest::newRow("wrong card") << 10 << 0ll << "wrong" << "wrong" << 1530ll << 630ll;
    QTest::newRow("time-out") << 73 << 0ll << "none" << "timeout" << 10950ll << -1ll;
}

void tst_TF_Game::takesGoToTheHistory()
{
    QFETCH(int, ticksShown);
    QFETCH(qint64, lateFromTick6);
    QFETCH(QString, take);
    QFETCH(QString, outcome);
    QFETCH(qint64, ms);
    QFETCH(qint64, msAfterDeciding);
    TF_Game *w = dealPoem1First();
    monotonic_.now = 1000;
    w->BtnStartClick();
    for (int k = 1; k <= ticksShown; ++k) {
        monotonic_.now = 1000 + 150 * k + (k >= 6 ? lateFromTick6 : 0);
        w->Timer1Timer();
    }
    monotonic_.now += 30;
    const int other = w->state().YomiSbtNo[2];
    if (take == "right")
        w->sbt1Click(w->card(rightCard(w)));
    else if (take == "wrong")
        w->sbt1Click(w->card(other));

    QCOMPARE(history_.sessions, QStringList{"game-S"});
    QCOMPARE(history_.takes.size(), 1);
    const history::Take &t = history_.takes.first();
    QCOMPARE(t.mode, history::Mode::GameS);
    QCOMPARE(t.session, 101);
    QCOMPARE(t.poem, 1);
    QCOMPARE(history::word(t.outcome), outcome);
    int otherPoem = 0;
    for (int p = 1; p <= 100; ++p)
        if (deck::PoemTable[p] == w->state().Torifuda[static_cast<std::size_t>(other)])
            otherPoem = p;
    QCOMPARE(t.chosen, take == "wrong" ? otherPoem : 0);
    QCOMPARE(t.ticks, std::optional<int>(ticksShown));
    QCOMPARE(t.ms, ms);
    QCOMPARE(t.msAfterDeciding, msAfterDeciding == -1 ? std::nullopt : std::optional<qint64>(msAfterDeciding));
    QCOMPARE(t.deciding, history::Deciding::Spoken);

    // The next reading of the same game is of the same session.
    w->BtnStartClick();
    w->sbt1Click(w->card(rightCard(w)));
    QCOMPARE(history_.takes.size(), 2);
    QCOMPARE(history_.takes.last().session, 101);
}

// The program's own application object, so that a throwing handler meets
// the same edge as in play.
int main(int argc, char **argv)
{
    platform::ui::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi);
    tst_TF_Game test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tf_game.moc"
