#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QTimer>

#include "../support/fakehistory.h"
#include "../support/fakeclips.h"
#include "../support/fakeservices.h"
#include "../support/smalldisk.h"

#include "deck/opening.h"
#include "deck/poemtable.h"
#include "play/matchcard.h"
#include "deck/reveal.h"
#include "history/database.h"
#include "match/calibration.h"
#include "play/floorgeometry.h"
#include "match/replay.h"
#include "match/tf_match.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/gui/fonts.h"
#include "tategaki/labeltategaki.h"
#include "voice/speaker.h"

using namespace match;
using deck::kTickMs;
using namespace fakes;

namespace {

// The texts of the notices shown beside the floor, closed as they are read.
QStringList takeAsides()
{
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
            texts << box->text();
            box->close();
        }
    return texts;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

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
    void mouseDragRearrangesOnlyOwnCards_data();
    void mouseDragRearrangesOnlyOwnCards();
    void memorisationCuesThenStartsTheReadings();
    void takingAcrossLetsThePlayerSendACard();
    void quitQuestionHoldsTheMatchStill();
    void readingsKeepTheFocusOnTheFloor();
    void savedMatchOpensOnlyBetweenMatches();
    void unsavedRecordIsToldAndTriedAgain_data();
    void unsavedRecordIsToldAndTriedAgain();
    void opponentCardsArePaintedHalfTurned();
    void readingAloudOnTheGamesTicks_data();
    void readingAloudOnTheGamesTicks();
    void leadInReadsTheLowerVerseHoldsAndPauses_data();
    void leadInReadsTheLowerVerseHoldsAndPauses();

private:
    void advance(qint64 ms) { monotonic_.now += ms; }
    // Runs ticks until the phase leaves Reading or `ticks` are done.
    void tickReading(int ticks);
    // Runs the lead-in's ticks, each when the timer would fire, until the
    // next reading opens.
    void leadIn();
    // Lets the reading run out, nobody taking, and sends what is owed.
    void closeReading();
    // Lets readings run out until one opens whose card lies on `side`
    // (either side when not given).
    void untilCardOn(std::optional<Side> side = std::nullopt);
    // The same, until a dead card's reading opens.
    void untilDeadCard();

    FakeMonotonic monotonic_;
    FakeClock clock_; // the match dealt at each show is seeded from its time of day
    CountingBeeper beeper_;
    FakeRecorder history_;
    SoundBoard sounds_;
    QTemporaryDir readings_; // a folder of clips as the build makes them (empty files)
    QTemporaryDir saved_;    // the matches' records
    FakeMessages messages_;
    platform::Services services_; // the window's own, through its needs
    std::unique_ptr<TF_Match> w_;
};

void tst_TF_Match::initTestCase()
{
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
    QVERIFY(fakes::useFakeClipFolder(readings_.path()));
    // The end screen looks for the player's history; none here.
    history::setDatabasePath(QDir::temp().filePath(QStringLiteral("kotoha-no-history.sqlite")));
}

void tst_TF_Match::init()
{
    platform::Services s;
    s.beeper = &beeper_;
    s.clock = &clock_;
    s.monotonic = &monotonic_;
    monotonic_.now = 100'000;
    s.makeWavePlayer = [this] { return std::make_unique<FakePlayer>(sounds_); };
    messages_ = FakeMessages{};
    s.messages = &messages_;
    services_ = fakes::withStandIns(s);
    history_ = FakeRecorder{};
    sounds_ = SoundBoard{};
    voice::options().gameReading = false;
    beeper_.beeps = 0;
    w_ = std::make_unique<TF_Match>(
        TF_Match::Needs{services_, platform::rng(), history_, voice::options(), deck::PoemTable});
    w_->recordFolder = [this] { return saved_.path(); };
    w_->newMatch(12345);
}

void tst_TF_Match::cleanup()
{
    w_.reset();
}

void tst_TF_Match::tickReading(int ticks)
{
    for (int i = 0; i < ticks && w_->phase() == TF_Match::Phase::Reading; ++i) {
        advance(kTickMs);
        w_->Timer1Timer();
    }
}

void tst_TF_Match::leadIn()
{
    for (int i = 0; i < 1000 && w_->phase() == TF_Match::Phase::Waiting; ++i) {
        advance(w_->Timer1->interval());
        w_->Timer1Timer();
    }
}

void tst_TF_Match::closeReading()
{
    tickReading(200);
    while (w_->phase() == TF_Match::Phase::Sending)
        w_->touchPlace({Side::Player, firstCard(w_->state().field(), Side::Player)}, monotonic_.now);
}

void tst_TF_Match::untilCardOn(std::optional<Side> side)
{
    for (;;) {
        const auto card = w_->state().field().find(w_->state().poem());
        // A reading where the opponent goes only for the read card.
        if (w_->phase() == TF_Match::Phase::Reading && card && (!side || card->side == *side) && !w_->plan().faultAtMs)
            return;
        closeReading();
        leadIn();
        QVERIFY(w_->phase() == TF_Match::Phase::Reading);
    }
}

void tst_TF_Match::untilDeadCard()
{
    // A card taken in its reading is gone from the floor too, so look only
    // at a new reading.
    while (w_->phase() != TF_Match::Phase::Reading || w_->state().field().find(w_->state().poem())) {
        closeReading();
        leadIn();
    }
}

void tst_TF_Match::wholeMatchEndsAsTheFasterSideWins_data()
{
    QTest::addColumn<int>("levelNo");
    QTest::addColumn<int>("playerReactionMs"); // after the deciding tick; -1: never takes
    QTest::addColumn<QString>("verdict");
    QTest::newRow("a quick player beats level 1") << 1 << 150 << "あなたの勝ち";
    QTest::newRow("a slow player loses to the top level") << kLevels << 1500 << "あなたの負け";
    QTest::newRow("an idle player loses to a middle level") << kLevels / 2 << -1 << "あなたの負け";
}

void tst_TF_Match::wholeMatchEndsAsTheFasterSideWins()
{
    QFETCH(int, levelNo);
    QFETCH(int, playerReactionMs);
    QFETCH(QString, verdict);
    w_->CbLevel->setCurrentIndex(levelNo - 1);
    w_->BtnStartNowClick();
    QCOMPARE(history_.sessions, QStringList{"match"});
    int lastReading = 0;
    qint64 start = 0;
    bool touched = false;
    for (int guard = 0; guard < 40000 && w_->phase() != TF_Match::Phase::Over; ++guard) {
        const Match &m = w_->state();
        if (m.readingNumber() != lastReading) {
            lastReading = m.readingNumber();
            start = monotonic_.now;
            touched = false;
        }
        switch (w_->phase()) {
        case TF_Match::Phase::Reading: {
            const auto card = m.field().find(m.poem());
            const qint64 at = start + qint64(deck::decidedTick(m.poem(), m.readBefore())) * kTickMs + playerReactionMs;
            if (card && playerReactionMs >= 0 && !touched && at <= monotonic_.now + kTickMs) {
                touched = true;
                monotonic_.now = std::max(monotonic_.now, at);
                w_->touchPlace(*card, at);
            } else {
                tickReading(1);
            }
            break;
        }
        case TF_Match::Phase::Sending:
            w_->touchPlace({Side::Player, firstCard(m.field(), Side::Player)}, monotonic_.now);
            break;
        case TF_Match::Phase::Waiting:
            advance(w_->Timer1->interval());
            w_->Timer1Timer();
            break;
        default:
            QFAIL("unexpected phase");
        }
    }
    QCOMPARE(w_->phase(), TF_Match::Phase::Over);
    QVERIFY(!w_->LblEnd->isHidden());
    QVERIFY2(w_->LblEnd->text().startsWith(verdict), qPrintable(w_->LblEnd->text()));
    // The advice says what it was drawn from: the takes, or none at all.
    const QString rule = calibrationRule(playerReactionMs < 0 ? QList<qint64>{} : QList<qint64>{playerReactionMs});
    // Read from the history off the window thread: the end is up before the advice.
    QVERIFY2(w_->LblEnd->text().endsWith(QStringLiteral("計算中…")), qPrintable(w_->LblEnd->text()));
    QTRY_VERIFY2(w_->LblEnd->text().endsWith(rule), qPrintable(w_->LblEnd->text()));

    // Every reading went to the history once, and agrees with the floor.
    const Match &m = w_->state();
    QCOMPARE(history_.takes.size(), m.readingNumber());
    int taken[2] = {};
    int missed = 0;
    for (const history::Take &t : std::as_const(history_.takes)) {
        QCOMPARE(t.mode, history::Mode::Match);
        QCOMPARE(t.session, 101);
        QCOMPARE(t.deciding, history::Deciding::Spoken);
        QCOMPARE(t.extra.value("level").toInt(), levelNo);
        using history::Outcome;
        const bool right = t.outcome == Outcome::Right;
        const bool lost = t.outcome == Outcome::Opponent;
        taken[0] += right;
        taken[1] += lost;
        missed += t.outcome == Outcome::Missed;
        QVERIFY2(right || lost || t.outcome == Outcome::Missed || t.outcome == Outcome::Dead,
                 qPrintable(history::word(t.outcome)));
        QCOMPARE(t.extra.value("taker").toString(), right ? "player" : lost ? "opponent" : "");
        if (right || lost) {
            QVERIFY(t.msAfterDeciding);
            QCOMPARE(*t.msAfterDeciding, t.ms - qint64(t.extra.value("decided_tick").toInt()) * kTickMs);
            if (right)
                QCOMPARE(*t.msAfterDeciding, qint64(playerReactionMs));
        } else {
            QVERIFY(!t.msAfterDeciding);
        }
    }
    QCOMPARE(taken[0], m.takes(Side::Player));
    QCOMPARE(taken[1], m.takes(Side::Opponent));
    QCOMPARE(m.field().count(Side::Player) + m.field().count(Side::Opponent), 50 - taken[0] - taken[1] - missed);
    QCOMPARE(w_->playerReactions().size(), taken[0]);

    // The match was saved, and its record plays again through the rules to the same end.
    QFile saved(w_->matchRecord().path());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const RecordRead read = readRecord(saved.readAll());
    QVERIFY2(read.record, qPrintable(read.reason));
    const Replay replay = replayRecord(*read.record);
    QVERIFY2(replay.errorLine == 0, qPrintable(QStringLiteral("%1: %2").arg(replay.errorLine).arg(replay.error)));
    QCOMPARE(replay.readings.size(), m.readingNumber());
    QCOMPARE(replay.result, m.result());
    QCOMPARE(read.record->level, levelNo);
}

void tst_TF_Match::clickIsJudgedOnItsOwnTimeAgainstTheOpponent_data()
{
    QTest::addColumn<Side>("cardSide");
    QTest::addColumn<qint64>("clickBeforeOpponentMs"); // negative: after it
    QTest::addColumn<bool>("playerTakes");
    QTest::newRow("a click before the opponent, handled after it, wins") << Side::Opponent << qint64(40) << true;
    QTest::newRow("a click after the opponent loses") << Side::Opponent << qint64(-40) << false;
    QTest::newRow("same moment, the opponent's side: the opponent's") << Side::Opponent << qint64(0) << false;
    QTest::newRow("same moment, the player's side: the player's") << Side::Player << qint64(0) << true;
}

void tst_TF_Match::clickIsJudgedOnItsOwnTimeAgainstTheOpponent()
{
    QFETCH(Side, cardSide);
    QFETCH(qint64, clickBeforeOpponentMs);
    QFETCH(bool, playerTakes);
    w_->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    // The window system's clock runs 5 s behind the program's.
    const auto stamp = [this](qint64 monotonic) { return quint64(monotonic - 5000); };
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    move.setTimestamp(stamp(monotonic_.now));
    QApplication::sendEvent(w_->PField, &move);

    w_->BtnStartNowClick();
    untilCardOn(cardSide);
    const qint64 start = monotonic_.now;
    QVERIFY(w_->plan().takeAtMs);
    const qint64 opponentAt = start + *w_->plan().takeAtMs;
    const int poem = w_->state().poem();
    const int readingNo = w_->state().readingNumber();
    MatchCard *card = w_->cardOf(poem);
    // Handled 120 ms after the opponent's moment, past its grace: only the
    // event's own time can put the click first.
    monotonic_.now = opponentAt + 120;
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
    leadIn();
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
    QCOMPARE(w_->cardOf(poem)->geometry(), placeRect(to));
}

void tst_TF_Match::mouseDragRearrangesOnlyOwnCards_data()
{
    QTest::addColumn<bool>("betweenReadings");
    QTest::newRow("before the readings") << false;
    QTest::newRow("between readings") << true;
}

void tst_TF_Match::mouseDragRearrangesOnlyOwnCards()
{
    QFETCH(bool, betweenReadings);
    w_->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    if (betweenReadings) {
        w_->BtnStartNowClick();
        tickReading(400);
        while (w_->phase() == TF_Match::Phase::Sending)
            w_->touchPlace({Side::Player, firstCard(w_->state().field(), Side::Player)}, monotonic_.now);
        QCOMPARE(w_->phase(), TF_Match::Phase::Waiting);
    }
    const Field &f = w_->state().field();
    const int mine = f.at(Side::Player, firstCard(f, Side::Player));
    const int theirs = f.at(Side::Opponent, firstCard(f, Side::Opponent));
    const int emptySlot = slotAt(0, kAreaColumns - 1);
    QCOMPARE(f.at(Side::Player, emptySlot), 0);
    const QPoint target = placeRect({Side::Player, emptySlot}).center();

    for (int poem : {theirs, mine}) {
        MatchCard *c = w_->cardOf(poem);
        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(c, Qt::LeftButton, {}, c->mapFromParent(target));
    }
    QCOMPARE(f.find(mine), std::optional(Place{Side::Player, emptySlot}));
    QCOMPARE(f.find(theirs)->side, Side::Opponent);
    QCOMPARE(w_->cardOf(mine)->geometry(), placeRect({Side::Player, emptySlot}));
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
    // The opening poem first: no card, no reading yet.
    QCOMPARE(w_->phase(), TF_Match::Phase::Waiting);
    QCOMPARE(w_->LblStatus->text(), QStringLiteral("序歌"));
    QCOMPARE(w_->state().readingNumber(), 0);
    leadIn();
    QCOMPARE(w_->phase(), TF_Match::Phase::Reading);
    QCOMPARE(w_->state().readingNumber(), 1);
}

void tst_TF_Match::takingAcrossLetsThePlayerSendACard()
{
    w_->BtnStartNowClick();
    untilCardOn(Side::Opponent);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(w_.get(), Qt::Key_Up); // the frame over the opponent's side
    const qsizetype rows = history_.takes.size();
    w_->touchPlace(*w_->state().field().find(w_->state().poem()), monotonic_.now);
    QCOMPARE(w_->phase(), TF_Match::Phase::Sending);
    QCOMPARE(w_->LblStatus->text(), QStringLiteral("送る札を選んでください"));
    // The take is in the history before the card is given: leaving now loses nothing.
    QCOMPARE(history_.takes.size(), rows + 1);
    QCOMPARE(history_.takes.last().outcome, history::Outcome::Right);
    QCOMPARE(history_.takes.last().extra.value("player_sent").toInt(), 1);
    const int theirs = firstCard(w_->state().field(), Side::Opponent);
    w_->touchPlace({Side::Opponent, theirs}, monotonic_.now); // not one of the player's
    QCOMPARE(w_->phase(), TF_Match::Phase::Sending);
    // The frame waits on one of the player's cards: Space gives it.
    QCOMPARE(w_->cursor().side, Side::Player);
    const int sent = w_->state().field().at(w_->cursor());
    QVERIFY(sent);
    QTest::keyClick(w_.get(), Qt::Key_Space);
    QCOMPARE(w_->phase(), TF_Match::Phase::Waiting);
    QCOMPARE(w_->state().field().find(sent)->side, Side::Opponent);
    QVERIFY(w_->cardOf(sent)->upsideDown());
    QCOMPARE(history_.takes.size(), rows + 1);
}

void tst_TF_Match::quitQuestionHoldsTheMatchStill()
{
    w_->show();
    int asked = 0;
    bool answer = false;
    // The player thinks the question over for a minute.
    w_->confirmLeave = [&] {
        advance(60'000);
        return ++asked, answer;
    };
    w_->BtnStartNowClick();
    untilCardOn();
    const qint64 start = monotonic_.now;
    const int number = w_->state().readingNumber();
    QVERIFY(w_->plan().takeAtMs);
    const qint64 takeAt = *w_->plan().takeAtMs;
    tickReading(1);
    w_->BtnClose->click();
    QCOMPARE(asked, 1);
    QVERIFY(w_->isVisible());
    QCOMPARE(w_->phase(), TF_Match::Phase::Reading);
    QVERIFY(w_->Timer1->isActive());
    // The reading goes on where it stopped: the opponent takes on the
    // reading's own clock, and the history's time leaves the minute out.
    tickReading(400);
    QCOMPARE(w_->state().readingNumber(), number);
    QCOMPARE(w_->state().last().taker, std::optional(Side::Opponent));
    QCOMPARE(w_->state().last().takenAtMs, start + 60'000 + takeAt);
    QCOMPARE(history_.takes.last().ms, takeAt);

    answer = true;
    w_->BtnClose->click();
    QCOMPARE(asked, 2);
    QVERIFY(!w_->isVisible());
    QVERIFY(!w_->Timer1->isActive());
}

void tst_TF_Match::readingsKeepTheFocusOnTheFloor()
{
    const Qt::FocusPolicy closePolicy = w_->BtnClose->focusPolicy();
    QVERIFY(closePolicy != Qt::NoFocus);
    QVERIFY(w_->SpGap->isEnabled());
    w_->BtnStartNowClick();
    // Tab or a click would hand the arrows to 間隔, or Space to 終了.
    for (QWidget *c : w_->findChildren<QWidget *>())
        QVERIFY2(c->focusPolicy() == Qt::NoFocus || !c->isEnabled(), qPrintable(c->objectName()));
    w_->newMatch(1);
    QCOMPARE(w_->BtnClose->focusPolicy(), closePolicy);
    QVERIFY(w_->SpGap->isEnabled());
}

void tst_TF_Match::savedMatchOpensOnlyBetweenMatches()
{
    QTemporaryFile later;
    QVERIFY(later.open());
    later.write("kotoha-match 9\n");
    later.close();
    int asked = 0;
    w_->askRecordFile = [&] {
        ++asked;
        return later.fileName();
    };
    w_->BtnStartNowClick();
    w_->BtnReplay->click();
    QCOMPARE(asked, 0);
    w_->newMatch(1);
    w_->BtnReplay->click();
    QCOMPARE(asked, 1);
    QCOMPARE(messages_.informed.size(), 1);
    QVERIFY2(messages_.informed[0].contains(QStringLiteral("1行目")), qPrintable(messages_.informed[0]));
}

void tst_TF_Match::unsavedRecordIsToldAndTriedAgain_data()
{
    QTest::addColumn<bool>("fullDisk"); // else the folder's parent turns into a regular file
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder no longer a folder") << false << "保存先のフォルダがありません";
    QTest::newRow("disk full") << true << "ディスクに空きがありません";
}

void tst_TF_Match::unsavedRecordIsToldAndTriedAgain()
{
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);

    // Both ways fail for root too, unlike a folder's permissions.
    std::unique_ptr<SmallDisk> disk;
    QTemporaryDir dir;
    QString folder;
    std::function<void()> block, unblock;
    if (fullDisk) {
        disk = std::make_unique<SmallDisk>();
        SKIP_WITHOUT_SMALL_DISK(*disk);
        folder = disk->filePath(QStringLiteral("matches"));
        block = [&] { QVERIFY(disk->fill()); };
        unblock = [&] { disk->release(); };
    } else {
        const QString parent = dir.filePath(QStringLiteral("p"));
        folder = parent + QStringLiteral("/matches");
        block = [=] {
            QVERIFY(QDir().rename(parent, parent + ".away"));
            QFile file(parent);
            QVERIFY(file.open(QIODevice::WriteOnly));
        };
        unblock = [=] { QVERIFY(QFile::remove(parent) && QDir().rename(parent + ".away", parent)); };
    }
    w_->recordFolder = [&] { return folder; };
    w_->newMatch(12345);
    w_->show();
    w_->confirmLeave = [] { return true; };
    w_->BtnStartNowClick();
    const auto reading = [&] {
        leadIn();
        QCOMPARE(w_->phase(), TF_Match::Phase::Reading);
        closeReading();
    };
    reading();
    const QString path = w_->matchRecord().path();
    const QByteArray good = fileBytes(path);
    QCOMPARE(good, recordText(w_->matchRecord().record()));

    // Told once, at the first failure, naming where and why.
    block();
    reading();
    reading();
    const QStringList told = takeAsides();
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].contains(QDir::toNativeSeparators(w_->matchRecord().target())) && told[0].contains(reason)
                 && told[0].contains(QStringLiteral("保存し直します")),
             qPrintable(told[0]));
    QVERIFY(w_->matchRecord().unsaved());
    QCOMPARE(messages_.informed, QStringList());

    // The next reading with room writes all the record kept meanwhile.
    unblock();
    QCOMPARE(fileBytes(path), good);
    reading();
    QVERIFY(!w_->matchRecord().unsaved());
    QCOMPARE(fileBytes(path), recordText(w_->matchRecord().record()));
    QVERIFY(fileBytes(path).size() > good.size());

    // Left while it cannot be saved: said once more, and nothing beside the floor.
    block();
    reading();
    QCOMPARE(takeAsides().size(), 0);
    w_->BtnClose->click();
    QVERIFY(!w_->isVisible());
    QCOMPARE(messages_.informed.size(), 1);
    // The file of the full disk holds the readings up to the last good save.
    QVERIFY2(messages_.informed[0].contains(QStringLiteral("保存されませんでした")) && messages_.informed[0].contains(reason)
                 && messages_.informed[0].contains(fullDisk ? QStringLiteral("途中まで") : QStringLiteral("残りません")),
             qPrintable(messages_.informed[0]));
    unblock();
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

void tst_TF_Match::readingAloudOnTheGamesTicks_data()
{
    QTest::addColumn<bool>("audio");
    QTest::addColumn<bool>("spoken");
    QTest::newRow("on") << true << true;
    QTest::newRow("no sound device") << false << false;
}

// A dead card runs its whole reading: each half starts on the tick that
// shows its first byte.
void tst_TF_Match::readingAloudOnTheGamesTicks()
{
    QFETCH(bool, audio);
    QFETCH(bool, spoken);
    services_.hasAudioOutput = [audio] { return audio; };
    w_->show();
    QCOMPARE(w_->CbYomiage->isEnabled(), audio);
    QCOMPARE(w_->CbYomiage->toolTip().contains(QStringLiteral("装置")), !audio);
    w_->CbYomiage->setChecked(true);
    QCOMPARE(voice::options().gameReading, audio);

    w_->BtnStartNowClick();
    untilDeadCard(); // its reading just begun
    const int poem = w_->state().poem();
    const auto clip = [poem](int half) { return QStringLiteral("%1-%2.wav").arg(poem, 3, 10, QChar(u'0')).arg(half); };
    sounds_.log.clear();
    beeper_.beeps = 0;
    for (int t = 1; t <= 41; ++t) {
        advance(kTickMs);
        w_->Timer1Timer();
        if (t == 1 || t >= 40)
            sounds_.log << QStringLiteral("tick %1").arg(t);
    }
    QStringList clips;
    for (const QString &line : std::as_const(sounds_.log))
        clips << QString(line).replace(readings_.path() + u'/', QString());
    const QStringList expected = spoken ? QStringList{"play " + clip(1), "tick 1", "tick 40", "play " + clip(2), "tick 41"}
                                        : QStringList{"tick 1", "tick 40", "tick 41"};
    QCOMPARE(clips, expected);
    // The tick beep only where no voice reads: odd ticks 1 to 41.
    QCOMPARE(beeper_.beeps, spoken ? 0 : 21);
}

void tst_TF_Match::leadInReadsTheLowerVerseHoldsAndPauses_data()
{
    QTest::addColumn<bool>("reading"); // reading aloud chosen
    QTest::addColumn<bool>("opening"); // before the first reading, or after one
    QTest::newRow("opening poem, read aloud") << true << true;
    QTest::newRow("opening poem, silent") << false << true;
    QTest::newRow("after a dead card, read aloud") << true << false;
    QTest::newRow("after a dead card, silent") << false << false;
}

// The same timeline with the voice or without: every clip starts when its
// text starts and sounds on through its hold, and the upper verse comes when
// the pause after the hold ends. A dead card's lower verse, begun in its own
// reading, is read once: the lead-in goes on from it.
void tst_TF_Match::leadInReadsTheLowerVerseHoldsAndPauses()
{
    QFETCH(bool, reading);
    QFETCH(bool, opening);
    services_.hasAudioOutput = [] { return true; };
    w_->show();
    w_->CbYomiage->setChecked(reading);
    w_->SpGap->setValue(2);
    w_->BtnStartNowClick();
    int previous = deck::kOpeningPoem;
    // Times are counted from the first tick of the lower verse read before
    // the upper verse: the opening poem's own start, or the dead card's
    // lower verse inside its reading.
    qint64 start = monotonic_.now + kTickMs;
    if (!opening) {
        untilDeadCard(); // its reading just begun
        previous = w_->state().poem();
        start = monotonic_.now + deck::firstTick(deck::Half::Shimo) * kTickMs;
    }
    const int before = w_->state().readingNumber();
    const LeadIn expected(previous, Pace{voice::kHoldMs, 2000});
    const auto name = [this](const QString &logLine) {
        return QString(logLine).remove(readings_.path() + u'/').remove(QStringLiteral(".wav"));
    };
    const auto clip = [](int poem, int half) { return QStringLiteral("%1-%2").arg(poem, 3, 10, QChar(u'0')).arg(half); };
    const QString lowerClip = QStringLiteral("close ") + clip(previous, 2);
    sounds_.log.clear();
    QStringList heard;
    bool inLeadIn = opening;
    beeper_.beeps = 0;
    while (w_->state().readingNumber() == before || w_->lt1->Caption().isEmpty()) {
        const qsizetype logged = sounds_.log.size();
        advance(w_->Timer1->interval());
        w_->Timer1Timer();
        if (!inLeadIn && w_->phase() == TF_Match::Phase::Waiting) {
            inLeadIn = true;
            beeper_.beeps = 0; // the dead card's reading beeps on its ticks when silent
        }
        const qint64 at = monotonic_.now - start;
        for (qsizetype i = logged; i < sounds_.log.size(); ++i) {
            const QString line = name(sounds_.log[i]);
            if (line.startsWith(QStringLiteral("play")) && at >= 0)
                heard << QStringLiteral("%1 @%2").arg(line).arg(at);
            QVERIFY2(line != lowerClip || at >= expected.pauseStartMs(), qPrintable(line + " cut the hold"));
        }
        if (at >= expected.pauseStartMs() && at < expected.upperStartMs() - kTickMs) {
            QCOMPARE(w_->phase(), TF_Match::Phase::Waiting);
            QCOMPARE(w_->lt2->Caption(), expected.verses().last().text); // held, whole
            QCOMPARE(w_->lt1->Caption(), opening ? expected.verses().first().text
                                                 : deck::PoemTable[previous].Kaminoku.toByteArray());
        }
        QVERIFY(at <= expected.upperStartMs());
    }
    heard << QStringLiteral("upper @%1").arg(monotonic_.now - start);
    QStringList wanted;
    if (reading) {
        for (const LeadVerse &v : expected.verses())
            wanted << QStringLiteral("play %1 @%2").arg(clip(previous, int(v.half))).arg(v.startMs);
        wanted << QStringLiteral("play %1 @%2").arg(clip(w_->state().poem(), 1)).arg(expected.upperStartMs());
    }
    wanted << QStringLiteral("upper @%1").arg(expected.upperStartMs());
    QCOMPARE(heard, wanted);
    // Reading aloud on, silence under the voice; off, the lead-in is silent
    // and the upper verse's first tick beeps.
    QCOMPARE(beeper_.beeps, reading ? 0 : 1);
}

QTEST_MAIN(tst_TF_Match)
#include "tst_tf_match.moc"
