#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "deck/poemtable.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/ui/colors.h"
#include "platform/ui/fonts.h"
#include "training/quizrules.h"
#include "training/tf_training.h"

using namespace platform;
using deck::PoemTable;

namespace {

// Each reading moves the clock on by `stepMs`, so every reseed is known.
class StepClock final : public Clock {
public:
    QTime start{12, 34, 56, 789};
    int stepMs = 1;
    mutable int calls = 0;
    QTime utcTimeOfDay() const override { return start.addMSecs(stepMs * calls++); }
    QDate localDate() const override { return {2026, 12, 7}; }
    QString shortDateFormat() const override { return QStringLiteral("yyyy/MM/dd"); }
    quint32 seedOfCall(int n) const
    {
        const QTime t = start.addMSecs(stepMs * n);
        return quint32(t.msecsSinceStartOfDay());
    }
};

struct SoundBoard {
    QStringList log;
    QSet<QString> unopenable;
    bool playThrows = false;
    bool noPlayer = false;
};

class FakePlayer final : public WavePlayer {
public:
    explicit FakePlayer(SoundBoard &board) : board_(board) {}
    bool open(const QString &fileName) override
    {
        file_ = fileName;
        board_.log << QStringLiteral("open ") + fileName;
        return !board_.unopenable.contains(fileName);
    }
    void play() override
    {
        board_.log << QStringLiteral("play ") + file_;
        if (board_.playThrows)
            throw std::runtime_error("no audio device");
    }
    void close() override { board_.log << QStringLiteral("close ") + file_; }

private:
    SoundBoard &board_;
    QString file_;
};

class MenuStandIn final : public Form {
public:
    MenuStandIn() : Form(QStringLiteral("琴葉"), QSize(592, 423)) { makeMainForm(); }
};

int poemOf(const deck::PoemEntry &e)
{
    for (int no = 1; no <= 100; ++no)
        if (PoemTable[no].Kaminoku == e.Kaminoku)
            return no;
    return 0;
}

QColor textColorOf(const QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}

// "W" for white, "Y" for yellow, "?" for anything else.
QString colorCode(const QWidget *w)
{
    const QColor c = textColorOf(w);
    return c == colors::clWhite ? QStringLiteral("W") : c == colors::clYellow ? QStringLiteral("Y") : QStringLiteral("?");
}

} // namespace

class tst_Training : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAreLaidOut_data();
    void controlsAreLaidOut();
    void fontsAndColours_data();
    void fontsAndColours();
    void statisticsCaptions_data();
    void statisticsCaptions();
    void answerRowsAreASeries();

    void showStartsAFreshRun_data();
    void showStartsAFreshRun();
    void posingAQuestion();
    void verdicts_data();
    void verdicts();
    void countdownStepsToTimeout();
    void nothingJudgesTwice_data();
    void nothingJudgesTwice();
    void missMovesThePoem_data();
    void missMovesThePoem();
    void rates_data();
    void rates();
    void wholeRunWithoutMisses();
    void wholeRunWithMisses();

    void colourCoding_data();
    void colourCoding();
    void decidingTextCoversTheVerseHead();
    void colourBoxWaitsForTheNextQuestion();

    void soundFailuresLeaveTheQuizAlone_data();
    void soundFailuresLeaveTheQuizAlone();
    void closingStopsEverythingAndShowsTheMenu();

    void digitKeysChooseARow_data();
    void digitKeysChooseARow();
    void wholeRunFromTheKeyboard();

private:
    QPushButton *btn(int i) const { return findControl<QPushButton>(w->Panel1, QStringLiteral("Btn"), i); }
    QLabel *lbl(int i) const { return findControl<QLabel>(w->Panel1, QStringLiteral("Lbl"), i); }
    QLabel *lblK(int i) const { return findControl<QLabel>(w->Panel1, QStringLiteral("LblK"), i); }
    void showWindow();
    void answer(bool right) { w->Btn0Click(btn(right ? w->SeikaiNo : (w->SeikaiNo + 3) % 10)); }
    void timeOut()
    {
        for (int i = 0; i < 10; ++i)
            w->Timer1Timer();
    }
    // "questions right misses rate seconds", the five counters as shown.
    QString counters() const
    {
        return QStringList{w->LblMondaisu->text(), w->LblSeikai->text(), w->LblMachigai->text(),
                           w->LblSeikairitu->text(), w->LblNokoriJikan->text()}
            .join(QLatin1Char(' '));
    }
    QStringList positions() const
    {
        QStringList out;
        for (int p = 1; p <= 100; ++p)
            out << QString::number(poemOf(w->MondaiList[p]));
        return out;
    }

    StepClock clock_;
    SoundBoard sounds_;
    std::unique_ptr<ScopedServices> services_;
    std::unique_ptr<MenuStandIn> menu_;
    TF_Training *w = nullptr;
};

void tst_Training::initTestCase()
{
    fonts::installSubstitutes();
    PoemTable.fill();
    menu_ = std::make_unique<MenuStandIn>();
}

void tst_Training::init()
{
    clock_ = StepClock{};
    sounds_ = SoundBoard{};
    Services s;
    s.clock = &clock_;
    s.makeWavePlayer = [this]() -> std::unique_ptr<WavePlayer> {
        if (sounds_.noPlayer)
            return nullptr;
        return std::make_unique<FakePlayer>(sounds_);
    };
    services_ = std::make_unique<ScopedServices>(s);
    menu_->hide();
    w = new TF_Training;
}

void tst_Training::cleanup()
{
    delete w;
    w = nullptr;
    services_.reset();
}

void tst_Training::showWindow()
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void tst_Training::controlsAreLaidOut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("PnlHantei") << "PnlHantei" << "F_Training" << QRect(24, 16, 177, 49);
    QTest::newRow("Panel2") << "Panel2" << "F_Training" << QRect(216, 16, 353, 33);
    QTest::newRow("LblMondai") << "LblMondai" << "Panel2" << QRect(4, 8, 343, 16);
    QTest::newRow("Panel4") << "Panel4" << "F_Training" << QRect(24, 80, 177, 177);
    QTest::newRow("Panel1") << "Panel1" << "F_Training" << QRect(216, 72, 353, 337);
    QTest::newRow("Panel10") << "Panel10" << "F_Training" << QRect(24, 264, 177, 49);
    QTest::newRow("CbIro") << "CbIro" << "Panel10" << QRect(24, 16, 121, 17);
    QTest::newRow("Panel3") << "Panel3" << "F_Training" << QRect(24, 320, 177, 89);
    QTest::newRow("BtnShutudai") << "BtnShutudai" << "Panel3" << QRect(16, 8, 145, 33);
    QTest::newRow("BtnClose") << "BtnClose" << "Panel3" << QRect(16, 48, 145, 33);
    const char *values[] = {"Mondaisu", "Seikai", "Machigai", "Seikairitu", "NokoriJikan"};
    for (int r = 0; r < 5; ++r) {
        const QString box = QStringLiteral("Box") + QLatin1String(values[r]);
        QTest::newRow(qPrintable(box)) << box << "Panel4" << QRect(92, 12 + 32 * r, 45, 25);
        const QString value = QStringLiteral("Lbl") + QLatin1String(values[r]);
        QTest::newRow(qPrintable(value)) << value << box << QRect(4, 7, 37, 16);
    }
    for (int i = 0; i < 10; ++i) {
        QTest::newRow(qPrintable(QStringLiteral("Btn%1").arg(i)))
            << QStringLiteral("Btn%1").arg(i) << "Panel1" << QRect(8, 8 + 32 * i, 41, 33);
        QTest::newRow(qPrintable(QStringLiteral("Lbl%1").arg(i)))
            << QStringLiteral("Lbl%1").arg(i) << "Panel1" << QRect(56, 16 + 32 * i, 288, 16);
    }
}

void tst_Training::controlsAreLaidOut()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QCOMPARE(w->size(), QSize(592, 423));
    QCOMPARE(w->windowTitle(), QStringLiteral("琴葉トレーニング"));
    auto *c = w->findChild<QWidget *>(name);
    QVERIFY2(c, qPrintable(name));
    QCOMPARE(c->parentWidget()->objectName(), parent);
    QCOMPARE(c->geometry(), geometry);
}

void tst_Training::fontsAndColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("back"); // panels only
    const QColor none;
    // "System" draws with its 16-pixel cell (see systemFont()).
    QTest::newRow("verdict") << "PnlHantei" << fonts::MSMincho << 37 << colors::clWindowText << colors::clYellow;
    QTest::newRow("question panel") << "Panel2" << QString() << 0 << none << colors::clNavy;
    QTest::newRow("question") << "LblMondai" << fonts::System << 16 << colors::clWhite << none;
    QTest::newRow("question deciding") << "LblMondaiK" << fonts::System << 16 << colors::clYellow << none;
    QTest::newRow("statistics panel") << "Panel4" << QString() << 0 << none << colors::clNavy;
    QTest::newRow("value box") << "BoxSeikai" << QString() << 0 << none << colors::clWhite;
    QTest::newRow("value") << "LblSeikai" << fonts::System << 16 << colors::clWindowText << none;
    QTest::newRow("rows panel") << "Panel1" << QString() << 0 << none << colors::clNavy;
    QTest::newRow("row button") << "Btn7" << fonts::MSGothic << 19 << none << none;
    QTest::newRow("row verse") << "Lbl7" << fonts::System << 16 << colors::clWhite << none;
    QTest::newRow("row deciding") << "LblK7" << fonts::System << 16 << colors::clYellow << none;
    QTest::newRow("colour box") << "CbIro" << fonts::MSPGothic << 19 << colors::clWhite << none;
    QTest::newRow("pose") << "BtnShutudai" << fonts::MSPGothic << 19 << none << none;
    QTest::newRow("finish") << "BtnClose" << fonts::MSPGothic << 19 << none << none;
    QTest::newRow("percent unit") << "UnitSeikairitu" << fonts::MSGothic << 19 << colors::clWhite << none;
    QTest::newRow("seconds unit") << "UnitNokoriJikan" << fonts::MSGothic << 19 << colors::clWhite << none;
}

void tst_Training::fontsAndColours()
{
    QFETCH(QString, name);
    QFETCH(QString, face);
    QFETCH(int, pixels);
    QFETCH(QColor, text);
    QFETCH(QColor, back);
    auto *c = w->findChild<QWidget *>(name);
    QVERIFY2(c, qPrintable(name));
    if (!face.isEmpty()) {
        QCOMPARE(c->font().family(), face);
        QCOMPARE(c->font().pixelSize(), pixels);
        QVERIFY(c->font().bold());
    }
    if (auto *p = qobject_cast<Panel *>(c)) {
        QCOMPARE(p->color(), back);
        QCOMPARE(p->caption(), QString());
    } else if (text.isValid()) {
        QCOMPARE(textColorOf(c), text);
    }
}

void tst_Training::statisticsCaptions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QPoint>("pos");
    QTest::newRow("questions") << "問 題 数" << QPoint(16, 16);
    QTest::newRow("right") << "正 解 数" << QPoint(16, 48);
    QTest::newRow("misses") << "誤 答 数" << QPoint(16, 80);
    QTest::newRow("rate") << "正 解 率" << QPoint(16, 112);
    QTest::newRow("time") << "残り時間" << QPoint(16, 144);
    QTest::newRow("percent") << "％" << QPoint(144, 112);
    QTest::newRow("seconds") << "秒" << QPoint(143, 144);
}

void tst_Training::statisticsCaptions()
{
    QFETCH(QString, caption);
    QFETCH(QPoint, pos);
    const QList<QLabel *> labels = w->Panel4->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    auto it = std::find_if(labels.begin(), labels.end(), [&](QLabel *l) { return l->text() == caption; });
    QVERIFY2(it != labels.end(), qPrintable(caption));
    QCOMPARE((*it)->pos(), pos);
    QCOMPARE(textColorOf(*it), colors::clWhite);
    // The caption must not run into its value box at x 92.
    QVERIFY((*it)->geometry().right() < 92 || pos.x() > 137);
}

void tst_Training::answerRowsAreASeries()
{
    showWindow();
    w->BtnShutudaiClick();
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(btn(i)->text(), QStringLiteral("(&%1)").arg(i));
        QCOMPARE(btn(i)->property("Tag").toInt(), i);
        QCOMPARE(lblK(i)->pos(), lbl(i)->pos());
    }
    // Tab order: the rows in turn, then the colour box and the two commands.
    QWidget *expected[] = {btn(0), btn(1), btn(2), btn(3), btn(4), btn(5), btn(6), btn(7),
                           btn(8), btn(9), w->CbIro, w->BtnShutudai, w->BtnClose};
    w->BtnShutudai->setEnabled(true);
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        QWidget *next = expected[i - 1]->nextInFocusChain();
        while (next && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, expected[i]);
    }
    // Every row is judged by the same handler, told apart by its tag.
    const int wrong = (w->SeikaiNo + 5) % 10;
    btn(wrong)->click();
    QCOMPARE(w->PnlHantei->caption(), QStringLiteral("不正解"));
}

void tst_Training::showStartsAFreshRun_data()
{
    QTest::addColumn<int>("played"); // questions played before showing again
    QTest::addColumn<bool>("finished");
    QTest::newRow("first show") << 0 << false;
    QTest::newRow("left in the middle") << 7 << false;
    QTest::newRow("after a finished run") << 100 << true;
}

void tst_Training::showStartsAFreshRun()
{
    QFETCH(int, played);
    QFETCH(bool, finished);
    if (played > 0) {
        w->show();
        for (int q = 0; q < played; ++q) {
            w->BtnShutudaiClick();
            answer(q % 3 != 0 || finished);
        }
        if (!finished)
            w->BtnShutudaiClick(); // leave with a question open
        QCOMPARE(!w->BtnShutudai->isEnabled(), true);
        w->BtnCloseClick();
        clock_.calls = 0;
        sounds_.log.clear();
    }
    w->show();
    QCOMPARE(w->MondaiNo, 0);
    QCOMPARE(counters(), QStringLiteral("0 0 0 0 0"));
    QCOMPARE(w->PnlHantei->caption(), QString());
    QCOMPARE(w->LblMondai->text(), QString());
    QCOMPARE(w->LblMondaiK->text(), QString());
    QCOMPARE(w->LblMondaiK->width(), 0);
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(lbl(i)->text(), QString());
        QCOMPARE(lblK(i)->text(), QString());
        QCOMPARE(lblK(i)->width(), 0); // no navy block left over the empty row
        QVERIFY(!btn(i)->isEnabled());
    }
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(w->focusWidget(), w->BtnShutudai);
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(!w->Timer2->isActive());
    QCOMPARE(sounds_.log, (QStringList{"open Push.wav", "open Close.wav"}));
    // The order comes from a reseed at the show: 12:34:56.789.
    QCOMPARE(positions().first(6), (QStringList{"49", "28", "36", "3", "70", "46"}));
    QStringList sorted = positions();
    std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    QCOMPARE(sorted.first(), QStringLiteral("1"));
    QCOMPARE(sorted.last(), QStringLiteral("100"));
    QCOMPARE(QSet<QString>(sorted.begin(), sorted.end()).size(), 100);

    w->BtnShutudaiClick();
    QCOMPARE(w->MondaiNo, 1);
    QCOMPARE(poemOf(w->MondaiList[1]), 49);
}

void tst_Training::posingAQuestion()
{
    w->show();
    QVERIFY(w->CbIro->isChecked()); // ticked from the start
    w->PnlHantei->setCaption(QStringLiteral("正解!!"));
    w->BtnShutudaiClick();

    QCOMPARE(w->MondaiNo, 1);
    const deck::PoemEntry &q = w->MondaiList[1];
    QCOMPARE(w->LblMondai->text(), q.Kaminoku.text());
    QCOMPARE(w->LblMondaiK->text(), q.Kimariji.text());
    QCOMPARE(textColorOf(w->LblMondaiK), colors::clYellow);
    QCOMPARE(w->LblMondaiK->pos(), w->LblMondai->pos());
    QCOMPARE(w->PnlHantei->caption(), QString());
    QVERIFY(!w->BtnShutudai->isEnabled());

    // Distractors and placement come from a reseed at the question.
    Random rng;
    rng.state = clock_.seedOfCall(1);
    training::SentakushiList s{};
    s[0] = q;
    const auto drawn = training::drawDistractors(rng, PoemTable, s);
    const auto rows = training::drawPlacement(rng);
    QCOMPARE(w->SeikaiNo, rows[0]);
    for (int i = 0; i < 10; ++i) {
        const training::SentakushiEntry &e = w->KaitoRan[i];
        QCOMPARE(lbl(i)->text(), e.Shimonoku.text());
        QCOMPARE(lblK(i)->text(), e.ShimoKimariji.text());
        QVERIFY(lbl(i)->text().startsWith(lblK(i)->text()) || lblK(i)->text() == QStringLiteral("こえ")
                || lblK(i)->text() == QStringLiteral("くもい"));
        QCOMPARE(colorCode(lbl(i)) + colorCode(lblK(i)), QStringLiteral("WY"));
        QVERIFY(btn(i)->isEnabled());
    }
    QCOMPARE(w->KaitoRan[w->SeikaiNo].Shimonoku.view(), q.Shimonoku.view());
    for (int k = 1; k < 10; ++k)
        QCOMPARE(w->KaitoRan[rows[k]].Shimonoku.view(), PoemTable[drawn[k - 1]].Shimonoku.view());

    QCOMPARE(w->focusWidget(), btn(0));
    QCOMPARE(w->LblNokoriJikan->text(), QStringLiteral("10"));
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 1000);
    QCOMPARE(w->Timer1->timerType(), Qt::PreciseTimer);
    QVERIFY(!w->Timer2->isActive());
}

void tst_Training::verdicts_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("after"); // counters
    QTest::addColumn<QString>("sound");
    QTest::addColumn<bool>("moved");
    QTest::newRow("right pick") << "right" << "正解!!" << "1 1 0 100 10" << "play Push.wav" << false;
    QTest::newRow("wrong pick") << "wrong" << "不正解" << "1 0 1 0 10" << "play Close.wav" << true;
    QTest::newRow("timeout") << "timeout" << "時間切れ" << "1 0 1 0 0" << "play Close.wav" << true;
}

void tst_Training::verdicts()
{
    QFETCH(QString, how);
    QFETCH(QString, verdict);
    QFETCH(QString, after);
    QFETCH(QString, sound);
    QFETCH(bool, moved);
    showWindow();
    w->BtnShutudaiClick();
    const QStringList before = positions();
    sounds_.log.clear();
    if (how == QLatin1String("timeout"))
        timeOut();
    else
        answer(how == QLatin1String("right"));

    QCOMPARE(w->PnlHantei->caption(), verdict);
    QCOMPARE(counters(), after);
    QCOMPARE(sounds_.log, QStringList{sound});
    QCOMPARE(w->MondaiNo, moved ? 0 : 1);
    QStringList expected = before;
    if (moved)
        expected.move(0, 4);
    QCOMPARE(positions(), expected);

    // Ready again: the commands, not the rows, and the right row blinks.
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(QApplication::focusWidget(), w->BtnShutudai);
    for (int i = 0; i < 10; ++i)
        QVERIFY(!btn(i)->isEnabled());
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(w->Timer2->isActive());
    QCOMPARE(w->Timer2->interval(), 300);

    // The next question after a miss is the poem that followed the missed one.
    w->BtnShutudaiClick();
    QCOMPARE(w->LblMondai->text(), w->MondaiList[w->MondaiNo].Kaminoku.text());
    QCOMPARE(QString::number(poemOf(w->MondaiList[w->MondaiNo])), before[1]);
    QVERIFY(!w->Timer2->isActive());
}

void tst_Training::countdownStepsToTimeout()
{
    w->show();
    w->BtnShutudaiClick();
    for (int left = 9; left >= 1; --left) {
        w->Timer1Timer();
        QCOMPARE(w->LblNokoriJikan->text(), QString::number(left));
        QCOMPARE(w->PnlHantei->caption(), QString());
        QVERIFY(w->Timer1->isActive());
    }
    w->Timer1Timer();
    QCOMPARE(w->PnlHantei->caption(), QStringLiteral("時間切れ"));
    QCOMPARE(counters(), QStringLiteral("1 0 1 0 0"));
}

void tst_Training::nothingJudgesTwice_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("late");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("after");
    QTest::newRow("tick after a right pick with a second left") << "right" << "tick" << "正解!!" << "1 1 0 100 1";
    QTest::newRow("second pick after a right one") << "right" << "wrong" << "正解!!" << "1 1 0 100 1";
    QTest::newRow("second pick after a wrong one") << "wrong" << "right" << "不正解" << "1 0 1 0 1";
    QTest::newRow("pick after the timeout") << "timeout" << "right" << "時間切れ" << "1 0 1 0 0";
    QTest::newRow("tick after the timeout") << "timeout" << "tick" << "時間切れ" << "1 0 1 0 0";
}

void tst_Training::nothingJudgesTwice()
{
    QFETCH(QString, first);
    QFETCH(QString, late);
    QFETCH(QString, verdict);
    QFETCH(QString, after);
    w->show();
    w->BtnShutudaiClick();
    for (int i = 0; i < 9; ++i)
        w->Timer1Timer(); // one second left
    const int seikaiNo = w->SeikaiNo;
    auto act = [&](const QString &what) {
        if (what == QLatin1String("tick"))
            w->Timer1Timer();
        else if (what == QLatin1String("timeout"))
            w->Timer1Timer();
        else
            w->Btn0Click(btn(what == QLatin1String("right") ? seikaiNo : (seikaiNo + 1) % 10));
    };
    act(first);
    const QStringList list = positions();
    const int mondaiNo = w->MondaiNo;
    act(late);
    QCOMPARE(w->PnlHantei->caption(), verdict);
    QCOMPARE(counters(), after);
    QCOMPARE(positions(), list);
    QCOMPARE(w->MondaiNo, mondaiNo);
}

void tst_Training::missMovesThePoem_data()
{
    QTest::addColumn<int>("position");
    // Positions (as before the miss) of the questions posed next, each then
    // answered right.
    QTest::addColumn<QList<int>>("next");
    QTest::newRow("miss at 10") << 10 << QList<int>{11, 12, 13, 14, 10, 15};
    QTest::newRow("miss at 96") << 96 << QList<int>{97, 98, 99, 100, 96};
    QTest::newRow("miss at 97") << 97 << QList<int>{98, 99, 100, 97};
    QTest::newRow("miss at 99") << 99 << QList<int>{100, 99};
    QTest::newRow("miss at 100") << 100 << QList<int>{100};
}

void tst_Training::missMovesThePoem()
{
    QFETCH(int, position);
    QFETCH(QList<int>, next);
    w->show();
    while (w->MondaiNo < position - 1) {
        w->BtnShutudaiClick();
        answer(true);
    }
    const QStringList before = positions();
    w->BtnShutudaiClick();
    QCOMPARE(w->MondaiNo, position);
    answer(false);
    QCOMPARE(w->MondaiNo, position - 1);
    QVERIFY(w->BtnShutudai->isEnabled());
    for (int p : next) {
        w->BtnShutudaiClick();
        QCOMPARE(QString::number(poemOf(w->MondaiList[w->MondaiNo])), before[p - 1]);
        answer(true);
    }
    if (position >= 96) {
        QCOMPARE(w->MondaiNo, 100); // and that was the last question
        QVERIFY(!w->BtnShutudai->isEnabled());
        QCOMPARE(w->LblMondaisu->text(), QStringLiteral("101"));
    }
}

void tst_Training::rates_data()
{
    QTest::addColumn<QString>("script"); // o right, x wrong pick, t timeout
    QTest::addColumn<QString>("after");
    QTest::newRow("1 of 1") << "o" << "1 1 0 100";
    QTest::newRow("0 of 1") << "x" << "1 0 1 0";
    QTest::newRow("2 of 3") << "oxo" << "3 2 1 67";
    QTest::newRow("1 of 3") << "txo" << "3 1 2 33";
    QTest::newRow("1 of 8") << "xxxtxxxo" << "8 1 7 12";
    QTest::newRow("3 of 8") << "oxtxoxxo" << "8 3 5 38";
}

void tst_Training::rates()
{
    QFETCH(QString, script);
    QFETCH(QString, after);
    w->show();
    for (QChar c : script) {
        w->BtnShutudaiClick();
        if (c == QLatin1Char('t'))
            timeOut();
        else
            answer(c == QLatin1Char('o'));
    }
    QCOMPARE(counters().section(QLatin1Char(' '), 0, 3), after);
}

void tst_Training::wholeRunWithoutMisses()
{
    showWindow();
    QSet<QString> asked;
    int posed = 0;
    while (w->BtnShutudai->isEnabled()) {
        w->BtnShutudaiClick();
        ++posed;
        asked.insert(w->LblMondai->text());
        w->Timer1Timer();
        answer(true);
        QVERIFY(posed <= 100);
    }
    QCOMPARE(posed, 100);
    QCOMPARE(asked.size(), 100);
    QCOMPARE(counters(), QStringLiteral("100 100 0 100 9"));

    // Complete: only "終了" is left, the right row still blinks.
    QCOMPARE(QApplication::focusWidget(), w->BtnClose);
    QVERIFY(!w->BtnShutudai->isEnabled());
    QVERIFY(w->Timer2->isActive());
    w->BtnShutudaiClick();
    w->Btn0Click(btn(w->SeikaiNo));
    w->Timer1Timer();
    QCOMPARE(w->MondaiNo, 100);
    QCOMPARE(counters(), QStringLiteral("100 100 0 100 9"));
    QVERIFY(!w->BtnShutudai->isEnabled());

    w->BtnCloseClick();
    w->show();
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(counters(), QStringLiteral("0 0 0 0 0"));
}

void tst_Training::wholeRunWithMisses()
{
    w->show();
    // Misses by position: a wrong pick, timeouts, and the last positions.
    const QMap<int, QString> missAt{{1, "x"}, {40, "t"}, {96, "x"}, {99, "t"}, {100, "xx"}};
    QMap<int, int> missesLeft;
    for (auto it = missAt.begin(); it != missAt.end(); ++it)
        missesLeft[it.key()] = it.value().size();
    QMap<QString, int> rightAnswers;
    int misses = 0, posed = 0;
    while (w->BtnShutudai->isEnabled()) {
        w->BtnShutudaiClick();
        ++posed;
        QVERIFY(posed < 200);
        const int at = w->MondaiNo;
        if (missesLeft.value(at) > 0) {
            const QChar how = missAt[at][missAt[at].size() - missesLeft[at]];
            --missesLeft[at];
            ++misses;
            if (how == QLatin1Char('t'))
                timeOut();
            else
                answer(false);
        } else {
            rightAnswers[w->LblMondai->text()] += 1;
            answer(true);
        }
    }
    QCOMPARE(misses, 6);
    QCOMPARE(posed, 106);
    QCOMPARE(rightAnswers.size(), 100);
    QVERIFY(std::all_of(rightAnswers.begin(), rightAnswers.end(), [](int n) { return n == 1; }));
    QCOMPARE(counters().section(QLatin1Char(' '), 0, 3), QStringLiteral("106 100 6 94"));
    QCOMPARE(sounds_.log.count(QStringLiteral("play Close.wav")), 6);
    QCOMPARE(sounds_.log.count(QStringLiteral("play Push.wav")), 100);
}

void tst_Training::colourCoding_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("question");  // LblMondai, LblMondaiK
    QTest::addColumn<QString>("blinks");    // right row's Lbl, LblK after 0, 1, 2, 3 ticks
    QTest::newRow("colour coding") << true << "WY" << "WY YW WY YW";
    QTest::newRow("no colour coding") << false << "WW" << "WW YY WW YY";
}

void tst_Training::colourCoding()
{
    QFETCH(bool, ticked);
    QFETCH(QString, question);
    QFETCH(QString, blinks);
    w->show();
    w->CbIro->setChecked(ticked);
    w->BtnShutudaiClick();
    QCOMPARE(colorCode(w->LblMondai) + colorCode(w->LblMondaiK), question);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(colorCode(lbl(i)) + colorCode(lblK(i)), blinks.left(2));

    answer(false);
    const int right = w->SeikaiNo;
    QStringList seen;
    for (int tick = 0; tick < 4; ++tick) {
        seen << colorCode(lbl(right)) + colorCode(lblK(right));
        for (int i = 0; i < 10; ++i)
            if (i != right)
                QCOMPARE(colorCode(lbl(i)) + colorCode(lblK(i)), blinks.left(2));
        QCOMPARE(colorCode(w->LblMondai) + colorCode(w->LblMondaiK), question);
        w->Timer2Timer();
    }
    QCOMPARE(seen.join(QLatin1Char(' ')), blinks);

    // A tick that comes after the next question was posed moves nothing.
    w->BtnShutudaiClick();
    w->Timer2Timer();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(colorCode(lbl(i)) + colorCode(lblK(i)), blinks.left(2));
}

void tst_Training::decidingTextCoversTheVerseHead()
{
    showWindow();
    w->CbIro->setChecked(false);
    w->BtnShutudaiClick();
    for (int i = 0; i < 10; ++i) {
        QLabel *k = lblK(i);
        const QRect head = k->geometry();
        QVERIFY(head.width() > 0);
        QCOMPARE(head.width(), k->fontMetrics().horizontalAdvance(k->text()));
        QVERIFY(head.height() >= lbl(i)->height());

        // White over white: the picture is the same with or without the
        // deciding label, so both draw the same glyphs at the same place.
        const QImage with = w->Panel1->grab(head).toImage();
        k->hide();
        const QImage without = w->Panel1->grab(head).toImage();
        k->show();
        QCOMPARE(with, without);
    }

    // In yellow, no trace of the white verse is left under the head.
    w->CbIro->setChecked(true);
    w->BtnCloseClick();
    w->show();
    w->BtnShutudaiClick();
    for (int i = 0; i < 10; ++i) {
        const QRect head = lblK(i)->geometry();
        const QImage img = w->Panel1->grab(head).toImage();
        int maxBlue = 0, yellow = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                maxBlue = std::max(maxBlue, c.blue());
                yellow += c.red() > 200 && c.green() > 200 && c.blue() < 60;
            }
        QVERIFY2(maxBlue <= 128, qPrintable(QStringLiteral("white under row %1's head").arg(i)));
        QVERIFY(yellow > 10);
        // The verse goes on in white right after the head.
        const QImage rest = w->Panel1->grab(QRect(head.right() + 1, head.top(), 40, 16)).toImage();
        bool white = false;
        for (int y = 0; y < rest.height() && !white; ++y)
            for (int x = 0; x < rest.width() && !white; ++x)
                white = rest.pixelColor(x, y) == colors::clWhite;
        QVERIFY(white);
    }
}

void tst_Training::colourBoxWaitsForTheNextQuestion()
{
    w->show();
    w->BtnShutudaiClick();
    w->CbIro->setChecked(false);
    QCOMPARE(colorCode(w->LblMondaiK), QStringLiteral("Y"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(colorCode(lblK(i)), QStringLiteral("Y"));
    answer(true);
    w->BtnShutudaiClick();
    QCOMPARE(colorCode(w->LblMondaiK), QStringLiteral("W"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(colorCode(lblK(i)), QStringLiteral("W"));
}

void tst_Training::soundFailuresLeaveTheQuizAlone_data()
{
    QTest::addColumn<QStringList>("unopenable");
    QTest::addColumn<bool>("playThrows");
    QTest::addColumn<bool>("noPlayer");
    QTest::addColumn<int>("plays");
    QTest::newRow("all well") << QStringList{} << false << false << 3;
    QTest::newRow("Push.wav missing") << QStringList{"Push.wav"} << false << false << 2;
    QTest::newRow("both missing") << QStringList{"Push.wav", "Close.wav"} << false << false << 0;
    QTest::newRow("no audio device") << QStringList{} << true << false << 3;
    QTest::newRow("no player at all") << QStringList{} << false << true << 0;
}

void tst_Training::soundFailuresLeaveTheQuizAlone()
{
    QFETCH(QStringList, unopenable);
    QFETCH(bool, playThrows);
    QFETCH(bool, noPlayer);
    QFETCH(int, plays);
    sounds_.unopenable = QSet<QString>(unopenable.begin(), unopenable.end());
    sounds_.playThrows = playThrows;
    sounds_.noPlayer = noPlayer;
    w->show();
    QStringList verdicts;
    w->BtnShutudaiClick();
    answer(true);
    verdicts << w->PnlHantei->caption();
    w->BtnShutudaiClick();
    answer(false);
    verdicts << w->PnlHantei->caption();
    w->BtnShutudaiClick();
    timeOut();
    verdicts << w->PnlHantei->caption();
    QCOMPARE(verdicts, (QStringList{"正解!!", "不正解", "時間切れ"}));
    QCOMPARE(counters(), QStringLiteral("3 1 2 33 0"));
    QCOMPARE(w->MondaiNo, 1);
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(sounds_.log.filter(QStringLiteral("play")).size(), plays);
    w->BtnCloseClick();
    QVERIFY(!w->isVisible());
}

void tst_Training::closingStopsEverythingAndShowsTheMenu()
{
    w->show();
    w->BtnShutudaiClick();
    answer(true);
    w->BtnShutudaiClick();
    QVERIFY(w->Timer1->isActive());
    w->Timer2->start(300);
    sounds_.log.clear();
    QTest::mouseClick(w->BtnClose, Qt::LeftButton);
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(!w->Timer2->isActive());
    QVERIFY(!w->isVisible());
    QVERIFY(menu_->isVisible());
    QCOMPARE(sounds_.log, (QStringList{"close Push.wav", "close Close.wav"}));
    QVERIFY(!w->MP1 && !w->MP2);
}

void tst_Training::digitKeysChooseARow_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("right");
    QTest::newRow("digit, right row") << Qt::KeyboardModifiers() << true;
    QTest::newRow("digit, wrong row") << Qt::KeyboardModifiers() << false;
    QTest::newRow("keypad digit") << Qt::KeyboardModifiers(Qt::KeypadModifier) << true;
    QTest::newRow("Alt and digit, right row") << Qt::KeyboardModifiers(Qt::AltModifier) << true;
    QTest::newRow("Alt and digit, wrong row") << Qt::KeyboardModifiers(Qt::AltModifier) << false;
}

void tst_Training::digitKeysChooseARow()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, right);
    showWindow();
    // Before a question the digits do nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_0, modifiers);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_5, modifiers);
    QCOMPARE(counters(), QStringLiteral("0 0 0 0 0"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(w->MondaiNo, 1);
    QCOMPARE(QApplication::focusWidget(), btn(0));
    const int row = right ? w->SeikaiNo : (w->SeikaiNo + 7) % 10;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(Qt::Key_0 + row), modifiers);
    QTRY_COMPARE(w->PnlHantei->caption(), right ? QStringLiteral("正解!!") : QStringLiteral("不正解"));
    QCOMPARE(counters(), right ? QStringLiteral("1 1 0 100 10") : QStringLiteral("1 0 1 0 10"));
    QCOMPARE(QApplication::focusWidget(), w->BtnShutudai);
}

void tst_Training::wholeRunFromTheKeyboard()
{
    showWindow();
    int posed = 0, misses = 0;
    // Space and Enter both press the focused button; every seventh
    // question is missed with a wrong digit, every 31st by waiting.
    while (QApplication::focusWidget() == w->BtnShutudai) {
        QTest::keyClick(QApplication::focusWidget(), posed % 2 ? Qt::Key_Return : Qt::Key_Space);
        ++posed;
        QVERIFY(posed < 200);
        QCOMPARE(QApplication::focusWidget(), btn(0));
        if (posed % 31 == 0) {
            timeOut();
            ++misses;
        } else if (posed % 7 == 0) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(Qt::Key_0 + (w->SeikaiNo + 1) % 10));
            ++misses;
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(Qt::Key_0 + w->SeikaiNo));
        }
    }
    QCOMPARE(QApplication::focusWidget(), w->BtnClose);
    QCOMPARE(posed, 100 + misses);
    QCOMPARE(counters().section(QLatin1Char(' '), 0, 2),
             QStringLiteral("%1 100 %2").arg(100 + misses).arg(misses));
    QCOMPARE(w->LblSeikairitu->text(), QString::number(training::seikairitu(100, 100 + misses)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!w->isVisible());
    QVERIFY(menu_->isVisible());
}

QTEST_MAIN(tst_Training)
#include "tst_training.moc"
