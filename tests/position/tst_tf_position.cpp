#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QTimer>

#include "../support/fakehistory.h"
#include "../support/fakeservices.h"

#include "deck/opening.h"
#include "deck/poemtable.h"
#include "history/database.h"
#include "history/playerstore.h"
#include "play/floorgeometry.h"
#include "play/layoutstore.h"
#include "play/matchcard.h"
#include "play/readingtimeline.h"
#include "position/tf_layout.h"
#include "position/tf_position.h"
#include "platform/gui/fonts.h"
#include "platform/sjis.h"
#include "tategaki/labeltategaki.h"
#include "voice/speaker.h"

using namespace match;
using namespace fakes;
using deck::kTickMs;
using O = history::Outcome;

class tst_TF_Position : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void shortDrillGoesToTheHistoryAndEndsOnTheMap();
    void savedLayoutArrangesTheDealAndCardsStillMove();
    void ownSetJoinsWhenShownAndLaysOutItsCards();
    void keysStayWithTheFrameOnTheFloor();

private:
    void advance(qint64 ms) { monotonic_.now += ms; }
    // Ticks through a lead-in; the time it took.
    qint64 throughLeadIn()
    {
        const qint64 from = monotonic_.now;
        for (int i = 0; i < 10'000 && w_->phase() == TF_Position::Phase::Waiting; ++i) {
            advance(kTickMs);
            w_->Timer1Timer();
        }
        return monotonic_.now - from;
    }
    // A click stamped with the monotonic clock's time, as the window system
    // stamps it.
    void click(QWidget *target, QPoint at)
    {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, target->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {});
            e.setTimestamp(quint64(monotonic_.now));
            QApplication::sendEvent(target, &e);
        }
    }

    FakeMonotonic monotonic_;
    FakeClock clock_;
    CountingBeeper beeper_;
    FakeRecorder history_;
    QTemporaryDir settingsDir_;
    platform::Services services_; // handed over, never installed
    std::unique_ptr<TF_Position> w_;
};

void tst_TF_Position::initTestCase()
{
    platform::fonts::installSubstitutes();
    deck::PoemTable.fill();
}

void tst_TF_Position::init()
{
    platform::Services s;
    s.beeper = &beeper_;
    s.clock = &clock_;
    s.monotonic = &monotonic_;
    monotonic_.now = 100'000;
    services_ = fakes::withStandIns(s);
    history_ = FakeRecorder{};
    beeper_.beeps = 0;
    voice::options().gameReading = false;
    QFile::remove(settingsDir_.filePath(QStringLiteral("kotoha.ini")));
    w_ = std::make_unique<TF_Position>(
        TF_Position::Needs{services_, platform::rng(), history_, voice::options(), deck::PoemTable});
    w_->settingsPath = settingsDir_.filePath(QStringLiteral("kotoha.ini"));
}

void tst_TF_Position::cleanup()
{
    w_.reset();
}

// Ten cards dealt as they come, ten dead ones: the first card on the floor
// clicked where it lies, the second clicked on an empty place, the first
// dead card touched from the keyboard, the rest left to run out.
void tst_TF_Position::shortDrillGoesToTheHistoryAndEndsOnTheMap()
{
    w_->SpCount->setValue(10);
    w_->CbArrange->setCurrentIndex(1);
    w_->newDrill(4242);
    const Field laid = w_->drill().field();
    QCOMPARE(laid.count(Side::Player), 10);
    QVERIFY(!w_->cardOf(laid.poems(Side::Player)[0])->Caption().isEmpty()); // face up to memorise

    w_->BtnStartNowClick();
    QCOMPARE(history_.sessions, QStringList{"position"});
    for (int p : laid.poems(Side::Player))
        QVERIFY(w_->cardOf(p)->Caption().isEmpty()); // face down
    // Led in as the match is: the opening poem first, then each reading
    // after the last one's lower verse, its hold and the pause.
    QCOMPARE(w_->LblStatus->text(), QStringLiteral("序歌"));
    // After a reading closed on its tick `ticks`, the lead-in starts on the
    // next tick; past its lower verse's first tick, it goes on from there
    // rather than starting again. The reading opens a tick before the upper
    // verse.
    const auto ledIn = [this](int previous, int ticks) {
        const int lowerTick = deck::firstTick(deck::Half::Shimo);
        const qint64 zero = ticks >= lowerTick ? -(ticks - lowerTick) * kTickMs : kTickMs;
        const qint64 took = throughLeadIn(), upper = zero + LeadIn(previous, Pace{}).upperStartMs() - kTickMs;
        QVERIFY2(took >= upper && took < upper + kTickMs,
                 qPrintable(QStringLiteral("%1 after the close, not %2").arg(took).arg(upper)));
    };
    ledIn(deck::kOpeningPoem, 0);

    int live = 0, dead = 0;
    QList<qint64> clickMs;
    while (w_->phase() == TF_Position::Phase::Reading) {
        const int poem = w_->drill().poem();
        const std::optional<Place> lies = w_->drill().field().find(poem);
        int ticks = int(w_->decidedMs() / kTickMs) + 2;
        for (int i = 0; i < ticks; ++i) {
            advance(kTickMs);
            w_->Timer1Timer();
        }
        if (lies && live++ == 0) {
            click(w_->cardOf(poem), w_->cardOf(poem)->rect().center());
            clickMs << 2 * kTickMs;
            // Turned up in a colour the black text reads on.
            QVERIFY(qGray(w_->cardOf(poem)->Color().rgb()) > 128);
        } else if (lies && live == 2) {
            click(w_->PField, placeRect({Side::Player, slotAt(0, 8)}).center());
            clickMs << 2 * kTickMs;
        } else if (!lies && dead++ == 0) {
            // From the keyboard: the frame stepped up from the last click, Space held.
            QTest::keyClick(w_.get(), Qt::Key_Up);
            QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(w_.get(), &held);
            QCOMPARE(w_->phase(), TF_Position::Phase::Reading); // a repeat alone never acts
            QTest::keyClick(w_.get(), Qt::Key_Space);
            QCOMPARE(w_->phase(), TF_Position::Phase::Waiting);
        }
        while (w_->phase() == TF_Position::Phase::Reading) {
            advance(kTickMs);
            w_->Timer1Timer();
            ++ticks;
        }
        QCOMPARE(w_->phase(), TF_Position::Phase::Waiting);
        ledIn(poem, ticks);
    }
    QCOMPARE(w_->phase(), TF_Position::Phase::Over);

    QCOMPARE(history_.takes.size(), 20);
    QMap<O, int> outcomes;
    for (const history::Take &t : history_.takes) {
        QCOMPARE(t.mode, history::Mode::Position);
        ++outcomes[t.outcome];
    }
    QCOMPARE(outcomes.value(O::Right), 1);
    QCOMPARE(outcomes.value(O::Wrong), 1);
    QCOMPARE(outcomes.value(O::Timeout), 8);
    QCOMPARE(outcomes.value(O::Dead), 10);
    QList<qint64> afterDeciding;
    for (const history::Take &t : history_.takes) {
        if (t.outcome == O::Right || t.outcome == O::Wrong)
            afterDeciding << *t.msAfterDeciding;
        if (t.outcome == O::Dead)
            QCOMPARE(t.extra.value("player_fault").toBool(), t.extra.value("clicked").toString() != QString());
    }
    QCOMPARE(afterDeciding, clickMs);

    // The map: every card back where it lay, face up, its text within it;
    // the missed ones marked below their text, in a colour it reads on. The
    // last reading's verses are gone.
    QVERIFY(w_->lt1->Caption().isEmpty() && w_->lt2->Caption().isEmpty());
    int marked = 0;
    for (int p : laid.poems(Side::Player)) {
        MatchCard *c = w_->cardOf(p);
        QCOMPARE(c->geometry(), placeRect(*laid.find(p)));
        QVERIFY(!c->isHidden() && !c->Caption().isEmpty());
        const QStringList columns = platform::sjis::decode(c->Caption()).split(QStringLiteral("\r\n"));
        const int glyph = c->font().pixelSize();
        // Within the card's frame, columns two pixels apart.
        QVERIFY2(columns.size() * (glyph + 2) - 2 <= c->width() - 8, qPrintable(columns.join(QLatin1Char('/'))));
        qsizetype longest = 0;
        for (const QString &column : columns)
            longest = std::max(longest, column.size());
        if (!w_->missMark(p)->isHidden()) {
            ++marked;
            // Below the text, which stands centred on the card.
            QVERIFY(w_->missMark(p)->geometry().top() >= c->y() + (c->height() + int(longest) * glyph) / 2);
            QVERIFY(w_->missMark(p)->geometry().bottom() < c->geometry().bottom());
            QVERIFY(qGray(c->Color().rgb()) > 128);
        }
    }
    QCOMPARE(marked, 9);
}

void tst_TF_Position::savedLayoutArrangesTheDealAndCardsStillMove()
{
    // The editor sends a set to the top left and saves.
    {
        TF_Layout editor(readLayout(w_->settingsPath).layout, *services_.messages);
        editor.onSave = [&](const StandardLayout &l) { return writeLayout(w_->settingsPath, l); };
        editor.CbSet->setCurrentIndex(0); // the one-syllable cards
        editor.CbZone->setCurrentIndex(0);
        editor.BtnMoveClick();
        editor.BtnSaveClick();
    }
    const StandardLayout saved = readLayout(w_->settingsPath).layout;
    QVERIFY(saved.text() != defaultLayout().text());
    QCOMPARE(saved.zone(87), 0); // むらさめの

    w_->SpCount->setValue(25);
    w_->CbArrange->setCurrentIndex(0);
    w_->newDrill(99);
    const Field f = w_->drill().field();
    QCOMPARE(f.count(Side::Player), 25);
    QCOMPARE(arranged(f, Side::Player, saved).poems(Side::Player), f.poems(Side::Player));

    // During memorisation a card dragged onto another changes places with it.
    w_->BtnMemoriseClick();
    QCOMPARE(w_->phase(), TF_Position::Phase::Memorising);
    const int a = f.poems(Side::Player).first(), b = f.poems(Side::Player).last();
    MatchCard *ca = w_->cardOf(a);
    QTest::mousePress(ca, Qt::LeftButton);
    QTest::mouseRelease(ca, Qt::LeftButton, {}, ca->mapFromParent(placeRect(*f.find(b)).center()));
    QCOMPARE(w_->drill().field().find(a), f.find(b));
    QCOMPARE(w_->cardOf(b)->geometry(), placeRect(*f.find(a)));

    // The memorisation runs out: the readings start with the cards face down.
    advance(5 * 60 * 1000);
    w_->TimerWaitTimer();
    throughLeadIn();
    QCOMPARE(w_->phase(), TF_Position::Phase::Reading);
    QVERIFY(ca->Caption().isEmpty());
}

// A set saved in the quiz meanwhile is offered when the window shows, and
// lays out exactly its cards whatever the count says.
void tst_TF_Position::ownSetJoinsWhenShownAndLaysOutItsCards()
{
    QTemporaryDir dir;
    const QString before = history::databasePath();
    history::setDatabasePath(dir.filePath(QStringLiteral("history.sqlite")));
    history::OwnSet own{0, QStringLiteral("自陣"), {3, 15, 22, 87}};
    QCOMPARE(history::saveOwnSet(history::databasePath(), own), QString());
    QCOMPARE(w_->CbSet->findText(QStringLiteral("自陣 (4首)")), -1);
    w_->show();
    const int i = w_->CbSet->findText(QStringLiteral("自陣 (4首)"));
    QVERIFY(i > 0);
    w_->CbArrange->setCurrentIndex(1);
    w_->CbSet->setCurrentIndex(i);
    QVERIFY(!w_->SpCount->isEnabled());
    const Field f = w_->drill().field();
    QList<int> laid = f.poems(Side::Player) + f.poems(Side::Opponent);
    std::sort(laid.begin(), laid.end());
    QCOMPARE(laid, own.poems);
    history::setDatabasePath(before);
}

// Played from the keyboard alone: neither the memorisation nor the quit
// question answered いいえ leaves the focus on a button, and Space presses
// where the frame is seen.
void tst_TF_Position::keysStayWithTheFrameOnTheFloor()
{
    int asked = 0;
    w_->confirmLeave = [&] {
        ++asked;
        return false;
    };
    w_->show();
    w_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w_.get()));
    w_->CbArrange->setCurrentIndex(1);
    w_->newDrill(7);
    const auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };

    QTest::mouseClick(w_->BtnMemorise, Qt::LeftButton);
    QCOMPARE(w_->phase(), TF_Position::Phase::Memorising);
    QCOMPARE(QApplication::focusWidget(), w_.get());
    QTest::mouseClick(w_->BtnStartNow, Qt::LeftButton);
    throughLeadIn();
    QCOMPARE(w_->phase(), TF_Position::Phase::Reading);
    QVERIFY(w_->Cursor->isVisible());

    QTest::mouseClick(w_->BtnClose, Qt::LeftButton);
    QCOMPARE(asked, 1);
    QCOMPARE(QApplication::focusWidget(), w_.get());
    const Place from = w_->cursor();
    key(Qt::Key_Right);
    QCOMPARE(w_->cursor(), stepped(from, FloorStep::Right));
    QCOMPARE(w_->Cursor->geometry().center(), placeRect(w_->cursor()).center());
    key(Qt::Key_Space);
    QCOMPARE(asked, 1);
    QCOMPARE(w_->drill().last().clicked, std::optional<Place>(w_->cursor()));

    // The next reading opens with the frame still where the last press was.
    throughLeadIn();
    QCOMPARE(w_->phase(), TF_Position::Phase::Reading);
    QVERIFY(w_->Cursor->isVisible());
    QCOMPARE(w_->Cursor->geometry().center(), placeRect(w_->cursor()).center());
}

QTEST_MAIN(tst_TF_Position)
#include "tst_tf_position.moc"
