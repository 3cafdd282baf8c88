#pragma once

#include <QFutureWatcher>
#include <QHash>
#include <QPushButton>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "deck/reveal.h"
#include "match/reciter.h"
#include "match/matchrecorder.h"
#include "match/opponent.h"
#include "match/readingtimeline.h"
#include "match/rules.h"
#include "match/timing.h"
#include "platform/ui/form.h"
#include "platform/ui/playneeds.h"
#include "platform/ui/ticktimer.h"
#include "platform/ui/panel.h"
#include "voice/speaker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTimer;
class MatchCard;
namespace tategaki {
class TLabelTategaki;
}

// The practice match window: the floor of 50 cards, the memorisation time,
// the readings against the computer opponent and the end screen.
class TF_Match : public platform::ui::Form {
    Q_OBJECT
public:
    using Needs = platform::ui::PlayNeeds;

    explicit TF_Match(const Needs &needs, QWidget *parent = nullptr);
    ~TF_Match() override;

    // Waiting: between two readings (or before the first), the lead-in read.
    enum class Phase { Arranging, Memorising, Reading, Sending, Waiting, Over };

    QComboBox *CbMemorise;
    QPushButton *BtnMemorise;
    QPushButton *BtnStartNow;
    QComboBox *CbLevel;
    QLabel *LblLevel;
    QSpinBox *SpGap;
    QLabel *LblStatus;
    QLabel *LblCount;
    QCheckBox *CbYomiage; // reading aloud, shared with the game
    QCheckBox *CbLayout;  // one's own cards laid by the standard layout
    QPushButton *BtnClose;
    QPushButton *BtnReplay; // opens a saved match
    platform::ui::Panel *PField;
    platform::ui::Panel *PReading;
    tategaki::TLabelTategaki *lt1;
    tategaki::TLabelTategaki *lt2;
    QLabel *LblEnd;
    QWidget *Cursor;
    platform::ui::TickTimer *Timer1; // the reading's 150 ms ticks, and the lead-in's before it
    QTimer *TimerWait; // memorisation countdown

    // Injected by tests: the random seed, the question asked before leaving
    // a match under way.
    std::function<bool()> confirmLeave;
    // Where each match is saved, and the saved match to open (empty: none).
    std::function<QString()> recordFolder;
    std::function<QString()> askRecordFile;

    void BtnMemoriseClick();
    void BtnStartNowClick();
    void BtnCloseClick();
    void BtnReplayClick();
    void Timer1Timer();
    void TimerWaitTimer();
    // A touch of a floor place (mouse press or the keyboard), with the
    // monotonic time it happened.
    void touchPlace(match::Place place, qint64 atMs);
    void newMatch(quint32 seed);

    Phase phase() const { return phase_; }
    const match::Match &state() const { return *match_; }
    const match::Plan &plan() const { return plan_; }
    const match::MatchRecorder &matchRecord() const { return record_; }
    int levelNo() const;
    MatchCard *cardOf(int poem) const;
    match::Place cursor() const { return cursor_; }
    QList<qint64> playerReactions() const { return reactions_[0]; }

protected:
    void FormShow() override;
    void FormHide() override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layCards();
    void arrangeByLayout();
    void moveCard(int poem);
    void hideTaken();
    void cardPressed(MatchCard *card, qint64 stamp);
    void cardReleased(MatchCard *card, QPoint inField);
    // `follow`: right after the reading of `previousPoem` was judged.
    void startLeadIn(int previousPoem, bool follow = false);
    void leadInTick();
    void startReading();
    void applyOpponent(qint64 upToMs);
    match::TouchResult touch(match::Side who, match::Place place, qint64 atMs);
    void afterTouch(match::Side who, const match::TouchResult &r);
    void readingClosed();
    void sendsOrNext();
    void reportReading();
    void showCounts();
    void showEnd();
    // The end's figures; the advice once `recent` (the history's takes and
    // this match's) has been read.
    void showEndText(const std::optional<QList<qint64>> &recent);
    void showCursor();
    void setStatus(const QString &text);
    // The match record that could not be saved: told once during the match,
    // and again when the match is left while it still is not.
    void tellRecordTrouble();
    void leaveRecord();
    bool underway() const;
    bool mayRearrange() const;
    // Asks `question` with the match standing still: no tick, no opponent,
    // and the clocks of the reading, the gap and the memorisation moved on by
    // the time it took.
    bool askPaused(const std::function<bool()> &question);
    void keepFocusOnFloor(bool on);
    // The monotonic clock: reaction times, and the clock input events' own
    // time stamps are mapped onto.
    qint64 now() const;

    const Needs needs_;
    std::unique_ptr<match::Match> match_;
    match::MatchRecorder record_;
    std::array<MatchCard *, 101> cards_{};
    match::EventClock eventClock_;
    match::Memorisation memorisation_;
    match::Opponent opponent_{1};
    match::Plan plan_;
    deck::Reveal reveal_;
    platform::Random rng_;
    Phase phase_ = Phase::Arranging;
    qint64 readingStartMs_ = 0;
    qint64 decidedMs_ = 0;
    match::Reciter reciter_;
    qint64 session_ = 0;
    bool opponentFaultDone_ = false;
    bool recordTroubleTold_ = false;
    bool recordLossTold_ = false;
    bool holdClose_ = false; // a touch is being judged: its reading closes after it
    int takenShown_ = 0; // the card just taken, shown until the next reading
    std::array<QList<qint64>, 2> reactions_;
    // The history's recent takes for the advice, read off the window thread
    // when a match ends, and the session they were read for.
    QFutureWatcher<QList<qint64>> calibration_;
    qint64 calibrating_ = 0;
    match::Place cursor_{match::Side::Player, 0};
    std::optional<match::Place> held_; // a card picked up with the keyboard
    int dragged_ = 0;                  // a card being dragged with the mouse
    QHash<QWidget *, Qt::FocusPolicy> focusPolicies_; // of the controls, while readings run
};

extern TF_Match *F_Match;
