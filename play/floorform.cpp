#include "floorform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include "deck/opening.h"
#include "deck/poemtable.h"
#include "play/readinglabel.h"
#include "play/floorgeometry.h"
#include "play/matchcard.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/services.h"
#include "platform/ui/kit.h"
#include "tategaki/labeltategaki.h"
#include "voice/readingoption.h"

using namespace platform;
using namespace platform::ui;
using namespace match;

FloorForm::FloorForm(const Needs &needs, const QString &title, const QString &name, const QString &leaveQuestion,
                     QWidget *parent)
    : Form(title, QSize(1016, 728), parent), needs_(needs), floor_(this, QPoint(8, 48)), reciter_(needs.services)
{
    setObjectName(name);
    setFont(fonts::font(fonts::MSPGothic, 12));
    setFocusPolicy(Qt::StrongFocus);
    const QFont buttonFont = fonts::font(fonts::MSPGothic, 14, true);

    // Where the window puts them, and how long it memorises at first, is its own.
    CbMemorise = new QComboBox(this);
    CbMemorise->setObjectName(QStringLiteral("CbMemorise"));
    for (int minutes : Memorisation::kChoices)
        CbMemorise->addItem(QStringLiteral("暗記%1分").arg(minutes), minutes);
    CbMemorise->setFont(fonts::font(fonts::MSPGothic, 13));
    BtnMemorise = kit::button(this, QStringLiteral("BtnMemorise"), QStringLiteral("暗記開始"), QRect(), buttonFont);
    BtnStartNow = kit::button(this, QStringLiteral("BtnStartNow"), QStringLiteral("すぐに開始"), QRect(), buttonFont);
    LblStatus = new QLabel(this);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));
    BtnClose = kit::button(this, QStringLiteral("BtnClose"), QStringLiteral("終了"), QRect(912, 8, 96, 32), buttonFont);

    PField = floor_.panel();
    PField->installEventFilter(this);
    PField->setMouseTracking(true); // moves keep the event clock's offset fresh
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        MatchCard *c = cardOf(p);
        c->setAllowAllUp(true);
        c->OnPress = [this](MatchCard *card, qint64 stamp) { cardPressed(card, stamp); };
        c->OnRelease = [this](MatchCard *card, QPoint at) { cardReleased(card, at); };
        c->installEventFilter(this);
        c->setMouseTracking(true);
    }

    PReading = new Panel(this);
    PReading->setObjectName(QStringLiteral("PReading"));
    PReading->setGeometry(PField->geometry().right() + 6, 48, 1016 - 8 - PField->geometry().right() - 6,
                          PField->height());
    PReading->setColor(colors::clHighlightText);
    PReading->setBevels(Bevel::None, Bevel::Raised, 1);
    PReading->setBorderLine(true);
    lt1 = play::readingLabel(PReading, "lt1", 1, QRect(PReading->width() - 36, 8, 20, 340));
    lt2 = play::readingLabel(PReading, "lt2", 2, QRect(PReading->width() - 64, 48, 20, 310));
    reciter_.setLabels(lt1, lt2);
    CbYomiage = new QCheckBox(QStringLiteral("読み上げ"), PReading);
    CbYomiage->setObjectName(QStringLiteral("CbYomiage"));
    CbYomiage->setGeometry(4, PReading->height() - 36, PReading->width() - 8, 28);
    CbYomiage->setFont(fonts::font(fonts::MSPGothic, 13));
    voice::connectGameReading(needs_.services, needs_.voice, CbYomiage);

    Cursor = floor_.makeFrame();

    Timer1 = new TickTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(deck::kTickMs);
    connect(Timer1, &TickTimer::timeout, this, &FloorForm::Timer1Timer);
    TimerWait = new QTimer(this);
    TimerWait->setObjectName(QStringLiteral("TimerWait"));
    TimerWait->setInterval(200);
    connect(TimerWait, &QTimer::timeout, this, &FloorForm::TimerWaitTimer);

    confirmLeave = [this, leaveQuestion] {
        QMessageBox box(QMessageBox::Question, windowTitle(), leaveQuestion, QMessageBox::NoButton, this);
        QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
        box.setDefaultButton(box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole));
        box.exec();
        return box.clickedButton() == yes;
    };

    connect(BtnMemorise, &QPushButton::clicked, this, &FloorForm::BtnMemoriseClick);
    connect(BtnStartNow, &QPushButton::clicked, this, &FloorForm::BtnStartNowClick);
    connect(BtnClose, &QPushButton::clicked, this, &FloorForm::BtnCloseClick);
}

FloorForm::~FloorForm() = default;

void FloorForm::setStatus(const QString &text)
{
    LblStatus->setText(text);
}

qint64 FloorForm::now() const
{
    return needs_.services.monotonic->elapsedMs();
}

void FloorForm::FormShow()
{
    voice::showGameReading(needs_.services, needs_.voice, CbYomiage);
    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    deal(needs_.rng.state);
    setFocus();
}

void FloorForm::FormHide()
{
    standStill();
    phase_ = Phase::Arranging;
}

void FloorForm::standStill()
{
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
}

void FloorForm::BtnMemoriseClick()
{
    if (phase_ == Phase::Over)
        deal(rng_.state);
    if (phase_ != Phase::Arranging)
        return;
    memorisation_.start(CbMemorise->currentData().toInt(), now());
    phase_ = Phase::Memorising;
    memorisationStarted();
    // The button pressed is closed now; without this the focus would go on
    // to the next control (終了) and the next Space would ask to leave.
    setFocus();
    TimerWait->start();
    TimerWaitTimer();
}

void FloorForm::BtnStartNowClick()
{
    if (phase_ == Phase::Over)
        deal(rng_.state);
    if (phase_ != Phase::Arranging && phase_ != Phase::Memorising)
        return;
    memorisation_.stop();
    readingsStarting();
    startLeadIn(deck::kOpeningPoem);
    setFocus();
}

void FloorForm::BtnCloseClick()
{
    if (underway() && !askPaused(confirmLeave))
        return;
    closeAndShowMain();
}

bool FloorForm::askPaused(const std::function<bool()> &question)
{
    const bool ticking = Timer1->isActive();
    const bool waiting = TimerWait->isActive();
    Timer1->stop();
    TimerWait->stop();
    // A clip cannot be paused: the voice stops, and the half not yet begun
    // is spoken on its tick after the question.
    reciter_.stop();
    const qint64 from = now();
    const bool answer = question();
    // The dialog hands the focus back to the button that opened it: the
    // keys go to the floor again, or Space asks once more and the first
    // arrow only moves the focus off the button.
    setFocus();
    // Every time kept is moved on by the pause, so that no reaction (nor
    // the opponent's plan) counts it.
    const qint64 paused = now() - from;
    readingStartMs_ += paused;
    memorisation_.postpone(paused);
    if (answer)
        return true;
    // A lead-in broken off is read again from its first verse, as a reader would.
    if (ticking && phase_ == Phase::Waiting && !reciter_.leadIn().verses().isEmpty()) {
        startLeadIn(reciter_.leadIn().verses().first().poem);
        return false;
    }
    if (ticking) {
        if (readingOpen())
            reciter_.openReading(poemRead(), needs_.voice.gameReading);
        Timer1->start();
    }
    if (waiting)
        TimerWait->start();
    return false;
}

void FloorForm::TimerWaitTimer()
{
    const qint64 t = now();
    if (phase_ == Phase::Memorising) {
        if (memorisation_.finished(t)) {
            BtnStartNowClick();
            return;
        }
        if (memorisation_.takeCue(t))
            needs_.services.beeper->beep();
        setStatus(countdownText(memorisation_.remainingMs(t)));
    }
}

void FloorForm::startLeadIn(int previousPoem, bool follow)
{
    TimerWait->stop();
    if (follow)
        reciter_.followReading(previousPoem, leadInPace(), needs_.voice.gameReading, now());
    else // from the lower verse on the first tick, the clips opened by then
        reciter_.startLeadIn(previousPoem, leadInPace(), needs_.voice.gameReading, now() + deck::kTickMs);
    if (previousPoem == deck::kOpeningPoem)
        setStatus(QStringLiteral("序歌"));
    phase_ = Phase::Waiting;
    Timer1->start(deck::kTickMs);
}

void FloorForm::leadInTick()
{
    // The last wait is cut to land on the reading's opening.
    const qint64 toReading = reciter_.tickLeadIn(now());
    if (toReading <= 0)
        startReading();
    else if (toReading < deck::kTickMs)
        Timer1->start(int(toReading));
}

void FloorForm::startReading()
{
    TimerWait->stop();
    if (!nextReading()) {
        showEnd();
        return;
    }
    const int poem = poemRead();
    reveal_ = deck::Reveal::ofPoem(needs_.poems, poem, readBefore());
    clearVerses();
    readingStartMs_ = now();
    decidedMs_ = qint64(reveal_.decidedTick()) * deck::kTickMs;
    reciter_.openReading(poem, needs_.voice.gameReading);
    phase_ = Phase::Reading;
    readingOpened();
    Timer1->start(deck::kTickMs); // the lead-in may have cut its last wait
}

void FloorForm::Timer1Timer()
{
    if (phase_ == Phase::Waiting) {
        leadInTick();
        return;
    }
    if (phase_ != Phase::Reading)
        return;
    const deck::RevealStep step = reveal_.tick();
    if (step.hasByte) {
        tategaki::TLabelTategaki *l = step.half() == deck::Half::Kami ? lt1 : lt2;
        l->setCaption(l->Caption() + step.byte);
    }
    if (step.beep && (!reciter_.readingAloud() || beepsUnderVoice()))
        needs_.services.beeper->beep();
    // Each half is timed from the tick that shows its first byte, as in the game.
    reciter_.readingStep(step, now());
    readingTicked();
    if (phase_ == Phase::Reading && step.kind == deck::RevealStep::Kind::TimeOut)
        readingTimedOut();
}

void FloorForm::showVerses(int poem)
{
    Timer1->stop();
    lt1->setCaption(needs_.poems[poem].Kaminoku.toByteArray());
    lt2->setCaption(needs_.poems[poem].Shimonoku.toByteArray());
}

void FloorForm::clearVerses()
{
    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
}

void FloorForm::cardPressed(MatchCard *card, qint64 stamp)
{
    const qint64 handled = now();
    const std::optional<Place> at = field().find(card->Tag());
    if (!at)
        return;
    if (mayRearrange()) {
        dragged_ = at->side == Side::Player ? card->Tag() : 0;
        return;
    }
    cardTouched(*at, eventClock_.toMonotonic(stamp, handled));
}

void FloorForm::cardReleased(MatchCard *card, QPoint inField)
{
    if (dragged_ != card->Tag())
        return;
    dragged_ = 0;
    const std::optional<Place> from = field().find(card->Tag());
    const std::optional<Place> to = placeAt(inField);
    if (!from || !to || to->side != Side::Player || to->slot == from->slot)
        return;
    moveOwnCard(card->Tag(), *from, *to);
}

bool FloorForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::HoverMove:
        eventClock_.observe(qint64(static_cast<QInputEvent *>(event)->timestamp()), now());
        break;
    case QEvent::MouseButtonPress: {
        const auto *e = static_cast<QMouseEvent *>(event);
        const qint64 handled = now();
        eventClock_.observe(qint64(e->timestamp()), handled);
        // A place whose card has left, or that never held one.
        if (watched == PField)
            if (const std::optional<Place> at = placeAt(e->position().toPoint()))
                emptyPlaceTouched(*at, eventClock_.toMonotonic(qint64(e->timestamp()), handled));
        break;
    }
    default:
        break;
    }
    return Form::eventFilter(watched, event);
}

void FloorForm::keyPressEvent(QKeyEvent *event)
{
    // A held key repeats; only its first press counts.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    const qint64 handled = now();
    eventClock_.observe(qint64(event->timestamp()), handled);
    FloorStep step;
    switch (event->key()) {
    case Qt::Key_Left: step = FloorStep::Left; break;
    case Qt::Key_Right: step = FloorStep::Right; break;
    case Qt::Key_Up: step = FloorStep::Up; break;
    case Qt::Key_Down: step = FloorStep::Down; break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        takeKey(eventClock_.toMonotonic(qint64(event->timestamp()), handled));
        return;
    default:
        Form::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!frameFollowsKeys())
        return;
    cursor_ = stepped(cursor_, step);
    showCursor();
}
