#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>

#include "../support/fakeservices.h"

#include "deck/poemtable.h"
#include "match/matchcard.h"
#include "match/report.h"
#include "match/tf_match.h"
#include "platform/services.h"
#include "platform/gui/fonts.h"

using namespace match;
using namespace fakes;

namespace {

class FakeReporter final : public Reporter {
public:
    QList<ReadingReport> readings;
    qint64 sessions = 0;
    qint64 newSession() override { return ++sessions; }
    void reading(const ReadingReport &r) override { readings << r; }
};

int firstCard(const Field &f, Side s)
{
    for (int k = 0; k < kSlots; ++k)
        if (f.at(s, k))
            return k;
    return -1;
}

} // namespace

class tst_TF_Match : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wholeMatchEndsAsTheFasterSideWins_data();
    void wholeMatchEndsAsTheFasterSideWins();
    void clickIsJudgedOnItsOwnTimeAgainstTheOpponent_data();
    void clickIsJudgedOnItsOwnTimeAgainstTheOpponent();
    void heldKeyMovesOneCardOnce();
    void mouseDragRearrangesOnlyOwnCards();
    void memorisationCuesThenStartsTheReadings();
    void takingAcrossLetsThePlayerSendACard();
    void closingMidMatchAsksFirst();
    void opponentCardsArePaintedHalfTurned();

private:
    void advance(qint64 ms) { now_ += ms; }
    // Runs ticks until the phase leaves Reading or `ticks` are done.
    void tickReading(int ticks);
    // Lets readings run out, nobody taking, until one opens whose card lies
    // on `side` (either side when not given).
    void untilCardOn(std::optional<Side> side = std::nullopt);

    qint64 now_ = 100'000;
    CountingBeeper beeper_;
    FakeReporter reporter_;
    std::unique_ptr<platform::ScopedServices> services_;
    std::unique_ptr<TF_Match> w_;
};

void tst_TF_Match::initTestCase()
{
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
}

void tst_TF_Match::init()
{
    platform::Services s;
    s.beeper = &beeper_;
    services_ = std::make_unique<platform::ScopedServices>(s);
    setReporter(&reporter_);
    reporter_ = FakeReporter{};
    beeper_.beeps = 0;
    w_ = std::make_unique<TF_Match>();
    w_->now = [this] { return now_; };
    w_->newMatch(12345);
}

void tst_TF_Match::cleanup()
{
    w_.reset();
    setReporter(nullptr);
    services_.reset();
}

void tst_TF_Match::tickReading(int ticks)
{
    for (int i = 0; i < ticks && w_->phase() == TF_Match::Phase::Reading; ++i) {
        advance(kTickMs);
        w_->Timer1Timer();
    }
}

void tst_TF_Match::untilCardOn(std::optional<Side> side)
{
    for (;;) {
        const auto card = w_->state().field().find(w_->state().poem());
        if (w_->phase() == TF_Match::Phase::Reading && card && (!side || card->side == *side))
            return;
        tickReading(200);
        while (w_->phase() == TF_Match::Phase::Sending)
            w_->touchPlace({Side::Player, firstCard(w_->state().field(), Side::Player)}, now_);
        advance(10'000);
        w_->TimerWaitTimer();
        QVERIFY(w_->phase() == TF_Match::Phase::Reading);
    }
}

void tst_TF_Match::wholeMatchEndsAsTheFasterSideWins_data()
{
    QTest::addColumn<int>("levelNo");
    QTest::addColumn<int>("playerReactionMs"); // after the deciding tick; -1: never takes
    QTest::addColumn<QString>("verdict");
    QTest::newRow("a quick player beats level 1") << 1 << 150 << "あなたの勝ち";
    QTest::newRow("a slow player loses to level 5") << 5 << 1500 << "あなたの負け";
    QTest::newRow("an idle player loses to level 3") << 3 << -1 << "あなたの負け";
}

void tst_TF_Match::wholeMatchEndsAsTheFasterSideWins()
{
    QFETCH(int, levelNo);
    QFETCH(int, playerReactionMs);
    QFETCH(QString, verdict);
    w_->CbLevel->setCurrentIndex(levelNo - 1);
    w_->BtnStartNowClick();
    QCOMPARE(reporter_.sessions, 1);
    int lastReading = 0;
    qint64 start = 0;
    bool touched = false;
    for (int guard = 0; guard < 20000 && w_->phase() != TF_Match::Phase::Over; ++guard) {
        const Match &m = w_->state();
        if (m.readingNumber() != lastReading) {
            lastReading = m.readingNumber();
            start = now_;
            touched = false;
        }
        switch (w_->phase()) {
        case TF_Match::Phase::Reading: {
            const auto card = m.field().find(m.poem());
            const qint64 at = start + qint64(decidedTick(m.poem(), m.readBefore())) * kTickMs + playerReactionMs;
            if (card && playerReactionMs >= 0 && !touched && at <= now_ + kTickMs) {
                touched = true;
                now_ = std::max(now_, at);
                w_->touchPlace(*card, at);
            } else {
                tickReading(1);
            }
            break;
        }
        case TF_Match::Phase::Sending:
            w_->touchPlace({Side::Player, firstCard(m.field(), Side::Player)}, now_);
            break;
        case TF_Match::Phase::Waiting:
            advance(1000 * w_->SpGap->value());
            w_->TimerWaitTimer();
            break;
        default:
            QFAIL("unexpected phase");
        }
    }
    QCOMPARE(w_->phase(), TF_Match::Phase::Over);
    QVERIFY(!w_->LblEnd->isHidden());
    QVERIFY2(w_->LblEnd->text().startsWith(verdict), qPrintable(w_->LblEnd->text()));

    // Every reading went to the history once, and agrees with the floor.
    const Match &m = w_->state();
    QCOMPARE(reporter_.readings.size(), m.readingNumber());
    int taken[2] = {};
    int missed = 0;
    for (int i = 0; i < reporter_.readings.size(); ++i) {
        const ReadingReport &r = reporter_.readings[i];
        QCOMPARE(r.session, 1);
        QCOMPARE(r.level, levelNo);
        taken[0] += r.outcome == QLatin1String("player");
        taken[1] += r.outcome == QLatin1String("opponent");
        missed += r.outcome == QLatin1String("missed");
        if (r.outcome == QLatin1String("player") || r.outcome == QLatin1String("opponent")) {
            QVERIFY(r.msAfterDeciding);
            QCOMPARE(*r.msAfterDeciding, r.ms - qint64(r.decidedTick) * kTickMs);
            if (r.outcome == QLatin1String("player"))
                QCOMPARE(*r.msAfterDeciding, qint64(playerReactionMs));
        } else {
            QVERIFY(!r.msAfterDeciding);
        }
    }
    QCOMPARE(taken[0], m.takes(Side::Player));
    QCOMPARE(taken[1], m.takes(Side::Opponent));
    QCOMPARE(m.field().count(Side::Player) + m.field().count(Side::Opponent), 50 - taken[0] - taken[1] - missed);
    QCOMPARE(w_->playerReactions().size(), taken[0]);
}

void tst_TF_Match::clickIsJudgedOnItsOwnTimeAgainstTheOpponent_data()
{
    QTest::addColumn<qint64>("clickBeforeOpponentMs"); // negative: after it
    QTest::addColumn<bool>("playerTakes");
    QTest::newRow("a click before the opponent, handled after it, wins") << qint64(40) << true;
    QTest::newRow("a click after the opponent loses") << qint64(-40) << false;
}

void tst_TF_Match::clickIsJudgedOnItsOwnTimeAgainstTheOpponent()
{
    QFETCH(qint64, clickBeforeOpponentMs);
    QFETCH(bool, playerTakes);
    w_->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    // The window system's clock runs 5 s behind the program's.
    const auto stamp = [this](qint64 monotonic) { return quint64(monotonic - 5000); };
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    move.setTimestamp(stamp(now_));
    QApplication::sendEvent(w_->PField, &move);

    w_->BtnStartNowClick();
    untilCardOn(Side::Opponent);
    const qint64 start = now_;
    QVERIFY(w_->plan().takeAtMs);
    const qint64 opponentAt = start + *w_->plan().takeAtMs;
    const int poem = w_->state().poem();
    const int readingNo = w_->state().readingNumber();
    MatchCard *card = w_->cardOf(poem);
    // Handled 120 ms after the opponent's moment, past its grace: only the
    // event's own time can put the click first.
    now_ = opponentAt + 120;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), card->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    press.setTimestamp(stamp(opponentAt - clickBeforeOpponentMs));
    QApplication::sendEvent(card, &press);
    QCOMPARE(w_->state().last().taker, std::optional(playerTakes ? Side::Player : Side::Opponent));
    QCOMPARE(w_->state().last().takenAtMs, opponentAt - (playerTakes ? clickBeforeOpponentMs : 0));
    QVERIFY(!w_->state().field().find(poem));
    // The take is shown in the taker's colour until the next reading.
    QVERIFY(!card->isHidden());
    QCOMPARE(card->Color(), playerTakes ? QColor(0, 0, 255) : QColor(255, 0, 0));
    if (w_->phase() == TF_Match::Phase::Sending)
        QTest::keyClick(w_.get(), Qt::Key_Space);
    advance(10'000);
    w_->TimerWaitTimer();
    QCOMPARE(w_->state().readingNumber(), readingNo + 1);
    QVERIFY(card->isHidden());
}

void tst_TF_Match::heldKeyMovesOneCardOnce()
{
    w_->show();
    const Place from = w_->cursor();
    const int poem = w_->state().field().at(from);
    QVERIFY(poem);
    const auto key = [this](Qt::Key k, bool repeat = false) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(w_.get(), &e);
    };
    key(Qt::Key_Space);       // pick up
    key(Qt::Key_Space, true); // the key held: no drop
    key(Qt::Key_Up);
    key(Qt::Key_Up, true);    // held: one row, not two
    key(Qt::Key_Space);       // put down
    const Place to{Side::Player, slotAt(rowOf(from.slot) - 1, columnOf(from.slot))};
    QCOMPARE(w_->cursor(), to);
    QCOMPARE(w_->state().field().at(to), poem);
    QCOMPARE(w_->cardOf(poem)->geometry(), w_->placeRect(to));
}

void tst_TF_Match::mouseDragRearrangesOnlyOwnCards()
{
    w_->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    const Field &f = w_->state().field();
    const int mine = f.at(Side::Player, firstCard(f, Side::Player));
    const int theirs = f.at(Side::Opponent, firstCard(f, Side::Opponent));
    const int emptySlot = slotAt(0, kAreaColumns - 1);
    QCOMPARE(f.at(Side::Player, emptySlot), 0);
    const QPoint target = w_->placeRect({Side::Player, emptySlot}).center();

    for (int poem : {theirs, mine}) {
        MatchCard *c = w_->cardOf(poem);
        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(c, Qt::LeftButton, {}, c->mapFromParent(target));
    }
    QCOMPARE(f.find(mine), std::optional(Place{Side::Player, emptySlot}));
    QCOMPARE(f.find(theirs)->side, Side::Opponent);
    QCOMPARE(w_->cardOf(mine)->geometry(), w_->placeRect({Side::Player, emptySlot}));
}

void tst_TF_Match::memorisationCuesThenStartsTheReadings()
{
    w_->CbMemorise->setCurrentIndex(2); // 5 minutes
    w_->BtnMemoriseClick();
    QCOMPARE(w_->phase(), TF_Match::Phase::Memorising);
    QCOMPARE(w_->LblStatus->text(), QStringLiteral("暗記時間 残り 5:00"));
    advance(3 * 60'000);
    w_->TimerWaitTimer();
    w_->TimerWaitTimer();
    QCOMPARE(beeper_.beeps, 1);
    QCOMPARE(w_->LblStatus->text(), QStringLiteral("暗記時間 残り 2:00（あと2分）"));
    advance(2 * 60'000);
    w_->TimerWaitTimer();
    QCOMPARE(w_->phase(), TF_Match::Phase::Reading);
    QCOMPARE(w_->state().readingNumber(), 1);
}

void tst_TF_Match::takingAcrossLetsThePlayerSendACard()
{
    w_->BtnStartNowClick();
    untilCardOn(Side::Opponent);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(w_.get(), Qt::Key_Up); // the frame over the opponent's side
    w_->touchPlace(*w_->state().field().find(w_->state().poem()), now_);
    QCOMPARE(w_->phase(), TF_Match::Phase::Sending);
    QCOMPARE(w_->LblStatus->text(), QStringLiteral("送る札を選んでください"));
    const int theirs = firstCard(w_->state().field(), Side::Opponent);
    w_->touchPlace({Side::Opponent, theirs}, now_); // not one of the player's
    QCOMPARE(w_->phase(), TF_Match::Phase::Sending);
    // The frame waits on one of the player's cards: Space gives it.
    QCOMPARE(w_->cursor().side, Side::Player);
    const int sent = w_->state().field().at(w_->cursor());
    QVERIFY(sent);
    QTest::keyClick(w_.get(), Qt::Key_Space);
    QCOMPARE(w_->phase(), TF_Match::Phase::Waiting);
    QCOMPARE(w_->state().field().find(sent)->side, Side::Opponent);
    QVERIFY(w_->cardOf(sent)->upsideDown());
    QCOMPARE(reporter_.readings.last().playerSent, 1);
}

void tst_TF_Match::closingMidMatchAsksFirst()
{
    w_->show();
    int asked = 0;
    bool answer = false;
    w_->confirmLeave = [&] { return ++asked, answer; };
    w_->BtnStartNowClick();
    w_->BtnClose->click();
    QCOMPARE(asked, 1);
    QVERIFY(w_->isVisible());
    QCOMPARE(w_->phase(), TF_Match::Phase::Reading);
    answer = true;
    w_->BtnClose->click();
    QCOMPARE(asked, 2);
    QVERIFY(!w_->isVisible());
    QVERIFY(!w_->Timer1->isActive());
}

void tst_TF_Match::opponentCardsArePaintedHalfTurned()
{
    MatchCard *c = w_->cardOf(w_->state().field().at(Side::Opponent, firstCard(w_->state().field(), Side::Opponent)));
    QVERIFY(c->upsideDown());
    const QImage turned = c->grab().toImage();
    c->setUpsideDown(false);
    const QImage upright = c->grab().toImage();
    QVERIFY(turned != upright);
    // The bevels keep the light of every other card.
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(turned.pixel(i, turned.height() / 2), upright.pixel(i, upright.height() / 2));
        QCOMPARE(turned.pixel(turned.width() / 2, turned.height() - 1 - i),
                 upright.pixel(upright.width() / 2, upright.height() - 1 - i));
    }
    // The text turns. Hinting places glyph edges a little differently upside
    // down, so the faces inside the bevels are compared coarsely: the turned
    // one lies far nearer the upright one turned back than the upright one.
    const QRect inside = turned.rect().adjusted(3, 3, -3, -3);
    const auto distance = [&](QImage a, QImage b) {
        a = a.copy(inside).scaled(inside.size() / 6, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        b = b.copy(inside).scaled(inside.size() / 6, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        qint64 sum = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                sum += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        return sum;
    };
    QVERIFY(distance(turned, upright.mirrored(true, true)) * 3 < distance(turned, upright));
}

QTEST_MAIN(tst_TF_Match)
#include "tst_tf_match.moc"
