#include "tf_match.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "deck/opening.h"
#include "deck/poemtable.h"
#include "game/readinglabel.h"
#include "match/matchcard.h"
#include "history/database.h"
#include "history/notice.h"
#include "history/reactions.h"
#include "history/recorder.h"
#include "match/calibration.h"
#include "match/floorgeometry.h"
#include "match/historytake.h"
#include "match/replayview.h"
#include "match/layoutstore.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/kit.h"
#include "tategaki/labeltategaki.h"
#include "voice/readingoption.h"

using namespace platform;
using namespace platform::ui;
using namespace match;

TF_Match *F_Match = nullptr;

namespace {

// A computer take is held back this long so that a click that happened
// before it, but whose event is handled a little later, still comes first.
constexpr qint64 kGraceMs = 60;

QString verdictOf(Result result)
{
    switch (result) {
    case Result::PlayerWon: return QStringLiteral("あなたの勝ち");
    case Result::OpponentWon: return QStringLiteral("あなたの負け");
    default: return QStringLiteral("引き分け");
    }
}

QString seconds(std::optional<qint64> ms)
{
    return ms ? QStringLiteral("%1秒").arg(double(*ms) / 1000.0, 0, 'f', 2) : QStringLiteral("―");
}

const char *whoName(Side s)
{
    return s == Side::Player ? "あなた" : "相手";
}

} // namespace

TF_Match::TF_Match(const Needs &needs, QWidget *parent)
    : Form(QStringLiteral("琴葉練習試合"), QSize(1016, 728), parent), needs_(needs)
{
    setObjectName(QStringLiteral("F_Match"));
    setFont(fonts::font(fonts::MSPGothic, 12));
    setFocusPolicy(Qt::StrongFocus);

    CbMemorise = new QComboBox(this);
    CbMemorise->setObjectName(QStringLiteral("CbMemorise"));
    for (int minutes : Memorisation::kChoices)
        CbMemorise->addItem(QStringLiteral("暗記%1分").arg(minutes), minutes);
    CbMemorise->setCurrentIndex(3);
    CbMemorise->setGeometry(8, 8, 96, 32);
    const QFont buttonFont = fonts::font(fonts::MSPGothic, 14, true);
    BtnMemorise = kit::button(this, QStringLiteral("BtnMemorise"), QStringLiteral("暗記開始"), QRect(108, 8, 96, 32),
                              buttonFont);
    BtnStartNow = kit::button(this, QStringLiteral("BtnStartNow"), QStringLiteral("すぐに開始"),
                              QRect(208, 8, 104, 32), buttonFont);
    CbLevel = new QComboBox(this);
    CbLevel->setObjectName(QStringLiteral("CbLevel"));
    for (int n = 1; n <= kLevels; ++n)
        CbLevel->addItem(QStringLiteral("レベル%1").arg(n), n);
    CbLevel->setCurrentIndex(levelNearest(800) - 1); // a club player's pace to start from
    CbLevel->setMaxVisibleItems(15);
    CbLevel->setGeometry(320, 8, 92, 32);
    LblLevel = new QLabel(this);
    LblLevel->setObjectName(QStringLiteral("LblLevel"));
    LblLevel->setGeometry(416, 8, 104, 32);
    SpGap = new QSpinBox(this);
    SpGap->setObjectName(QStringLiteral("SpGap"));
    // The pause between a lower verse's held end and the next upper verse.
    SpGap->setRange(1, 5);
    SpGap->setValue(1);
    SpGap->setPrefix(QStringLiteral("間隔"));
    SpGap->setSuffix(QStringLiteral("秒"));
    SpGap->setGeometry(524, 8, 88, 32);
    LblStatus = new QLabel(this);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));
    LblStatus->setGeometry(620, 8, 286, 32);
    LblStatus->setFont(fonts::font(fonts::MSPGothic, 14, true));
    BtnClose = kit::button(this, QStringLiteral("BtnClose"), QStringLiteral("終了"), QRect(912, 8, 96, 32), buttonFont);
    for (QWidget *w : {static_cast<QWidget *>(CbMemorise), static_cast<QWidget *>(CbLevel), static_cast<QWidget *>(SpGap)})
        w->setFont(fonts::font(fonts::MSPGothic, 13));
    LblLevel->setFont(fonts::font(fonts::MSPGothic, 13));

    PField = new Panel(this);
    PField->setObjectName(QStringLiteral("PField"));
    PField->setGeometry(QRect(QPoint(8, 48), floorSize()));
    PField->setColor(colors::clNavy);
    PField->setBevels(Bevel::Lowered, Bevel::Lowered, 1);
    PField->installEventFilter(this);
    PField->setMouseTracking(true); // moves keep the event clock's offset fresh

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
    LblCount = new QLabel(PReading);
    LblCount->setObjectName(QStringLiteral("LblCount"));
    LblCount->setGeometry(4, 380, PReading->width() - 8, 190);
    LblCount->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    LblCount->setFont(fonts::font(fonts::MSPGothic, 14, true));
    LblCount->setWordWrap(true);
    CbYomiage = new QCheckBox(QStringLiteral("読み上げ"), PReading);
    CbYomiage->setObjectName(QStringLiteral("CbYomiage"));
    CbYomiage->setGeometry(4, PReading->height() - 36, PReading->width() - 8, 28);
    CbYomiage->setFont(fonts::font(fonts::MSPGothic, 13));
    BtnReplay = kit::button(PReading, QStringLiteral("BtnReplay"), QStringLiteral("記録を見る"),
                            QRect(4, PReading->height() - 100, PReading->width() - 8, 30), fonts::font(fonts::MSPGothic, 13));
    BtnReplay->setFocusPolicy(Qt::NoFocus); // Space on the floor is the take key
    voice::connectGameReading(needs_.voice, CbYomiage);
    CbLayout = new QCheckBox(QStringLiteral("定位置"), PReading);
    CbLayout->setObjectName(QStringLiteral("CbLayout"));
    CbLayout->setGeometry(4, PReading->height() - 66, PReading->width() - 8, 28);
    CbLayout->setFont(fonts::font(fonts::MSPGothic, 13));
    connect(CbLayout, &QCheckBox::toggled, this, [this](bool on) {
        if (on && phase_ == Phase::Arranging) {
            arrangeByLayout();
            layCards();
        }
    });

    const QFont cardFont = fonts::font(QStringLiteral("@") + fonts::MSMincho, 14, true);
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        auto *c = new MatchCard(PField);
        c->setObjectName(QStringLiteral("card%1").arg(p));
        c->setTag(p);
        c->setAllowAllUp(true);
        c->setColor(colors::clBtnFace);
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
        cards_[static_cast<std::size_t>(p)] = c;
    }

    Cursor = new QWidget(PField);
    Cursor->setObjectName(QStringLiteral("Cursor"));
    Cursor->setAttribute(Qt::WA_TransparentForMouseEvents);
    Cursor->setStyleSheet(QStringLiteral("border: 3px solid yellow; background: transparent;"));

    LblEnd = new QLabel(PField);
    LblEnd->setObjectName(QStringLiteral("LblEnd"));
    LblEnd->setGeometry(PField->width() / 2 - 300, PField->height() / 2 - 150, 600, 300);
    LblEnd->setAlignment(Qt::AlignCenter);
    LblEnd->setFont(fonts::font(fonts::MSPGothic, 18, true));
    LblEnd->setAutoFillBackground(true);
    QPalette pal = LblEnd->palette();
    pal.setColor(QPalette::Window, colors::clYellow);
    pal.setColor(QPalette::WindowText, colors::clBlack);
    LblEnd->setPalette(pal);
    LblEnd->setFrameStyle(QFrame::Box | QFrame::Plain);
    LblEnd->hide();

    Timer1 = new TickTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(deck::kTickMs);
    connect(Timer1, &TickTimer::timeout, this, &TF_Match::Timer1Timer);
    connect(&calibration_, &QFutureWatcherBase::finished, this, [this] {
        // Only for the match whose end is still on the floor.
        if (phase_ == Phase::Over && session_ == calibrating_)
            showEndText(calibration_.result() + reactions_[0]);
    });
    TimerWait = new QTimer(this);
    TimerWait->setObjectName(QStringLiteral("TimerWait"));
    TimerWait->setInterval(200);
    connect(TimerWait, &QTimer::timeout, this, &TF_Match::TimerWaitTimer);

    confirmLeave = [this] {
        QMessageBox box(QMessageBox::Question, windowTitle(), QStringLiteral("試合の途中です。終了しますか？"),
                        QMessageBox::NoButton, this);
        QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
        box.setDefaultButton(box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole));
        box.exec();
        return box.clickedButton() == yes;
    };

    connect(BtnMemorise, &QPushButton::clicked, this, &TF_Match::BtnMemoriseClick);
    connect(BtnStartNow, &QPushButton::clicked, this, &TF_Match::BtnStartNowClick);
    connect(BtnClose, &QPushButton::clicked, this, &TF_Match::BtnCloseClick);
    connect(BtnReplay, &QPushButton::clicked, this, &TF_Match::BtnReplayClick);
    // Saved matches are kept beside the learning history.
    recordFolder = [] { return QFileInfo(history::databasePath()).absoluteDir().filePath(QStringLiteral("matches")); };
    askRecordFile = [this] {
        // Qt's own dialog, which speaks Japanese through the translations the program loads.
        return QFileDialog::getOpenFileName(this, QStringLiteral("試合の記録を開く"), recordFolder(),
                                            QStringLiteral("試合の記録 (*.txt)"), nullptr,
                                            QFileDialog::DontUseNativeDialog);
    };
    connect(CbLevel, &QComboBox::currentIndexChanged, this, [this] {
        LblLevel->setText(QStringLiteral("反応 約%1").arg(seconds(levelMedianMs(levelNo()))));
    });
    LblLevel->setText(QStringLiteral("反応 約%1").arg(seconds(levelMedianMs(levelNo()))));

    newMatch(0);
}

TF_Match::~TF_Match() = default;

int TF_Match::levelNo() const
{
    return CbLevel->currentData().toInt();
}

MatchCard *TF_Match::cardOf(int poem) const
{
    return poem >= 1 && poem <= deck::kPoemCount ? cards_[static_cast<std::size_t>(poem)] : nullptr;
}

// The player's standard layout, moved card by card so that the match's
// record replays it.
void TF_Match::arrangeByLayout()
{
    for (const auto &[from, to] : arrangeOwnSide(*match_, playerLayout(playerSettingsPath(), *needs_.services.messages)))
        record_.moved(from, to);
}

void TF_Match::newMatch(quint32 seed)
{
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
    if (match_ && phase_ == Phase::Over)
        leaveRecord(); // another match begun from the end screen
    rng_.state = seed;
    const Field field = dealField(rng_);
    const QList<int> order = readingOrder(rng_);
    match_ = std::make_unique<Match>(field, order);
    record_.begin(field, order, QDateTime::currentDateTime());
    record_.folder = recordFolder ? recordFolder() : QString();
    recordTroubleTold_ = false;
    recordLossTold_ = false;
    if (CbLayout->isChecked())
        arrangeByLayout();
    phase_ = Phase::Arranging;
    reactions_ = {};
    takenShown_ = 0;
    held_.reset();
    dragged_ = 0;
    cursor_ = {Side::Player, slotAt(kRows - 1, 0)};
    layCards();
    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
    LblEnd->hide();
    CbMemorise->setEnabled(true);
    BtnMemorise->setEnabled(true);
    BtnStartNow->setEnabled(true);
    CbLevel->setEnabled(true);
    keepFocusOnFloor(false);
    setStatus(QStringLiteral("札を並べ替えられます"));
    showCounts();
    showCursor();
}

void TF_Match::layCards()
{
    for (int p = 1; p <= deck::kPoemCount; ++p) {
        MatchCard *c = cardOf(p);
        if (c->Caption().isEmpty() && needs_.poems.isFilled())
            c->setCaption(needs_.poems[p].Shimonoku.toByteArray());
        c->setColor(colors::clBtnFace);
        c->setEnabled(true);
        moveCard(p);
    }
}

void TF_Match::moveCard(int poem)
{
    MatchCard *c = cardOf(poem);
    const std::optional<Place> at = match_->field().find(poem);
    if (!at) {
        c->hide();
        return;
    }
    c->setGeometry(placeRect(*at));
    c->setUpsideDown(at->side == Side::Opponent);
    c->show();
    // A card sent into the place of the one just taken covers it.
    if (MatchCard *t = cardOf(takenShown_); t && t != c && t->geometry() == c->geometry())
        hideTaken();
}

void TF_Match::hideTaken()
{
    if (MatchCard *t = cardOf(takenShown_)) {
        t->hide();
        t->setColor(colors::clBtnFace);
        t->setEnabled(true);
    }
    takenShown_ = 0;
}

void TF_Match::showCursor()
{
    Cursor->setGeometry(placeRect(cursor_).adjusted(-2, -2, 2, 2));
    Cursor->raise();
    Cursor->show();
}

void TF_Match::setStatus(const QString &text)
{
    LblStatus->setText(text);
}

void TF_Match::showCounts()
{
    const Match &m = *match_;
    LblCount->setText(QStringLiteral("読み %1/%2\n\n自陣 %3枚\n敵陣 %4枚\n\nお手つき\nあなた %5\n相手 %6")
                          .arg(m.readingNumber())
                          .arg(m.readings())
                          .arg(m.field().count(Side::Player))
                          .arg(m.field().count(Side::Opponent))
                          .arg(m.faults(Side::Player))
                          .arg(m.faults(Side::Opponent)));
}

bool TF_Match::underway() const
{
    return phase_ != Phase::Arranging && phase_ != Phase::Over;
}

// Before the readings and between them; the rules have the last word.
bool TF_Match::mayRearrange() const
{
    return phase_ == Phase::Arranging || phase_ == Phase::Memorising || phase_ == Phase::Waiting;
}

void TF_Match::FormShow()
{
    voice::showGameReading(needs_.voice, CbYomiage);
    needs_.rng.reseed(needs_.services.clock->utcTimeOfDay());
    newMatch(needs_.rng.state);
    setFocus();
}

// While readings run, a key that reaches any control but the floor can
// change a setting or, with the take key, press 終了.
void TF_Match::keepFocusOnFloor(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(CbMemorise), static_cast<QWidget *>(BtnMemorise),
                       static_cast<QWidget *>(BtnStartNow), static_cast<QWidget *>(CbLevel),
                       static_cast<QWidget *>(SpGap), static_cast<QWidget *>(BtnClose),
                       static_cast<QWidget *>(CbYomiage), static_cast<QWidget *>(CbLayout)}) {
        if (!on && !focusPolicies_.contains(w))
            continue;
        if (on)
            focusPolicies_.insert(w, w->focusPolicy());
        w->setFocusPolicy(on ? Qt::NoFocus : focusPolicies_.take(w));
        if (on && w->hasFocus())
            setFocus();
    }
    SpGap->setEnabled(!on);
}

void TF_Match::FormHide()
{
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
    leaveRecord();
    phase_ = Phase::Arranging;
}

void TF_Match::BtnMemoriseClick()
{
    if (phase_ == Phase::Over)
        newMatch(rng_.state);
    if (phase_ != Phase::Arranging)
        return;
    memorisation_.start(CbMemorise->currentData().toInt(), now());
    phase_ = Phase::Memorising;
    CbMemorise->setEnabled(false);
    BtnMemorise->setEnabled(false);
    TimerWait->start();
    TimerWaitTimer();
    setFocus();
}

void TF_Match::BtnStartNowClick()
{
    if (phase_ == Phase::Over)
        newMatch(rng_.state);
    if (phase_ != Phase::Arranging && phase_ != Phase::Memorising)
        return;
    memorisation_.stop();
    CbMemorise->setEnabled(false);
    BtnMemorise->setEnabled(false);
    BtnStartNow->setEnabled(false);
    CbLevel->setEnabled(false);
    keepFocusOnFloor(true);
    opponent_ = Opponent(levelNo());
    held_.reset();
    session_ = needs_.recorder.newSession(history::Mode::Match);
    startLeadIn(deck::kOpeningPoem);
    setFocus();
}

void TF_Match::BtnCloseClick()
{
    if (underway() && !askPaused(confirmLeave))
        return;
    closeAndShowMain();
}

bool TF_Match::askPaused(const std::function<bool()> &question)
{
    const bool reading = Timer1->isActive();
    const bool waiting = TimerWait->isActive();
    Timer1->stop();
    TimerWait->stop();
    // The player cannot pause a clip: the voice stops, and the half not yet
    // begun is spoken on its tick after the question.
    reciter_.stop();
    const qint64 from = now();
    const bool answer = question();
    // Every time the match keeps is moved on by the pause, so that neither the
    // opponent's plan nor the player's reaction counts it.
    const qint64 paused = now() - from;
    readingStartMs_ += paused;
    memorisation_.postpone(paused);
    if (answer)
        return true;
    // A lead-in broken off is read again from its first verse, as a reader would.
    if (reading && phase_ == Phase::Waiting && !reciter_.leadIn().verses().isEmpty()) {
        startLeadIn(reciter_.leadIn().verses().first().poem);
        return false;
    }
    if (reading) {
        if (match_->readingOpen())
            reciter_.openReading(match_->poem(), needs_.voice.gameReading);
        Timer1->start();
    }
    if (waiting)
        TimerWait->start();
    return false;
}

void TF_Match::BtnReplayClick()
{
    if (underway())
        return;
    const QString path = askRecordFile();
    if (path.isEmpty())
        return;
    if (const auto view = MatchReplayView::open(needs_.poems, path, this))
        view->exec();
}

void TF_Match::TimerWaitTimer()
{
    const qint64 t = now();
    if (phase_ == Phase::Memorising) {
        if (memorisation_.finished(t)) {
            BtnStartNowClick();
            return;
        }
        const bool cue = memorisation_.takeCue(t);
        if (cue)
            needs_.services.beeper->beep();
        setStatus(QStringLiteral("暗記時間 残り %1").arg(clockText(memorisation_.remainingMs(t)))
                  + (memorisation_.remainingMs(t) <= Memorisation::kCueBeforeEndMs
                             && CbMemorise->currentData().toInt() >= 5
                         ? QStringLiteral("（あと2分）")
                         : QString()));
    }
}

void TF_Match::startLeadIn(int previousPoem, bool follow)
{
    TimerWait->stop();
    const Pace pace{voice::kHoldMs, SpGap->value() * 1000};
    if (follow)
        reciter_.followReading(previousPoem, pace, needs_.voice.gameReading, now());
    else // from the lower verse on the first tick, the clips opened by then
        reciter_.startLeadIn(previousPoem, pace, needs_.voice.gameReading, now() + deck::kTickMs);
    if (previousPoem == deck::kOpeningPoem)
        setStatus(QStringLiteral("序歌"));
    phase_ = Phase::Waiting;
    Timer1->start(deck::kTickMs);
}

void TF_Match::leadInTick()
{
    // The last wait is cut to land on the reading's opening.
    const qint64 toReading = reciter_.tickLeadIn(now());
    if (toReading <= 0)
        startReading();
    else if (toReading < deck::kTickMs)
        Timer1->start(int(toReading));
}

void TF_Match::startReading()
{
    TimerWait->stop();
    hideTaken();
    held_.reset();
    dragged_ = 0;
    if (!match_->startReading()) {
        showEnd();
        return;
    }
    record_.readingStarted(*match_, levelNo());
    const int poem = match_->poem();
    reveal_ = deck::Reveal::ofPoem(poem, match_->readBefore());
    lt1->setCaption(QByteArray());
    lt2->setCaption(QByteArray());
    readingStartMs_ = now();
    decidedMs_ = qint64(reveal_.decidedTick()) * deck::kTickMs;
    reciter_.openReading(poem, needs_.voice.gameReading);
    plan_ = opponent_.plan(*match_, rng_);
    opponentFaultDone_ = false;
    phase_ = Phase::Reading;
    setStatus(QStringLiteral("第%1首").arg(match_->readingNumber()));
    showCounts();
    Timer1->start(deck::kTickMs);
}

void TF_Match::Timer1Timer()
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
    // The voice keeps the time itself; the beep would only cover it.
    if (step.beep && (!reciter_.readingAloud() || needs_.voice.beepWhileReading))
        needs_.services.beeper->beep();
    // Each half is timed from the tick that shows its first byte, as in the game.
    reciter_.readingStep(step, now());
    applyOpponent(now() - kGraceMs);
    if (phase_ == Phase::Reading && step.kind == deck::RevealStep::Kind::TimeOut) {
        match_->endReading();
        record_.ended();
        readingClosed();
    }
}

void TF_Match::applyOpponent(qint64 upToMs)
{
    const qint64 rel = upToMs - readingStartMs_;
    if (phase_ != Phase::Reading || !match_->readingOpen())
        return;
    if (plan_.faultAtMs && !opponentFaultDone_ && *plan_.faultAtMs <= rel) {
        opponentFaultDone_ = true;
        const qint64 at = readingStartMs_ + *plan_.faultAtMs;
        afterTouch(Side::Opponent, touch(Side::Opponent, plan_.faultPlace, at));
    }
    if (phase_ == Phase::Reading && plan_.takeAtMs && *plan_.takeAtMs <= rel) {
        if (const std::optional<Place> card = match_->field().find(match_->poem())) {
            const qint64 at = readingStartMs_ + *plan_.takeAtMs;
            afterTouch(Side::Opponent, touch(Side::Opponent, *card, at));
        }
    }
    if (!holdClose_ && !match_->readingOpen())
        readingClosed();
}

TouchResult TF_Match::touch(Side who, Place place, qint64 atMs)
{
    const TouchResult r = match_->touch(who, place, atMs);
    record_.touched(*match_, who, place, atMs - readingStartMs_, r);
    return r;
}

void TF_Match::touchPlace(Place place, qint64 atMs)
{
    switch (phase_) {
    case Phase::Reading: {
        // Whatever the opponent did up to this touch comes first; a take at
        // the very same moment is settled by the rules, so the reading is
        // closed only once both are judged.
        holdClose_ = true;
        applyOpponent(atMs);
        const TouchResult r = touch(Side::Player, place, atMs);
        holdClose_ = false;
        afterTouch(Side::Player, r);
        if (!match_->readingOpen())
            readingClosed();
        return;
    }
    case Phase::Sending:
        if (place.side == Side::Player) {
            const int poem = match_->field().at(place);
            if (match_->send(Side::Player, place.slot)) {
                record_.sent(*match_, Side::Player, place, poem);
                moveCard(poem);
                sendsOrNext();
            }
        }
        return;
    default:
        return;
    }
}

void TF_Match::afterTouch(Side who, const TouchResult &r)
{
    // A take is shown when the reading closes, once the rules have settled it.
    if (r.verdict == Verdict::Fault) {
        needs_.services.beeper->beep();
        setStatus(QStringLiteral("お手つき（%1）").arg(QString::fromUtf8(whoName(who))));
        showCounts();
    }
}

void TF_Match::readingClosed()
{
    Timer1->stop();
    lt1->setCaption(needs_.poems[match_->poem()].Kaminoku.toByteArray());
    lt2->setCaption(needs_.poems[match_->poem()].Shimonoku.toByteArray());
    // A taken card stays where it lay until the next reading, in the
    // taker's colour, so that every take is seen; others leave at once.
    if (const auto &last = match_->last(); last.taker) {
        reactions_[static_cast<std::size_t>(*last.taker)] << (last.takenAtMs - readingStartMs_ - decidedMs_);
        setStatus(QStringLiteral("%1が取りました").arg(QString::fromUtf8(whoName(*last.taker))));
        MatchCard *c = cardOf(last.poem);
        c->setColor(*last.taker == Side::Player ? colors::clBlue : colors::clRed);
        c->setEnabled(false);
        takenShown_ = last.poem;
    } else {
        moveCard(match_->poem());
    }
    if (match_->last().dead && !match_->last().faulted[0] && !match_->last().faulted[1])
        setStatus(QStringLiteral("空札"));
    // Written before any send, so that leaving at the prompt loses nothing.
    reportReading();
    sendsOrNext();
}

void TF_Match::sendsOrNext()
{
    while (match_->sender() == Side::Opponent) {
        const int slot = chooseSend(match_->field(), Side::Opponent);
        const int poem = match_->field().at(Side::Opponent, slot);
        match_->send(Side::Opponent, slot);
        record_.sent(*match_, Side::Opponent, {Side::Opponent, slot}, poem);
        moveCard(poem);
    }
    if (match_->sender() == Side::Player) {
        phase_ = Phase::Sending;
        // The card to give is one's own: bring the frame over to that side.
        if (cursor_.side != Side::Player || !match_->field().at(cursor_)) {
            for (int k = 0; k < kSlots; ++k)
                if (match_->field().at(Side::Player, k)) {
                    cursor_ = {Side::Player, k};
                    break;
                }
            showCursor();
        }
        setStatus(QStringLiteral("送る札を選んでください"));
        showCounts();
        return;
    }
    // The match record states a judgement with the sends it led to.
    record_.judged(*match_);
    tellRecordTrouble();
    showCounts();
    if (match_->result() != Result::Ongoing || match_->readingNumber() >= match_->readings()) {
        showEnd();
        return;
    }
    // Once a card is given the reader goes back to the lower verse.
    startLeadIn(match_->poem(), phase_ != Phase::Sending);
}

void TF_Match::reportReading()
{
    needs_.recorder.record(readingTake(match_->last(), session_, levelNo(), readingStartMs_, decidedMs_));
}

void TF_Match::showEndText(const std::optional<QList<qint64>> &recent)
{
    const Match &m = *match_;
    const QString advice = recent ? QStringLiteral("次はレベル%1がおすすめです\n%2")
                                        .arg(adviseLevel(*recent, levelNo()))
                                        .arg(calibrationRule(*recent))
                                  : QStringLiteral("おすすめのレベルを計算中…");
    LblEnd->setText(QStringLiteral("%1\n\n残り札　あなた %2枚　相手 %3枚\nお手つき　あなた %4回　相手 %5回\n"
                                   "反応の中央値　あなた %6　相手 %7\n%8")
                        .arg(verdictOf(m.result()))
                        .arg(m.field().count(Side::Player))
                        .arg(m.field().count(Side::Opponent))
                        .arg(m.faults(Side::Player))
                        .arg(m.faults(Side::Opponent))
                        .arg(seconds(median(reactions_[0])), seconds(median(reactions_[1])), advice));
}

void TF_Match::showEnd()
{
    Timer1->stop();
    TimerWait->stop();
    reciter_.stop();
    phase_ = Phase::Over;
    const Match &m = *match_;
    // The history's takes are read on a pool thread: the end is up at once
    // and the advice follows.
    calibrating_ = session_;
    calibration_.setFuture(QtConcurrent::run(
        [today = needs_.services.clock->localDate(), session = session_] {
            return history::recentReactions(today, kCalibrationDays, session);
        }));
    showEndText(std::nullopt);
    LblEnd->raise();
    LblEnd->show();
    setStatus(verdictOf(m.result()));
    record_.finished(m);
    if (record_.unsaved()) {
        setStatus(QStringLiteral("試合の記録を保存できません: %1").arg(record_.error));
        tellRecordTrouble();
    }
    CbMemorise->setEnabled(true);
    BtnMemorise->setEnabled(true);
    BtnStartNow->setEnabled(true);
    CbLevel->setEnabled(true);
    keepFocusOnFloor(false);
}

void TF_Match::tellRecordTrouble()
{
    if (!record_.unsaved() || recordTroubleTold_)
        return;
    recordTroubleTold_ = true;
    QString text = QStringLiteral("試合の記録を %1 に保存できません（%2）。")
                       .arg(QDir::toNativeSeparators(record_.target()), record_.error);
    if (phase_ != Phase::Over)
        text += QStringLiteral("\n記録は手元に保持し、一首読むごとに保存し直します。");
    // Beside the floor: a modal box would take the keys meant for the match.
    history::showAside(text);
}

void TF_Match::leaveRecord()
{
    // A save that failed at the end is tried once more.
    record_.finished(*match_);
    if (!record_.unsaved() || recordLossTold_)
        return;
    recordLossTold_ = true;
    const QString path = record_.path();
    const bool partly = !path.isEmpty() && QFileInfo::exists(path);
    needs_.services.messages->inform(
        QStringLiteral("試合の記録は保存されませんでした（%1）。\n").arg(record_.error)
        + (partly ? QStringLiteral("%1 には途中までの記録しか残っていません。").arg(QDir::toNativeSeparators(path))
                  : QStringLiteral("この試合の記録は残りません。")));
}

void TF_Match::cardPressed(MatchCard *card, qint64 stamp)
{
    const qint64 handled = now();
    const std::optional<Place> at = match_->field().find(card->Tag());
    if (!at)
        return;
    if (mayRearrange()) {
        dragged_ = at->side == Side::Player ? card->Tag() : 0;
        return;
    }
    cursor_ = *at;
    showCursor();
    touchPlace(*at, eventClock_.toMonotonic(stamp, handled));
}

void TF_Match::cardReleased(MatchCard *card, QPoint inField)
{
    if (dragged_ != card->Tag())
        return;
    dragged_ = 0;
    const std::optional<Place> from = match_->field().find(card->Tag());
    const std::optional<Place> to = placeAt(inField);
    if (!from || !to || to->side != Side::Player || to->slot == from->slot)
        return;
    const int other = match_->field().at(*to);
    if (match_->rearrange(from->slot, to->slot)) {
        record_.moved(from->slot, to->slot);
        moveCard(card->Tag());
        if (other)
            moveCard(other);
        cursor_ = *to;
        showCursor();
    }
}

qint64 TF_Match::now() const
{
    return needs_.services.monotonic->elapsedMs();
}

bool TF_Match::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::HoverMove:
        eventClock_.observe(qint64(static_cast<QInputEvent *>(event)->timestamp()), now());
        break;
    default:
        break;
    }
    return Form::eventFilter(watched, event);
}

void TF_Match::keyPressEvent(QKeyEvent *event)
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
    case Qt::Key_Enter: {
        event->accept();
        if (mayRearrange()) {
            if (cursor_.side != Side::Player)
                return;
            if (!held_) {
                if (match_->field().at(cursor_))
                    held_ = cursor_;
                setStatus(QStringLiteral("移す先を選んでください"));
                return;
            }
            const int a = match_->field().at(*held_);
            const int b = match_->field().at(cursor_);
            if (match_->rearrange(held_->slot, cursor_.slot)) {
                record_.moved(held_->slot, cursor_.slot);
                moveCard(a);
                if (b)
                    moveCard(b);
            }
            held_.reset();
            setStatus(QStringLiteral("札を並べ替えられます"));
            showCursor();
            return;
        }
        touchPlace(cursor_, eventClock_.toMonotonic(qint64(event->timestamp()), handled));
        return;
    }
    default:
        Form::keyPressEvent(event);
        return;
    }
    event->accept();
    cursor_ = stepped(cursor_, step);
    showCursor();
}
