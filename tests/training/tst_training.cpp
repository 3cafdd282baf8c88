#include <QtTest>

#include <QApplication>
#include <QMessageBox>

#include "../support/fakehistory.h"
#include "../support/fakeservices.h"
#include "../support/keys.h"

#include "deck/poemtable.h"
#include "history/database.h"
#include "history/schedulecache.h"
#include "history/playerstore.h"
#include "platform/random.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "training/tf_training.h"
#include "voice/speaker.h"

using namespace platform;
using namespace platform::ui;
using deck::PoemTable;
using fakes::FakePlayer;
using fakes::SoundBoard;

namespace {

// Every reading moves the clock on by 1 ms, so every reseed is known.
class StepClock final : public Clock {
public:
    mutable int calls = 0;
    QTime utcTimeOfDay() const override { return QTime(12, 34, 56, 789).addMSecs(calls++); }
    QDate localDate() const override { return {2026, 12, 7}; }
    QString shortDateFormat() const override { return QStringLiteral("yyyy/MM/dd"); }
};

class MenuStandIn final : public Form {
public:
    MenuStandIn() : Form(QStringLiteral("琴葉"), QSize(100, 100)) { makeMainForm(); }
};

// "W" white, "Y" yellow, "?" anything else: the text colours of some labels.
QString colours(std::initializer_list<const QWidget *> ws)
{
    QString s;
    for (const QWidget *w : ws) {
        const QColor c = w->palette().color(QPalette::WindowText);
        s += c == colors::clWhite ? 'W' : c == colors::clYellow ? 'Y' : '?';
    }
    return s;
}

} // namespace

class tst_Training : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controlsStandAtTheirPlacesInTheirFonts_data();
    void controlsStandAtTheirPlacesInTheirFonts();
    void controlsKeepApartInsideTheirParents();
    void tabOrderAndTags();
    void showStartsAFreshRun_data();
    void showStartsAFreshRun();
    void posingAQuestion();
    void verdicts_data();
    void verdicts();
    void nothingJudgesTwice_data();
    void nothingJudgesTwice();
    void missMovesThePoem_data();
    void missMovesThePoem();
    void colourCodingAndBlink_data();
    void colourCodingAndBlink();
    void decidingTextCoversTheVerseHead();
    void soundFailuresLeaveTheQuizAlone_data();
    void soundFailuresLeaveTheQuizAlone();
    void closingStopsEverythingAndShowsTheMenu();
    void digitKeysChooseARow_data();
    void digitKeysChooseARow();
    void heldKeysActOnce_data();
    void heldKeysActOnce();
    void wholeRunFromTheKeyboard();
    void listeningRun_data();
    void listeningRun();
    void drillRunAsksItsSetOnly();
    void reviewRunsTheDuePoemsThenNewOnes();
    void ownSetsFollowTheSetsBySound();
    void answersGoToTheHistory_data();
    void answersGoToTheHistory();
    void drillRunsTheWeakestPoems();

private:
    QPushButton *btn(int i) const { return findControl<QPushButton>(w->Panel1, QStringLiteral("Btn"), i); }
    QLabel *lbl(int i) const { return findControl<QLabel>(w->Panel1, QStringLiteral("Lbl"), i); }
    QLabel *lblK(int i) const { return findControl<QLabel>(w->Panel1, QStringLiteral("LblK"), i); }
    void showActive()
    {
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    // o right pick, x wrong pick, t timeout; each after posing a question.
    void play(const QString &script)
    {
        for (QChar c : script) {
            w->BtnShutudaiClick();
            if (c == 't')
                for (int i = 0; i < 10; ++i)
                    w->Timer1Timer();
            else
                w->Btn0Click(btn(c == 'o' ? w->SeikaiNo : (w->SeikaiNo + 3) % 10));
        }
    }
    // The five counters as shown: questions right misses rate seconds.
    QString counters() const
    {
        return QStringList{w->LblMondaisu->text(), w->LblSeikai->text(), w->LblMachigai->text(),
                           w->LblSeikairitu->text(), w->LblNokoriJikan->text()}
            .join(' ');
    }
    QList<int> order() const
    {
        QList<int> out;
        for (int p = 1; p <= 100; ++p)
            out << deck::PoemTable.numberOf(w->MondaiList[p]);
        return out;
    }

    QTemporaryDir readings_; // clips as the build makes them: every mora 300 ms
    StepClock clock_;
    SoundBoard sounds_;
    fakes::FakeMonotonic monotonic_;
    fakes::FakeRecorder history_;
    Services services_; // handed over, never installed
    std::unique_ptr<MenuStandIn> menu_;
    TF_Training *w = nullptr;
};

void tst_Training::initTestCase()
{
    fonts::installSubstitutes();
    PoemTable.fill();
    QByteArray index;
    for (int p = 1; p <= 100; ++p) {
        for (int h : {1, 2}) {
            QByteArray morae;
            for (int k = 0; k < 20; ++k)
                morae += (k ? "," : "") + QByteArray::number(300 * k) + '-' + QByteArray::number(300 * (k + 1));
            index += QByteArray::number(p) + '\t' + QByteArray::number(h) + '\t' + morae + '\n';
            QFile clip(readings_.filePath(QStringLiteral("%1-%2.wav").arg(p, 3, 10, QChar(u'0')).arg(h)));
            QVERIFY(clip.open(QIODevice::WriteOnly));
        }
    }
    QFile file(readings_.filePath(QStringLiteral("index.tsv")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(index) == index.size());
    qputenv("KOTOHA_READINGS", QFile::encodeName(readings_.path()));
    menu_ = std::make_unique<MenuStandIn>();
}

void tst_Training::init()
{
    clock_.calls = 0;
    sounds_ = SoundBoard{};
    Services s;
    s.clock = &clock_;
    s.monotonic = &monotonic_;
    s.makeWavePlayer = [this]() -> std::unique_ptr<WavePlayer> {
        return sounds_.noPlayer ? nullptr : std::make_unique<FakePlayer>(sounds_);
    };
    s.hasAudioOutput = [] { return true; };
    services_ = fakes::withStandIns(s);
    history_ = fakes::FakeRecorder{};
    menu_->hide();
    w = new TF_Training({services_, rng(), history_, voice::options(), PoemTable});
}

void tst_Training::cleanup()
{
    voice::options() = voice::Options{};
    delete w;
}

void tst_Training::controlsStandAtTheirPlacesInTheirFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry"); // empty: sized to its text
    QTest::addColumn<QString>("face");   // "System" draws with its 16-pixel cell
    QTest::addColumn<int>("pixels");
    auto row = [](const QString &n, const QString &p, QRect g, const QString &face = {}, int px = 0) {
        QTest::newRow(qPrintable(n)) << n << p << g << face << px;
    };
    row("PnlHantei", "F_Training", {24, 16, 177, 49}, fonts::MSMincho, 37);
    row("Panel2", "F_Training", {216, 16, 353, 33});
    row("LblMondai", "Panel2", {4, 8, 343, 16}, fonts::System, 16);
    row("Panel4", "F_Training", {24, 80, 177, 177});
    row("Panel1", "F_Training", {216, 72, 353, 337});
    row("Panel10", "F_Training", {24, 264, 177, 49});
    row("CbIro", "Panel10", {24, 16, 121, 17}, fonts::MSPGothic, 19);
    row("Panel3", "F_Training", {24, 320, 177, 89});
    row("BtnShutudai", "Panel3", {16, 8, 145, 33}, fonts::MSPGothic, 19);
    row("BtnClose", "Panel3", {16, 48, 145, 33}, fonts::MSPGothic, 19);
    row("UnitSeikairitu", "Panel4", {144, 112, 19, 19}, fonts::MSGothic, 19);
    row("UnitNokoriJikan", "Panel4", {143, 144, 19, 19}, fonts::MSGothic, 19);
    row("CaptionMondaisu", "Panel4", {16, 16, 0, 0}, fonts::System, 16);
    row("CaptionNokoriJikan", "Panel4", {16, 144, 0, 0}, fonts::System, 16);
    row("BoxMondaisu", "Panel4", {92, 12, 45, 25});
    row("BoxNokoriJikan", "Panel4", {92, 140, 45, 25});
    row("LblSeikairitu", "BoxSeikairitu", {4, 7, 37, 16}, fonts::System, 16);
    row("Btn0", "Panel1", {8, 8, 41, 33}, fonts::MSGothic, 19);
    row("Btn9", "Panel1", {8, 296, 41, 33}, fonts::MSGothic, 19);
    row("Lbl0", "Panel1", {56, 16, 288, 16}, fonts::System, 16);
    row("Lbl9", "Panel1", {56, 304, 288, 16}, fonts::System, 16);
}

void tst_Training::controlsStandAtTheirPlacesInTheirFonts()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, face);
    QFETCH(int, pixels);
    auto *c = w->findChild<QWidget *>(name);
    QVERIFY2(c, qPrintable(name));
    QCOMPARE(c->parentWidget()->objectName(), parent);
    if (geometry.isEmpty()) {
        QCOMPARE(c->pos(), geometry.topLeft());
    } else {
        QCOMPARE(c->geometry().topLeft(), geometry.topLeft());
        if (!name.startsWith("Unit"))
            QCOMPARE(c->size(), geometry.size());
    }
    if (!face.isEmpty()) {
        QCOMPARE(c->font().family(), face);
        QCOMPARE(c->font().pixelSize(), pixels);
        QVERIFY(c->font().bold());
    }
}

// Only the deciding syllables lie over their verse; every other control
// keeps to its parent and off its siblings but for a one-pixel seam.
void tst_Training::controlsKeepApartInsideTheirParents()
{
    w->show(); // captions take their text's width here
    auto overlays = [](const QString &top, const QString &under) {
        return top == under + u'K' || (top.startsWith(QLatin1String("LblK")) && under == QLatin1String("Lbl") + top.mid(4));
    };
    QHash<QWidget *, QList<QWidget *>> children;
    for (QWidget *c : w->findChildren<QWidget *>()) {
        const QString name = c->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || c->isHidden())
            continue;
        QVERIFY2(c->parentWidget()->rect().contains(c->geometry()), qPrintable(name));
        children[c->parentWidget()] << c;
    }
    QVERIFY(children[w->Panel1].size() >= 30);
    for (const QList<QWidget *> &siblings : std::as_const(children)) {
        for (QWidget *a : siblings) {
            for (QWidget *b : siblings) {
                const QRect common = a->geometry() & b->geometry();
                if (a == b || common.isEmpty() || common.width() == 1 || common.height() == 1
                    || overlays(a->objectName(), b->objectName()) || overlays(b->objectName(), a->objectName()))
                    continue;
                QFAIL(qPrintable(a->objectName() + QLatin1String(" overlaps ") + b->objectName()));
            }
        }
    }
    // The answer rows step down evenly, each verse level with its button.
    const int pitch = btn(1)->y() - btn(0)->y();
    QVERIFY(pitch >= btn(0)->height() - 1);
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(btn(i)->y(), btn(0)->y() + pitch * i);
        QVERIFY(lbl(i)->x() > btn(i)->geometry().right());
        QVERIFY(lbl(i)->y() > btn(i)->y() && lbl(i)->geometry().bottom() < btn(i)->geometry().bottom());
    }
}

void tst_Training::tabOrderAndTags()
{
    w->show();
    w->BtnShutudaiClick();
    w->BtnShutudai->setEnabled(true);
    QList<QWidget *> chain{w->focusWidget()};
    while (chain.size() < 14) {
        QWidget *next = chain.last()->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        chain << next;
    }
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(chain[i], btn(i));
        QCOMPARE(btn(i)->text(), QStringLiteral("(&%1)").arg(i));
        QCOMPARE(btn(i)->property("Tag").toInt(), i);
    }
    QCOMPARE(chain.mid(10), (QList<QWidget *>{w->CbIro, w->BtnShutudai, w->BtnClose, btn(0)}));
}

void tst_Training::showStartsAFreshRun_data()
{
    QTest::addColumn<QString>("before"); // played before leaving and showing again
    QTest::newRow("first show") << "";
    QTest::newRow("left with a question open") << "oxotxo-";
    QTest::newRow("after a finished run") << QString(100, 'o');
}

void tst_Training::showStartsAFreshRun()
{
    QFETCH(QString, before);
    if (!before.isEmpty()) {
        w->show();
        play(before.remove('-'));
        if (QTest::currentDataTag() == QLatin1String("left with a question open"))
            w->BtnShutudaiClick();
        w->BtnCloseClick();
        clock_.calls = 0;
        sounds_.log.clear();
    }
    w->show();
    QCOMPARE(w->MondaiNo, 0);
    QCOMPARE(counters(), "0 0 0 0 0");
    QCOMPARE(w->PnlHantei->caption(), QString());
    QCOMPARE(w->LblMondai->text() + w->LblMondaiK->text(), QString());
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(lbl(i)->text() + lblK(i)->text(), QString());
        QCOMPARE(lblK(i)->width(), 0); // no navy block left over an empty row
        QVERIFY(!btn(i)->isEnabled());
    }
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(w->focusWidget(), w->BtnShutudai);
    QVERIFY(!w->Timer1->isActive() && !w->Timer2->isActive());
    QCOMPARE(sounds_.log, (QStringList{"open Push.wav", "open Close.wav"}));
    // Reseeded at the show (12:34:56.789): a new order of all hundred poems.
    const QList<int> o = order();
    QCOMPARE(o.first(4), (QList<int>{49, 28, 36, 3}));
    QCOMPARE(QSet<int>(o.begin(), o.end()).size(), 100);
    w->BtnShutudaiClick();
    QCOMPARE(w->MondaiNo, 1);
}

void tst_Training::posingAQuestion()
{
    w->show();
    w->PnlHantei->setCaption(QStringLiteral("正解!!"));
    w->BtnShutudaiClick();
    const deck::PoemEntry &q = w->MondaiList[1];
    QCOMPARE(w->LblMondai->text(), q.Kaminoku.text());
    QCOMPARE(w->LblMondaiK->text(), q.Kimariji.text());
    QCOMPARE(w->LblMondaiK->pos(), w->LblMondai->pos());
    QCOMPARE(w->PnlHantei->caption(), QString());
    QVERIFY(!w->BtnShutudai->isEnabled());

    // Distractors and placement come from a reseed at the question (+1 ms).
    Random rng;
    rng.state = QTime(12, 34, 56, 790).msecsSinceStartOfDay();
    training::SentakushiList s{};
    s[0] = q;
    const auto drawn = training::drawDistractors(rng, PoemTable, s);
    const auto rows = training::drawPlacement(rng);
    QCOMPARE(w->SeikaiNo, rows[0]);
    QCOMPARE(lbl(rows[0])->text(), q.Shimonoku.text());
    QCOMPARE(lblK(rows[0])->text(), q.ShimoKimariji.text());
    for (int k = 1; k < 10; ++k)
        QCOMPARE(lbl(rows[k])->text(), PoemTable[drawn[k - 1]].Shimonoku.text());
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(lblK(i)->text(), w->KaitoRan[i].ShimoKimariji.text());
        QVERIFY(btn(i)->isEnabled());
    }
    QCOMPARE(w->focusWidget(), btn(0));
    QCOMPARE(w->LblNokoriJikan->text(), "10");
    QVERIFY(w->Timer1->isActive() && !w->Timer2->isActive());
    QCOMPARE(w->Timer1->interval(), 1000);
    QCOMPARE(w->Timer1->timerType(), Qt::PreciseTimer);
}

void tst_Training::verdicts_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("sound");
    QTest::newRow("right pick") << "o" << "正解!!" << "1 1 0 100 10" << "play Push.wav";
    QTest::newRow("wrong pick") << "x" << "不正解" << "1 0 1 0 10" << "play Close.wav";
    QTest::newRow("timeout") << "t" << "時間切れ" << "1 0 1 0 0" << "play Close.wav";
    QTest::newRow("2 of 3") << "oxo" << "正解!!" << "3 2 1 67 10" << "play Push.wav";
    QTest::newRow("1 of 3") << "txo" << "正解!!" << "3 1 2 33 10" << "play Push.wav";
    QTest::newRow("1 of 8") << "xxxtxxxo" << "正解!!" << "8 1 7 12 10" << "play Push.wav";
    QTest::newRow("3 of 8") << "oxtxoxxo" << "正解!!" << "8 3 5 38 10" << "play Push.wav";
}

void tst_Training::verdicts()
{
    QFETCH(QString, script);
    QFETCH(QString, verdict);
    QFETCH(QString, after);
    QFETCH(QString, sound);
    showActive();
    play(script.chopped(1));
    const QList<int> before = order();
    const int n = w->MondaiNo + 1;
    w->BtnShutudaiClick();
    if (script.endsWith('t')) {
        for (int left = 9; left >= 1; --left) {
            w->Timer1Timer();
            QCOMPARE(w->LblNokoriJikan->text(), QString::number(left));
            QCOMPARE(w->PnlHantei->caption(), QString());
        }
    }
    sounds_.log.clear();
    if (script.endsWith('t'))
        w->Timer1Timer();
    else
        w->Btn0Click(btn(script.endsWith('o') ? w->SeikaiNo : (w->SeikaiNo + 1) % 10));

    QCOMPARE(w->PnlHantei->caption(), verdict);
    QCOMPARE(counters(), after);
    QCOMPARE(sounds_.log, QStringList{sound});
    const bool miss = !script.endsWith('o');
    QCOMPARE(w->MondaiNo, miss ? n - 1 : n);
    QList<int> moved = before;
    if (miss)
        moved.move(n - 1, n + 3);
    QCOMPARE(order(), moved);
    // Ready again: the commands, not the rows, and the right row blinks.
    QCOMPARE(QApplication::focusWidget(), w->BtnShutudai);
    for (int i = 0; i < 10; ++i)
        QVERIFY(!btn(i)->isEnabled());
    QVERIFY(!w->Timer1->isActive() && w->Timer2->isActive());
    QCOMPARE(w->Timer2->interval(), 300);
    // Next comes the poem that followed the one just posed.
    w->BtnShutudaiClick();
    QCOMPARE(deck::PoemTable.numberOf(w->MondaiList[w->MondaiNo]), before[n]);
}

void tst_Training::nothingJudgesTwice_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("late");
    QTest::addColumn<QString>("after");
    QTest::newRow("tick after a pick, a second left") << "o" << "tick" << "1 1 0 100 1";
    QTest::newRow("second pick after a right one") << "o" << "x" << "1 1 0 100 1";
    QTest::newRow("second pick after a wrong one") << "x" << "o" << "1 0 1 0 1";
    QTest::newRow("pick after the timeout") << "tick" << "o" << "1 0 1 0 0";
    QTest::newRow("tick after the timeout") << "tick" << "tick" << "1 0 1 0 0";
}

void tst_Training::nothingJudgesTwice()
{
    QFETCH(QString, first);
    QFETCH(QString, late);
    QFETCH(QString, after);
    w->show();
    w->BtnShutudaiClick();
    for (int i = 0; i < 9; ++i)
        w->Timer1Timer();
    const int right = w->SeikaiNo;
    auto act = [&](const QString &a) {
        if (a == "tick")
            w->Timer1Timer();
        else
            w->Btn0Click(btn(a == "o" ? right : (right + 1) % 10));
    };
    act(first);
    const QString verdict = w->PnlHantei->caption();
    const QList<int> o = order();
    const int n = w->MondaiNo;
    act(late);
    QCOMPARE(counters(), after);
    QCOMPARE(w->PnlHantei->caption(), verdict);
    QCOMPARE(order(), o);
    QCOMPARE(w->MondaiNo, n);
}

void tst_Training::missMovesThePoem_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QList<int>>("next"); // positions, as before the miss, posed next (each then right)
    QTest::newRow("miss at 96") << 96 << QList<int>{97, 98, 99, 100, 96};
    QTest::newRow("miss at 99") << 99 << QList<int>{100, 99};
    QTest::newRow("miss at 100") << 100 << QList<int>{100};
}

void tst_Training::missMovesThePoem()
{
    QFETCH(int, position);
    QFETCH(QList<int>, next);
    w->show();
    play(QString(position - 1, 'o'));
    const QList<int> before = order();
    play("x");
    QCOMPARE(w->MondaiNo, position - 1);
    for (int p : next) {
        w->BtnShutudaiClick();
        QCOMPARE(deck::PoemTable.numberOf(w->MondaiList[w->MondaiNo]), before[p - 1]);
        w->Btn0Click(btn(w->SeikaiNo));
    }
    // Complete: "出題" stays disabled and poses nothing; focus on "終了".
    QCOMPARE(w->MondaiNo, 100);
    QCOMPARE(w->focusWidget(), w->BtnClose);
    QVERIFY(!w->BtnShutudai->isEnabled() && w->Timer2->isActive());
    play("o");
    QCOMPARE(w->MondaiNo, 100);
    QCOMPARE(counters().left(12), "101 100 1 99");
}

void tst_Training::colourCodingAndBlink_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("question"); // LblMondai, LblMondaiK
    QTest::addColumn<QString>("blinks");   // right row's Lbl, LblK after 0 .. 3 ticks
    QTest::newRow("colour coding") << true << "WY" << "WY YW WY YW";
    QTest::newRow("no colour coding") << false << "WW" << "WW YY WW YY";
}

void tst_Training::colourCodingAndBlink()
{
    QFETCH(bool, ticked);
    QFETCH(QString, question);
    QFETCH(QString, blinks);
    QVERIFY(w->CbIro->isChecked()); // ticked from the start
    w->show();
    w->CbIro->setChecked(!ticked);
    w->BtnShutudaiClick();
    w->CbIro->setChecked(ticked); // waits for the next question
    w->Btn0Click(btn(w->SeikaiNo));
    w->BtnShutudaiClick();
    const QString still = blinks.left(2);
    QCOMPARE(colours({w->LblMondai, w->LblMondaiK}), question);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(colours({lbl(i), lblK(i)}), still);

    w->Btn0Click(btn((w->SeikaiNo + 1) % 10));
    const int right = w->SeikaiNo;
    QStringList seen;
    for (int tick = 0; tick < 4; ++tick, w->Timer2Timer()) {
        seen << colours({lbl(right), lblK(right)});
        for (int i = 0; i < 10; ++i)
            if (i != right)
                QCOMPARE(colours({lbl(i), lblK(i)}), still);
        QCOMPARE(colours({w->LblMondai, w->LblMondaiK}), question);
    }
    QCOMPARE(seen.join(' '), blinks);
    // A tick on its way when the next question is posed moves nothing.
    w->BtnShutudaiClick();
    w->Timer2Timer();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(colours({lbl(i), lblK(i)}), still);
}

void tst_Training::decidingTextCoversTheVerseHead()
{
    w->show();
    w->CbIro->setChecked(false);
    w->BtnShutudaiClick();
    int compared = 0;
    for (int i = 0; i < 10; ++i) {
        const QRect head = lblK(i)->geometry();
        QCOMPARE(head.width(), lblK(i)->fontMetrics().horizontalAdvance(lblK(i)->text()));
        QVERIFY(head.height() >= 16);
        // White over white looks the same with or without the deciding label:
        // both draw the same glyphs at the same place. (こえ/くもい are
        // spelled apart from their verses on purpose.)
        if (!lbl(i)->text().startsWith(lblK(i)->text()))
            continue;
        const QImage with = w->Panel1->grab(head).toImage();
        lblK(i)->hide();
        QCOMPARE(w->Panel1->grab(head).toImage(), with);
        lblK(i)->show();
        ++compared;
    }
    QVERIFY(compared >= 8);

    // In yellow, nothing of the white verse shows under the head, and the
    // verse goes on in white right after it.
    w->CbIro->setChecked(true);
    w->Btn0Click(btn(w->SeikaiNo));
    w->BtnShutudaiClick();
    for (int i = 0; i < 10; ++i) {
        const QRect head = lblK(i)->geometry();
        const QImage img = w->Panel1->grab(head.adjusted(0, 0, 40, 0)).toImage();
        int maxBlueUnder = 0, yellow = 0, whiteAfter = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (x < head.width()) {
                    maxBlueUnder = std::max(maxBlueUnder, c.blue());
                    yellow += c.red() > 200 && c.green() > 200 && c.blue() < 60;
                } else {
                    whiteAfter += c == colors::clWhite;
                }
            }
        QVERIFY2(maxBlueUnder <= 128, qPrintable(QStringLiteral("white under the head of row %1").arg(i)));
        QVERIFY(yellow > 10 && whiteAfter > 10);
    }
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
    sounds_.unopenable = unopenable;
    sounds_.playThrows = playThrows;
    sounds_.noPlayer = noPlayer;
    w->show();
    QStringList verdicts;
    for (const char *step : {"o", "x", "t"}) {
        play(step);
        verdicts << w->PnlHantei->caption();
    }
    QCOMPARE(verdicts, (QStringList{"正解!!", "不正解", "時間切れ"}));
    QCOMPARE(counters(), "3 1 2 33 0");
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(sounds_.log.filter("play").size(), plays);
}

void tst_Training::closingStopsEverythingAndShowsTheMenu()
{
    w->show();
    play("o");
    w->BtnShutudaiClick();
    w->Timer2->start(300);
    sounds_.log.clear();
    QTest::mouseClick(w->BtnClose, Qt::LeftButton);
    QVERIFY(!w->Timer1->isActive() && !w->Timer2->isActive());
    QVERIFY(!w->isVisible());
    QVERIFY(menu_->isVisible());
    QCOMPARE(sounds_.log, (QStringList{"close Push.wav", "close Close.wav"}));
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
    showActive();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_5, modifiers); // no question yet: nothing
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), btn(0));
    const int row = right ? w->SeikaiNo : (w->SeikaiNo + 7) % 10;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(Qt::Key_0 + row), modifiers);
    QTRY_COMPARE(w->PnlHantei->caption(), right ? "正解!!" : "不正解");
    QCOMPARE(counters(), right ? "1 1 0 100 10" : "1 0 1 0 10");
    QCOMPARE(QApplication::focusWidget(), w->BtnShutudai);
}

void tst_Training::heldKeysActOnce_data()
{
    QTest::addColumn<bool>("posed");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("counters");
    QTest::newRow("Return held on 出題 poses, picks nothing") << false << Qt::Key_Return << true << "0 0 0 0 10";
    QTest::newRow("Return held on a row picks, poses nothing") << true << Qt::Key_Return << false << "1 1 0 100 10";
}

void tst_Training::heldKeysActOnce()
{
    QFETCH(bool, posed);
    QFETCH(Qt::Key, key);
    showActive();
    if (posed) {
        w->BtnShutudaiClick();
        btn(w->SeikaiNo)->setFocus();
    }
    keys::hold(key, 8);
    QTEST(w->questionOpen(), "open");
    QTEST(counters(), "counters");
    QCOMPARE(QApplication::focusWidget(), posed ? w->BtnShutudai : btn(0));
}

void tst_Training::wholeRunFromTheKeyboard()
{
    showActive();
    int posed = 0, misses = 0;
    QSet<int> missed;
    // Space and Enter press the focused button; every seventh question is
    // missed with a wrong digit, every 31st by waiting.
    while (QApplication::focusWidget() == w->BtnShutudai && posed < 200) {
        QTest::keyClick(QApplication::focusWidget(), posed % 2 ? Qt::Key_Return : Qt::Key_Space);
        ++posed;
        QCOMPARE(QApplication::focusWidget(), btn(0));
        const int asked = PoemTable.numberOf(w->MondaiList[w->MondaiNo]);
        if (posed % 31 == 0) {
            ++misses;
            missed << asked;
            for (int i = 0; i < 10; ++i)
                w->Timer1Timer();
        } else {
            if (posed % 7 == 0) {
                ++misses;
                missed << asked;
            }
            const int row = (w->SeikaiNo + (posed % 7 == 0)) % 10;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(Qt::Key_0 + row));
        }
    }
    QCOMPARE(QApplication::focusWidget(), w->BtnClose);
    QCOMPARE(posed, 100 + misses);
    QCOMPARE(counters().section(' ', 0, 3), QStringLiteral("%1 100 %2 %3")
                                                .arg(100 + misses)
                                                .arg(misses)
                                                .arg(training::seikairitu(100, 100 + misses)));

    // The summary counts every poem missed once, however often it was missed.
    auto *summary = w->findChild<QMessageBox *>(QStringLiteral("RunSummary"));
    QVERIFY(summary && summary->isVisible());
    QCOMPARE(summary->windowTitle(), QStringLiteral("琴葉"));
    QVERIFY(summary->text().contains(QStringLiteral("一度でも間違えた歌（%1首）").arg(missed.size())));
    summary->accept();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!w->isVisible() && menu_->isVisible());
}

constexpr int kTimesOut = std::numeric_limits<int>::min();

void tst_Training::listeningRun_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<int>("late"); // ms after the deciding syllables; kTimesOut: no pick
    QTest::addColumn<QString>("second");
    // きみがためを first: then きみがためは is told by its second mora.
    QTest::newRow("answered") << 1000 << 250 << QStringLiteral("「きみ」から250ミリ秒");
    QTest::newRow("before hearing them") << 0 << -100 << QStringLiteral("「きみ」の100ミリ秒前");
    QTest::newRow("timed out") << 500 << kTimesOut << QStringLiteral("決まり字「きみ」");
}

void tst_Training::listeningRun()
{
    QFETCH(int, gapMs);
    QFETCH(int, late);
    w->show();
    QVERIFY(w->CbKikitori->isEnabled());
    w->CbKikitori->setChecked(true);
    w->CmbMa->setCurrentIndex(w->CmbMa->findData(gapMs));
    w->MondaiList[1] = PoemTable[50];
    w->MondaiList[2] = PoemTable[15];
    const QString clips = readings_.path() + u'/';

    for (int q = 1; q <= 2; ++q) {
        sounds_.log.clear();
        monotonic_.now = 10000 * q;
        w->BtnShutudaiClick();
        // Heard, not shown; the voice waits for the reader's pause.
        QCOMPARE(w->LblMondai->text(), QString());
        QCOMPARE(w->LblMondaiK->text(), QString());
        QCOMPARE(w->TimerYomi->interval(), gapMs);
        QVERIFY(w->TimerYomi->isActive());
        const QString kami = clips + (q == 1 ? "050-1.wav" : "015-1.wav");
        QVERIFY(!sounds_.log.contains("play " + kami));
        w->TimerYomiTimer();
        QVERIFY(sounds_.log.contains("play " + kami));

        if (q == 1) {
            // きみがためお: six morae heard after 1800 ms.
            monotonic_.now += gapMs + 1800 + 40;
            w->Btn0Click(btn(w->SeikaiNo));
            QCOMPARE(w->LblKikitori->text(), QStringLiteral("「きみがためお」から40ミリ秒"));
            QCOMPARE(w->listeningMsAfterDeciding(), std::optional<qint64>(40));
        } else if (late != kTimesOut) {
            monotonic_.now += gapMs + 600 + late;
            w->Btn0Click(btn((w->SeikaiNo + 1) % 10)); // a wrong pick is timed too
            QCOMPARE(w->listeningMsAfterDeciding(), std::optional<qint64>(late));
        } else {
            for (int t = 0; t < 10; ++t)
                w->Timer1Timer();
            QCOMPARE(w->listeningMsAfterDeciding(), std::nullopt);
        }
        // After the pick the verse is shown as in the plain quiz.
        QCOMPARE(w->LblMondai->text(), PoemTable[q == 1 ? 50 : 15].Kaminoku.text());
    }
    QTEST(w->LblKikitori->text(), "second");
}

void tst_Training::drillRunAsksItsSetOnly()
{
    const QList<int> set{18, 22, 57, 70, 77, 81, 87};
    w->DrillPoems = set;
    showActive();
    // A choice keeps 36 bytes of each text, which the whole lower verse fits.
    auto numberOf = [](const training::SentakushiEntry &choice) {
        for (int no = 1; no <= deck::kPoemCount; ++no)
            if (training::SentakushiEntry(PoemTable[no]) == choice)
                return no;
        return 0;
    };
    QList<int> asked;
    int posed = 0;
    while (w->BtnShutudai->isEnabled() && posed < 20) {
        play(posed == 2 ? "x" : "o"); // the third is missed and comes back last
        ++posed;
        asked << numberOf(w->Sentakushi[0]);
        // Fewer than ten: every other poem of the set is among the choices.
        int fromSet = 0;
        for (const auto &choice : w->KaitoRan)
            fromSet += set.contains(numberOf(choice));
        QCOMPARE(fromSet, set.size());
    }
    QCOMPARE(posed, set.size() + 1);
    QCOMPARE(asked.last(), asked[2]);
    QList<int> sorted = asked.mid(0, set.size());
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(sorted, set);
    QCOMPARE(counters().section(' ', 0, 2), QStringLiteral("8 7 1"));
    QCOMPARE(QApplication::focusWidget(), w->BtnClose);

    // Back to the whole hundred at the next show.
    w->hide();
    w->DrillPoems.clear();
    w->show();
    QList<int> all = order();
    std::sort(all.begin(), all.end());
    QCOMPARE(all.first(), 1);
    QCOMPARE(std::unique(all.begin(), all.end()) - all.begin(), 100);
}

void tst_Training::answersGoToTheHistory_data()
{
    QTest::addColumn<QChar>("answer"); // o right, x wrong, t time-out
    QTest::newRow("right") << QChar('o');
    QTest::newRow("wrong") << QChar('x');
    QTest::newRow("time-out") << QChar('t');
}

void tst_Training::answersGoToTheHistory()
{
    QFETCH(QChar, answer);
    w->show();
    play("o");
    monotonic_.now = 5000;
    w->BtnShutudaiClick();
    const int asked = PoemTable.numberOf(w->MondaiList[w->MondaiNo]);
    const int row = (w->SeikaiNo + 3) % 10;
    int rowPoem = 0;
    for (int p = 1; p <= 100; ++p)
        if (PoemTable[p].Shimonoku.view().startsWith(w->KaitoRan[row].Shimonoku.view()))
            rowPoem = p;
    monotonic_.now = 7345;
    if (answer == 't') {
        for (int i = 0; i < 10; ++i)
            w->Timer1Timer();
    } else {
        w->Btn0Click(btn(answer == 'o' ? w->SeikaiNo : row));
    }

    QCOMPARE(history_.sessions, QStringList{"training"});
    QCOMPARE(history_.takes.size(), 2);
    const history::Take &t = history_.takes.last();
    QCOMPARE(t.mode, history::Mode::Training);
    QCOMPARE(t.session, history_.takes.first().session);
    QCOMPARE(t.poem, asked);
    QCOMPARE(history::word(t.outcome), answer == 'o' ? "right" : answer == 'x' ? "wrong" : "timeout");
    QCOMPARE(t.chosen, answer == 'x' ? rowPoem : 0);
    QVERIFY(!t.ticks);
    QCOMPARE(t.ms, 2345);
    QCOMPARE(t.msAfterDeciding, answer == 't' ? std::nullopt : std::optional<qint64>(2345));
}

void tst_Training::drillRunsTheWeakestPoems()
{
    QTemporaryDir dir;
    history::setDatabasePath(dir.filePath("history.sqlite"));
    {
        history::Database db(history::databasePath());
        QCOMPARE(db.open(), history::OpenResult::Ok);
        const QDateTime today(clock_.localDate(), QTime(9, 0));
        for (int p = 1; p <= 100; ++p) {
            history::Take t;
            t.mode = history::Mode::Training;
            t.poem = p;
            t.outcome = p == 5 || p == 17 || p == 42 ? history::Outcome::Wrong : history::Outcome::Right;
            t.msAfterDeciding = 200;
            QVERIFY(db.insert(t, today));
        }
    }
    w->show();
    QCOMPARE(w->runLength, 100);
    w->SpDrill->setValue(3);
    w->CbDrill->setChecked(true);
    // The history is read off the window thread: no question before the run is built.
    QVERIFY(!w->BtnShutudai->isEnabled());
    w->waitUntilDrillReady();
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(w->focusWidget(), w->BtnShutudai);
    QCOMPARE(w->runLength, 3);
    QList<int> drill;
    for (int n = 1; n <= 3; ++n)
        drill << PoemTable.numberOf(w->MondaiList[n]);
    std::sort(drill.begin(), drill.end());
    QCOMPARE(drill, (QList<int>{5, 17, 42}));

    // Distractors still come from all hundred; a miss comes back within the drill.
    play("x");
    QVERIFY(!w->CbDrill->isEnabled());
    QSet<int> offered;
    for (const auto &choice : w->KaitoRan)
        for (int p = 1; p <= 100; ++p)
            if (PoemTable[p].Shimonoku.view().startsWith(choice.Shimonoku.view()))
                offered << p;
    QCOMPARE(offered.size(), 10);
    play("ooo");
    QCOMPARE(w->MondaiNo, 3);
    QVERIFY(!w->BtnShutudai->isEnabled());
    QCOMPARE(history_.takes.size(), 4);

    // Unticked before a run's first question: the whole hundred again.
    w->hide();
    w->show();
    QVERIFY(w->CbDrill->isEnabled());
    w->CbDrill->setChecked(false);
    QCOMPARE(w->runLength, 100);
    const QList<int> all = order();
    QCOMPARE(QSet<int>(all.begin(), all.end()).size(), 100);
    history::setDatabasePath("history.sqlite");
}

void tst_Training::reviewRunsTheDuePoemsThenNewOnes()
{
    QTemporaryDir dir;
    history::setDatabasePath(dir.filePath("history.sqlite"));
    auto write = [](const QList<std::tuple<int, int, history::Outcome>> &takes) {
        history::Database db(history::databasePath());
        QCOMPARE(db.open(), history::OpenResult::Ok);
        for (const auto &[poem, daysAgo, outcome] : takes) {
            history::Take t;
            t.poem = poem;
            t.outcome = outcome;
            QVERIFY(db.insert(t, QDateTime(QDate(2026, 12, 7).addDays(-daysAgo), QTime(9, 0))));
        }
    };
    // Poem 87 right three days ago (Good: due today), poem 5 missed two days
    // ago (Again: due yesterday), poem 18 first met today: four new ones left.
    using history::Outcome;
    write({{87, 3, Outcome::Right}, {5, 2, Outcome::Wrong}, {18, 0, Outcome::Right}});
    w->show();
    // Worked out off the window thread: the item says so, and the review
    // chosen meanwhile waits for it.
    QSignalSpy ready(&w->schedules(), &history::ScheduleCache::ready);
    QCOMPARE(w->CmbSet->itemText(1), QStringLiteral("今日の復習 (計算中…)"));
    w->CmbSet->setCurrentIndex(1);
    QVERIFY(!w->BtnShutudai->isEnabled());
    w->BtnShutudaiClick();
    QVERIFY(!w->questionOpen());
    QVERIFY(ready.wait());
    QCOMPARE(w->CmbSet->itemText(1), QStringLiteral("今日の復習 (期日2首・新4首)"));
    QVERIFY(w->BtnShutudai->isEnabled());
    // Shown again with the history as it was: the same figures at once.
    w->hide();
    w->show();
    QCOMPARE(w->CmbSet->itemText(1), QStringLiteral("今日の復習 (期日2首・新4首)"));
    QCOMPARE(w->runLength, 6);
    QList<int> run;
    for (int n = 1; n <= 6; ++n)
        run << PoemTable.numberOf(w->MondaiList[n]);
    QCOMPARE(run, (QList<int>{5, 87, 57, 22, 70, 81}));
    // With the weak-poem drill, the weakest of the review: the missed poem.
    w->SpDrill->setValue(1);
    w->CbDrill->setChecked(true);
    w->waitUntilDrillReady();
    QCOMPARE(w->runLength, 1);
    QCOMPARE(PoemTable.numberOf(w->MondaiList[1]), 5);
    play("o");
    QCOMPARE(history_.takes.last().poem, 5);

    // Every poem met today and none due: nothing to ask.
    w->hide();
    QList<std::tuple<int, int, Outcome>> all;
    for (int p = 1; p <= 100; ++p)
        all.append({p, 0, Outcome::Right});
    write(all);
    // The file changed: worked out afresh.
    w->show();
    w->CbDrill->setChecked(false);
    w->CmbSet->setCurrentIndex(1);
    QTRY_COMPARE(w->CmbSet->itemText(1), QStringLiteral("今日の復習 (期日0首・新0首)"));
    QVERIFY(!w->BtnShutudai->isEnabled());
    w->CmbSet->setCurrentIndex(0);
    QVERIFY(w->BtnShutudai->isEnabled());
    QCOMPARE(w->runLength, 100);
    history::setDatabasePath("history.sqlite");
}

// The player's sets come last, after a separator, and run as a set by sound
// does; one made while the window is open joins when the dialog closes.
void tst_Training::ownSetsFollowTheSetsBySound()
{
    QTemporaryDir dir;
    history::setDatabasePath(dir.filePath("history.sqlite"));
    history::OwnSet field{0, QStringLiteral("自陣"), {3, 15, 22}};
    QCOMPARE(history::saveOwnSet(history::databasePath(), field), QString());
    w->show();
    const int last = w->CmbSet->count() - 1;
    QCOMPARE(w->CmbSet->itemText(last), QStringLiteral("自陣 (3首)"));
    QCOMPARE(w->CmbSet->itemData(last - 1, Qt::AccessibleDescriptionRole).toString(), QStringLiteral("separator"));
    QCOMPARE(w->CmbSet->itemText(last - 2), QStringLiteral("友札「わたのはら」 (2首)"));
    w->CmbSet->setCurrentIndex(last);
    QCOMPARE(w->DrillPoems, field.poems);
    QCOMPARE(w->runLength, 3);
    QList<int> run;
    for (int n = 1; n <= 3; ++n)
        run << PoemTable.numberOf(w->MondaiList[n]);
    std::sort(run.begin(), run.end());
    QCOMPARE(run, field.poems);

    // Edited to two poems and another set added: the choice follows by name.
    field.poems = {3, 15};
    QCOMPARE(history::saveOwnSet(history::databasePath(), field), QString());
    history::OwnSet more{0, QStringLiteral("友札"), {1, 2}};
    QCOMPARE(history::saveOwnSet(history::databasePath(), more), QString());
    w->setsEdited();
    QCOMPARE(w->CmbSet->count(), last + 2);
    QCOMPARE(w->CmbSet->currentText(), QStringLiteral("自陣 (2首)"));
    QCOMPARE(w->runLength, 2);
    history::setDatabasePath("history.sqlite");
}

QTEST_MAIN(tst_Training)
#include "tst_training.moc"
