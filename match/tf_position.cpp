#include "tf_position.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTimer>

#include "deck/opening.h"
#include "deck/poemtable.h"
#include "game/readinglabel.h"
#include "history/recorder.h"
#include "match/floorgeometry.h"
#include "match/layoutstore.h"
#include "match/matchcard.h"
#include "match/tf_layout.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/services.h"
#include "platform/ui/kit.h"
#include "tategaki/labeltategaki.h"
#include "training/setchoice.h"
#include "voice/readingoption.h"

using namespace platform;
using namespace platform::ui;
using namespace match;

TF_Position *F_Position = nullptr;

namespace {

const QColor kBack{0, 96, 64}; // a card face down

QString seconds(qint64 ms)
{
    return QStringLiteral("%1秒").arg(double(ms) / 1000.0, 0, 'f', 2);
}

QString placeName(Place p)
{
    const int zone = zoneOf(rowOf(p.slot), !inLeftArea(p.slot));
    return (p.side == Side::Player ? QStringLiteral("自陣") : QStringLiteral("敵陣")) + zoneName(zone);
}

} // namespace

deck::Reveal drillReveal(int poem, const deck::ReadSet &readBefore)
{
    return deck::Reveal::ofPoem(poem, readBefore);
}

TF_Position::TF_Position(const Needs &needs, QWidget *parent)
    : Form(QStringLiteral("琴葉札の位置"), QSize(1016, 728), parent), needs_(needs)
{
    setObjectName(QStringLiteral("F_Position"));
    setFont(fonts::font(fonts::MSPGothic, 12));
    setFocusPolicy(Qt::StrongFocus);
    const QFont small = fonts::font(fonts::MSPGothic, 13);
    const QFont buttonFont = fonts::font(fonts::MSPGothic, 14, true);

    SpCount = new QSpinBox(this);
    SpCount->setObjectName(QStringLiteral("SpCount"));
    SpCount->setRange(kDrillMinCards, kDrillMaxCards);
    SpCount->setValue(20);
    SpCount->setSuffix(QStringLiteral("枚"));
    SpCount->setGeometry(8, 8, 64, 32);
    CbSet = new QComboBox(this);
    CbSet->setObjectName(QStringLiteral("CbSet"));
    CbSet->setGeometry(76, 8, 150, 32);
    training::refillSetChoices(CbSet);
    CbArrange = new QComboBox(this);
    CbArrange->setObjectName(QStringLiteral("CbArrange"));
    CbArrange->addItem(QStringLiteral("定位置に並べる"));
    CbArrange->addItem(QStringLiteral("配ったまま"));
    CbArrange->setGeometry(230, 8, 124, 32);
    BtnLayout = kit::button(this, QStringLiteral("BtnLayout"), QStringLiteral("定位置…"), QRect(358, 8, 76, 32), small);
    BtnDeal = kit::button(this, QStringLiteral("BtnDeal"), QStringLiteral("配る"), QRect(438, 8, 60, 32), buttonFont);
    CbMemorise = new QComboBox(this);
    CbMemorise->setObjectName(QStringLiteral("CbMemorise"));
    for (int minutes : Memorisation::kChoices)
        CbMemorise->addItem(QStringLiteral("暗記%1分").arg(minutes), minutes);
    CbMemorise->setCurrentIndex(2);
    CbMemorise->setGeometry(506, 8, 92, 32);
    BtnMemorise = kit::button(this, QStringLiteral("BtnMemorise"), QStringLiteral("暗記開始"), QRect(602, 8, 92, 32),
                              buttonFont);
    BtnStartNow = kit::button(this, QStringLiteral("BtnStartNow"), QStringLiteral("すぐに開始"),
                              QRect(698, 8, 100, 32), buttonFont);
    LblStatus = new QLabel(this);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));
    LblStatus->setGeometry(804, 8, 104, 32);
    LblStatus->setFont(fonts::font(fonts::MSPGothic, 13, true));
    BtnClose = kit::button(this, QStringLiteral("BtnClose"), QStringLiteral("終了"), QRect(912, 8, 96, 32), buttonFont);
    for (QWidget *w : {static_cast<QWidget *>(SpCount), static_cast<QWidget *>(CbSet),
                       static_cast<QWidget *>(CbArrange), static_cast<QWidget *>(CbMemorise)})
        w->setFont(small);

    PField = new Panel(this);
    PField->setObjectName(QStringLiteral("PField"));
    PField->setGeometry(QRect(QPoint(8, 48), floorSize()));
    PField->setColor(colors::clNavy);
    PField->setBevels(Bevel::Lowered, Bevel::Lowered, 1);
    PField->installEventFilter(this);
    PField->setMouseTracking(true);

    PReading = new Panel(this);
    PReading->setObjectName(QStringLiteral("PReading"));
    PReading->setGeometry(PField->geometry().right() + 6, 48, 1016 - 8 - PField->geometry().right() - 6,
                          PField->height());
    PReading->setColor(colors::clHighlightText);
    PReading->setBevels(Bevel::None, Bevel::Raised, 1);
    PReading->setBorderLine(true);
    lt1 = game::readingLabel(PReading, "lt1", 1, QRect(PReading->width() - 36, 8, 20, 340));
    lt2 = game::readingLabel(PReading, "lt2", 2, QRect(PReading->width() - 64, 48, 20, 310));
    reciter_.setLabels(lt1, lt2);
    LblResult = new QLabel(PReading);
    LblResult->setObjectName(QStringLiteral("LblResult"));
    LblResult->setGeometry(4, 380, PReading->width() - 8, 240);
    LblResult->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    LblResult->setFont(fonts::font(fonts::MSPGothic, 13, true));
    LblResult->setWordWrap(true);
    CbYomiage = new QCheckBox(QStringLiteral("読み上げ"), PReading);
    CbYomiage->setObjectName(QStringLiteral("CbYomiage"));
    CbYomiage->setGeometry(4, PReading->height() - 36, PReading->width() - 8, 28);
    CbYomiage->setFont(small);
    voice::connectGameReading(needs_.voice, CbYomiage);

    const QFont cardFont = fonts::font(QStringLiteral("@") + fonts::MSMincho, 14, true);
    const QFont markFont = fonts::font(fonts::MSPGothic, 14, true);
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        auto *c = new MatchCard(PField);
        c->setObjectName(QStringLiteral("card%1").arg(p));
        c->setTag(p);
        c->setAllowAllUp(true);
        c->setFont(cardFont);
        c->setLayout(tategaki::blGlyphTop);
        c->setMultiLine(true);
        c->setTategaki(true);
        c->setFocusPolicy(Qt::NoFocus);
        c->hide();
        c->OnPress = [this](MatchCard *card, qint64 stamp) { cardPressed(card, stamp); };
        c->OnRelease = [this](MatchCard *card, QPoint at) { cardReleased(card, at); };
        c->installEventFilter(this);
        c->setMouseTracking(true);
        cards_[std::size_t(p)] = c;
        auto *mark = new QLabel(PField);
        mark->setAlignment(Qt::AlignCenter);
        mark->setFont(markFont);
        mark->setAutoFillBackground(true);
        QPalette pal = mark->palette();
        pal.setColor(QPalette::Window, colors::clYellow);
        pal.setColor(QPalette::WindowText, colors::clRed);
        mark->setPalette(pal);
        mark->setAttribute(Qt::WA_TransparentForMouseEvents);
        mark->hide();
        marks_[std::size_t(p)] = mark;
    }
    Cursor = new QWidget(PField);
    Cursor->setObjectName(QStringLiteral("Cursor"));
    Cursor->setAttribute(Qt::WA_TransparentForMouseEvents);
    Cursor->setStyleSheet(QStringLiteral("border: 3px solid yellow; background: transparent;"));
    Cursor->hide();

    Timer1 = new TickTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(deck::kTickMs);
    connect(Timer1, &TickTimer::timeout, this, &TF_Position::Timer1Timer);
    TimerWait = new QTimer(this);
    TimerWait->setObjectName(QStringLiteral("TimerWait"));
    TimerWait->setInterval(200);
    connect(TimerWait, &QTimer::timeout, this, &TF_Position::TimerWaitTimer);

    confirmLeave = [this] {
        QMessageBox box(QMessageBox::Question, windowTitle(), QStringLiteral("練習の途中です。終了しますか？"),
                        QMessageBox::NoButton, this);
        QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
        box.setDefaultButton(box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole));
        box.exec();
        return box.clickedButton() == yes;
    };
    settingsPath = playerSettingsPath();

    connect(BtnDeal, &QPushButton::clicked, this, &TF_Position::BtnDealClick);
    connect(BtnLayout, &QPushButton::clicked, this, &TF_Position::BtnLayoutClick);
    connect(BtnMemorise, &QPushButton::clicked, this, &TF_Position::BtnMemoriseClick);
    connect(BtnStartNow, &QPushButton::clicked, this, &TF_Position::BtnStartNowClick);
    connect(BtnClose, &QPushButton::clicked, this, &TF_Position::BtnCloseClick);
    // A set lays out all its cards (up to 50): the count is for the hundred.
    connect(CbSet, &QComboBox::currentIndexChanged, this,
            [this] { SpCount->setEnabled(training::chosenPoems(CbSet).isEmpty()); });
    for (QComboBox *box : {CbSet, CbArrange})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (phase_ == Phase::Arranging)
                newDrill(rng_.state);
        });
    connect(SpCount, &QSpinBox::valueChanged, this, [this] {
        if (phase_ == Phase::Arranging)
            newDrill(rng_.state);
    });
    // Dealt when shown: the deal reads the player's settings.
    drill_ = std::make_unique<PositionDrill>(Field{}, QList<int>{});
}

TF_Position::~TF_Position() = default;

MatchCard *TF_Position::cardOf(int poem) const
{
    return poem >= 1 && poem <= deck::kPoemCount ? cards_[std::size_t(poem)] : nullptr;
}

QLabel *TF_Position::missMark(int poem) const
{
    return poem >= 1 && poem <= deck::kPoemCount ? marks_[std::size_t(poem)] : nullptr;
}

void TF_Position::newDrill(quint32 seed)
{
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
    memorisation_.stop();
    rng_.state = seed;
    QList<int> pool = training::chosenPoems(CbSet);
    const bool whole = pool.isEmpty();
    if (whole)
        for (int p = 1; p <= deck::kPoemCount; ++p)
            pool << p;
    const int count = whole ? SpCount->value() : kDrillMaxCards;
    Field field = drillField(drawPoems(rng_, pool, count));
    if (CbArrange->currentIndex() == 0) {
        field = arranged(field, Side::Player, playerLayout(settingsPath, *needs_.services.messages));
    }
    drill_ = std::make_unique<PositionDrill>(field, drillOrder(rng_, field));
    phase_ = Phase::Arranging;
    shownRead_ = 0;
    dragged_ = 0;
    layCards();
    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
    LblResult->clear();
    Cursor->hide();
    setControls(true);
    LblStatus->setText(QStringLiteral("%1枚").arg(drill_->readings() / 2));
}

void TF_Position::setControls(bool idle)
{
    for (QWidget *w : {static_cast<QWidget *>(CbSet), static_cast<QWidget *>(CbArrange),
                       static_cast<QWidget *>(BtnLayout), static_cast<QWidget *>(BtnDeal),
                       static_cast<QWidget *>(CbMemorise), static_cast<QWidget *>(BtnMemorise),
                       static_cast<QWidget *>(BtnStartNow)})
        w->setEnabled(idle);
    SpCount->setEnabled(idle && training::chosenPoems(CbSet).isEmpty());
}

void TF_Position::showCard(int poem, bool faceUp)
{
    MatchCard *c = cardOf(poem);
    if (faceUp && c->Caption().isEmpty() && needs_.poems.isFilled())
        c->setCaption(needs_.poems[poem].Shimonoku.toByteArray());
    else if (!faceUp)
        c->setCaption(QByteArray());
    c->setColor(faceUp ? colors::clBtnFace : kBack);
}

void TF_Position::layCards()
{
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        MatchCard *c = cardOf(p);
        missMark(p)->hide();
        const std::optional<Place> at = drill_->field().find(p);
        if (!at) {
            c->hide();
            continue;
        }
        showCard(p, phase_ == Phase::Arranging || phase_ == Phase::Memorising || phase_ == Phase::Over);
        c->setGeometry(placeRect(*at));
        c->setUpsideDown(at->side == Side::Opponent);
        c->setEnabled(true);
        c->show();
    }
}

void TF_Position::FormShow()
{
    voice::showGameReading(needs_.voice, CbYomiage);
    // Own sets may have been made or edited in the quiz meanwhile.
    training::refillSetChoices(CbSet);
    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    newDrill(needs_.rng.state);
    setFocus();
}

void TF_Position::FormHide()
{
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
    phase_ = Phase::Arranging;
}

void TF_Position::BtnDealClick()
{
    newDrill(rng_.state);
}

void TF_Position::BtnLayoutClick()
{
    TF_Layout editor(playerLayout(settingsPath, *needs_.services.messages), this);
    editor.onSave = [this](const StandardLayout &l) { return writeLayout(settingsPath, l); };
    if (editor.exec() == QDialog::Accepted && CbArrange->currentIndex() == 0)
        newDrill(rng_.state);
}

void TF_Position::BtnMemoriseClick()
{
    if (phase_ == Phase::Over)
        newDrill(rng_.state);
    if (phase_ != Phase::Arranging)
        return;
    memorisation_.start(CbMemorise->currentData().toInt(), now());
    phase_ = Phase::Memorising;
    setControls(false);
    BtnStartNow->setEnabled(true);
    TimerWait->start();
    TimerWaitTimer();
}

void TF_Position::BtnStartNowClick()
{
    if (phase_ == Phase::Over)
        newDrill(rng_.state);
    if (phase_ != Phase::Arranging && phase_ != Phase::Memorising)
        return;
    memorisation_.stop();
    setControls(false);
    dragged_ = 0;
    // Face down from here: the places are to be known by heart.
    phase_ = Phase::Waiting;
    layCards();
    session_ = needs_.recorder.newSession(history::Mode::Position);
    startLeadIn(deck::kOpeningPoem);
    setFocus();
}

void TF_Position::BtnCloseClick()
{
    if (phase_ != Phase::Arranging && phase_ != Phase::Over && !askPaused())
        return;
    closeAndShowMain();
}

// The drill stands still while the question is open: its times leave the
// pause out, and a lead-in broken off is read again from its start.
bool TF_Position::askPaused()
{
    const bool ticking = Timer1->isActive();
    const bool waiting = TimerWait->isActive();
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
    const qint64 from = now();
    const bool leave = confirmLeave();
    const qint64 paused = now() - from;
    readingStartMs_ += paused;
    memorisation_.postpone(paused);
    if (leave)
        return true;
    if (ticking && phase_ == Phase::Waiting && !reciter_.leadIn().verses().isEmpty()) {
        startLeadIn(reciter_.leadIn().verses().first().poem);
        return false;
    }
    if (ticking) {
        if (phase_ == Phase::Reading)
            reciter_.openReading(drill_->poem(), needs_.voice.gameReading);
        Timer1->start();
    }
    if (waiting)
        TimerWait->start();
    return false;
}

void TF_Position::TimerWaitTimer()
{
    const qint64 t = now();
    if (phase_ == Phase::Memorising) {
        if (memorisation_.finished(t)) {
            BtnStartNowClick();
            return;
        }
        if (memorisation_.takeCue(t))
            needs_.services.beeper->beep();
        LblStatus->setText(QStringLiteral("暗記 残り %1").arg(clockText(memorisation_.remainingMs(t))));
    }
}

void TF_Position::startLeadIn(int previousPoem, bool follow)
{
    TimerWait->stop();
    if (follow)
        reciter_.followReading(previousPoem, Pace{}, needs_.voice.gameReading, now());
    else // from the lower verse on the first tick, the clips opened by then
        reciter_.startLeadIn(previousPoem, Pace{}, needs_.voice.gameReading, now() + deck::kTickMs);
    if (previousPoem == deck::kOpeningPoem)
        LblStatus->setText(QStringLiteral("序歌"));
    phase_ = Phase::Waiting;
    Timer1->start(deck::kTickMs);
}

void TF_Position::startReading()
{
    // The last reading's card and verdict go as the next opens, so that a
    // verdict is never taken for this reading's.
    if (MatchCard *c = cardOf(shownRead_))
        c->hide();
    shownRead_ = 0;
    LblResult->clear();
    Cursor->hide();
    if (!drill_->startReading()) {
        showEnd();
        return;
    }
    const int poem = drill_->poem();
    reveal_ = drillReveal(poem, drill_->readBefore());
    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
    readingStartMs_ = now();
    decidedMs_ = qint64(reveal_.decidedTick()) * deck::kTickMs;
    reciter_.openReading(poem, needs_.voice.gameReading);
    phase_ = Phase::Reading;
    LblStatus->setText(QStringLiteral("第%1首/%2").arg(drill_->readingNumber()).arg(drill_->readings()));
    Timer1->start(deck::kTickMs); // the lead-in may have cut its last wait
}

void TF_Position::Timer1Timer()
{
    if (phase_ == Phase::Waiting) {
        // The last wait is cut to land on the reading's opening.
        const qint64 toReading = reciter_.tickLeadIn(now());
        if (toReading <= 0)
            startReading();
        else if (toReading < deck::kTickMs)
            Timer1->start(int(toReading));
        return;
    }
    if (phase_ != Phase::Reading)
        return;
    const deck::RevealStep step = reveal_.tick();
    if (step.hasByte) {
        tategaki::TLabelTategaki *l = step.half() == deck::Half::Kami ? lt1 : lt2;
        l->setCaption(l->Caption() + step.byte);
    }
    if (step.beep)
        needs_.services.beeper->beep();
    reciter_.readingStep(step, now());
    if (step.kind == deck::RevealStep::Kind::TimeOut) {
        drill_->endReading();
        readingClosed();
    }
}

void TF_Position::touchPlace(Place place, qint64 atMs)
{
    if (phase_ != Phase::Reading || !drill_->click(place, atMs))
        return;
    cursor_ = place;
    Cursor->setGeometry(placeRect(place).adjusted(-2, -2, 2, 2));
    Cursor->raise();
    Cursor->show();
    readingClosed();
}

void TF_Position::keyPressEvent(QKeyEvent *event)
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
        touchPlace(cursor_, eventClock_.toMonotonic(qint64(event->timestamp()), handled));
        return;
    default:
        Form::keyPressEvent(event);
        return;
    }
    event->accept();
    if (phase_ != Phase::Reading && phase_ != Phase::Waiting)
        return;
    cursor_ = stepped(cursor_, step);
    Cursor->setGeometry(placeRect(cursor_).adjusted(-2, -2, 2, 2));
    Cursor->raise();
    Cursor->show();
}

void TF_Position::readingClosed()
{
    using O = PositionDrill::Outcome;
    Timer1->stop();
    const PositionDrill::Reading &r = drill_->last();
    lt1->setCaption(needs_.poems[r.poem].Kaminoku.toByteArray());
    lt2->setCaption(needs_.poems[r.poem].Shimonoku.toByteArray());
    needs_.recorder.record(drillTake(r, session_, readingStartMs_, decidedMs_));
    // The card read is turned up where it lies until the next reading.
    if (r.lies) {
        showCard(r.poem, true);
        cardOf(r.poem)->setColor(r.outcome == O::Right ? colors::clBlue : colors::clRed);
        shownRead_ = r.poem;
    }
    const QString time = r.clicked ? seconds(r.clickedAtMs - readingStartMs_ - decidedMs_) : QString();
    switch (r.outcome) {
    case O::Right: LblResult->setText(QStringLiteral("正解\n決まってから\n%1").arg(time)); break;
    case O::Wrong:
        LblResult->setText(QStringLiteral("違います\n押した場所\n%1\n正しい場所\n%2\n決まってから\n%3")
                               .arg(placeName(*r.clicked), placeName(*r.lies), time));
        break;
    case O::Timeout: LblResult->setText(QStringLiteral("時間切れ\n正しい場所\n%1").arg(placeName(*r.lies))); break;
    case O::Dead: LblResult->setText(QStringLiteral("空札")); break;
    case O::Fault:
        needs_.services.beeper->beep();
        LblResult->setText(QStringLiteral("お手つき\n（空札）"));
        break;
    }
    startLeadIn(r.poem, true);
}

void TF_Position::showEnd()
{
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
    phase_ = Phase::Over;
    // The map: every card where it lay, face up, its misses marked.
    const Field &f = drill_->laidOut();
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        const std::optional<Place> at = f.find(p);
        if (!at)
            continue;
        MatchCard *c = cardOf(p);
        showCard(p, true);
        const int misses = drill_->misses(p);
        if (misses)
            c->setColor(colors::clRed);
        c->setGeometry(placeRect(*at));
        c->setUpsideDown(at->side == Side::Opponent);
        c->show();
        if (misses) {
            QLabel *mark = missMark(p);
            mark->setText(QStringLiteral("×%1").arg(misses));
            const QRect r = placeRect(*at);
            mark->setGeometry(r.x() + 4, r.bottom() - 24, r.width() - 8, 20);
            mark->raise();
            mark->show();
        }
    }
    const int cards = f.count(Side::Player) + f.count(Side::Opponent);
    LblResult->setText(QStringLiteral("終了\n正解 %1/%2\nお手つき %3\n\n赤い札が\n間違えた札")
                           .arg(drill_->right())
                           .arg(cards)
                           .arg(drill_->faults()));
    LblStatus->setText(QStringLiteral("終了"));
    setControls(true);
}

void TF_Position::cardPressed(MatchCard *card, qint64 stamp)
{
    const qint64 handled = now();
    const std::optional<Place> at = drill_->field().find(card->Tag());
    if (!at)
        return;
    if (phase_ == Phase::Arranging || phase_ == Phase::Memorising) {
        dragged_ = at->side == Side::Player ? card->Tag() : 0;
        return;
    }
    touchPlace(*at, eventClock_.toMonotonic(stamp, handled));
}

void TF_Position::cardReleased(MatchCard *card, QPoint inField)
{
    if (dragged_ != card->Tag())
        return;
    dragged_ = 0;
    const std::optional<Place> from = drill_->field().find(card->Tag());
    const std::optional<Place> to = placeAt(inField);
    if (!from || !to || to->side != Side::Player || to->slot == from->slot)
        return;
    const int other = drill_->field().at(*to);
    if (drill_->rearrange(from->slot, to->slot)) {
        card->setGeometry(placeRect(*to));
        if (MatchCard *o = cardOf(other))
            o->setGeometry(placeRect(*from));
    }
}

qint64 TF_Position::now() const
{
    return needs_.services.monotonic->elapsedMs();
}

bool TF_Position::eventFilter(QObject *watched, QEvent *event)
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
                touchPlace(*at, eventClock_.toMonotonic(qint64(e->timestamp()), handled));
        break;
    }
    default:
        break;
    }
    return Form::eventFilter(watched, event);
}
