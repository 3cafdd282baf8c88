#include "tf_match.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QSpinBox>
#include <QtConcurrent/QtConcurrentRun>

#include "deck/poemtable.h"
#include "play/matchcard.h"
#include "history/database.h"
#include "history/notice.h"
#include "history/reactions.h"
#include "history/recorder.h"
#include "match/calibration.h"
#include "play/floorgeometry.h"
#include "match/historytake.h"
#include "match/replayview.h"
#include "play/layoutstore.h"
#include "platform/services.h"
#include "platform/gui/colors.h"
#include "platform/gui/fonts.h"
#include "platform/ui/kit.h"

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
    : FloorForm(needs, QStringLiteral("琴葉練習試合"), QStringLiteral("F_Match"),
                QStringLiteral("試合の途中です。終了しますか？"), parent)
{
    const QFont small = fonts::font(fonts::MSPGothic, 13);
    CbMemorise->setCurrentIndex(3);
    CbMemorise->setGeometry(8, 8, 96, 32);
    BtnMemorise->setGeometry(108, 8, 96, 32);
    BtnStartNow->setGeometry(208, 8, 104, 32);
    CbLevel = new QComboBox(this);
    CbLevel->setObjectName(QStringLiteral("CbLevel"));
    for (int n = 1; n <= kLevels; ++n)
        CbLevel->addItem(QStringLiteral("レベル%1").arg(n), n);
    CbLevel->setCurrentIndex(levelNearest(800) - 1); // a club player's pace to start from
    CbLevel->setMaxVisibleItems(15);
    CbLevel->setGeometry(320, 8, 92, 32);
    CbLevel->setFont(small);
    LblLevel = new QLabel(this);
    LblLevel->setObjectName(QStringLiteral("LblLevel"));
    LblLevel->setGeometry(416, 8, 104, 32);
    LblLevel->setFont(small);
    SpGap = new QSpinBox(this);
    SpGap->setObjectName(QStringLiteral("SpGap"));
    // The pause between a lower verse's held end and the next upper verse.
    SpGap->setRange(1, 5);
    SpGap->setValue(1);
    SpGap->setPrefix(QStringLiteral("間隔"));
    SpGap->setSuffix(QStringLiteral("秒"));
    SpGap->setGeometry(524, 8, 88, 32);
    SpGap->setFont(small);
    LblStatus->setGeometry(620, 8, 286, 32);
    LblStatus->setFont(fonts::font(fonts::MSPGothic, 14, true));
    // The level and the gap are chosen between the start and 終了.
    QWidget::setTabOrder(BtnStartNow, CbLevel);
    QWidget::setTabOrder(CbLevel, SpGap);
    QWidget::setTabOrder(SpGap, BtnClose);

    LblCount = new QLabel(PReading);
    LblCount->setObjectName(QStringLiteral("LblCount"));
    LblCount->setGeometry(4, 380, PReading->width() - 8, 190);
    LblCount->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    LblCount->setFont(fonts::font(fonts::MSPGothic, 14, true));
    LblCount->setWordWrap(true);
    BtnReplay = kit::button(PReading, QStringLiteral("BtnReplay"), QStringLiteral("記録を見る"),
                            QRect(4, PReading->height() - 100, PReading->width() - 8, 30), small);
    BtnReplay->setFocusPolicy(Qt::NoFocus); // Space on the floor is the take key
    CbLayout = new QCheckBox(QStringLiteral("定位置"), PReading);
    CbLayout->setObjectName(QStringLiteral("CbLayout"));
    CbLayout->setGeometry(4, PReading->height() - 66, PReading->width() - 8, 28);
    CbLayout->setFont(small);
    connect(CbLayout, &QCheckBox::toggled, this, [this](bool on) {
        if (on && phase_ == Phase::Arranging) {
            arrangeByLayout();
            layCards();
        }
    });

    for (int p = 1; p <= deck::kPoemCount; ++p)
        cardOf(p)->setColor(colors::clBtnFace);
    Cursor->show();

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

    connect(&calibration_, &QFutureWatcherBase::finished, this, [this] {
        // Only for the match whose end is still on the floor.
        if (phase_ == Phase::Over && session_ == calibrating_)
            showEndText(calibration_.result() + reactions_[0]);
    });
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

// The player's standard layout, moved card by card so that the match's
// record replays it.
void TF_Match::arrangeByLayout()
{
    for (const auto &[from, to] : arrangeOwnSide(*match_, playerLayout(playerSettingsPath(), *needs_.services.messages)))
        record_.moved(from, to);
}

void TF_Match::newMatch(quint32 seed)
{
    standStill();
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
    clearVerses();
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
        floor_.writeFace(p, needs_.poems);
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
    floor_.lay(poem, *at);
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

// Before the readings and between them; the rules have the last word.
bool TF_Match::mayRearrange() const
{
    return phase_ == Phase::Arranging || phase_ == Phase::Memorising || phase_ == Phase::Waiting;
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
    standStill();
    leaveRecord();
    FloorForm::FormHide();
}

void TF_Match::memorisationStarted()
{
    CbMemorise->setEnabled(false);
    BtnMemorise->setEnabled(false);
}

void TF_Match::readingsStarting()
{
    CbMemorise->setEnabled(false);
    BtnMemorise->setEnabled(false);
    BtnStartNow->setEnabled(false);
    CbLevel->setEnabled(false);
    keepFocusOnFloor(true);
    opponent_ = Opponent(levelNo());
    held_.reset();
    session_ = needs_.recorder.newSession(history::Mode::Match);
}

QString TF_Match::countdownText(qint64 remainingMs) const
{
    return QStringLiteral("暗記時間 残り %1").arg(clockText(remainingMs))
           + (remainingMs <= Memorisation::kCueBeforeEndMs && CbMemorise->currentData().toInt() >= 5
                  ? QStringLiteral("（あと2分）")
                  : QString());
}

Pace TF_Match::leadInPace() const
{
    return {voice::kHoldMs, SpGap->value() * 1000};
}

// The voice keeps the time itself; the beep would only cover it.
bool TF_Match::beepsUnderVoice() const
{
    return needs_.voice.beepWhileReading;
}

void TF_Match::BtnReplayClick()
{
    if (underway())
        return;
    const QString path = askRecordFile();
    if (path.isEmpty())
        return;
    if (const auto view = MatchReplayView::open(needs_.poems, *needs_.services.messages, path, this))
        view->exec();
}

bool TF_Match::nextReading()
{
    hideTaken();
    held_.reset();
    dragged_ = 0;
    if (!match_->startReading())
        return false;
    record_.readingStarted(*match_, levelNo());
    return true;
}

void TF_Match::readingOpened()
{
    plan_ = opponent_.plan(*match_, rng_);
    opponentFaultDone_ = false;
    setStatus(QStringLiteral("第%1首").arg(match_->readingNumber()));
    showCounts();
}

void TF_Match::readingTicked()
{
    applyOpponent(now() - kGraceMs);
}

void TF_Match::readingTimedOut()
{
    match_->endReading();
    record_.ended();
    readingClosed();
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
    showVerses(match_->poem());
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
    standStill();
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

void TF_Match::cardTouched(Place at, qint64 atMs)
{
    cursor_ = at;
    showCursor();
    touchPlace(at, atMs);
}

void TF_Match::moveOwnCard(int poem, Place from, Place to)
{
    const int other = match_->field().at(to);
    if (match_->rearrange(from.slot, to.slot)) {
        record_.moved(from.slot, to.slot);
        moveCard(poem);
        if (other)
            moveCard(other);
        cursor_ = to;
        showCursor();
    }
}

// Before the readings the take key picks a card up and lays it down where
// the frame is.
void TF_Match::takeKey(qint64 atMs)
{
    if (!mayRearrange()) {
        touchPlace(cursor_, atMs);
        return;
    }
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
}
