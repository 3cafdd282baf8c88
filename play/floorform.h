#pragma once

#include <QPushButton>

#include <functional>
#include <memory>

#include "deck/reveal.h"
#include "play/field.h"
#include "play/floorview.h"
#include "play/reciter.h"
#include "play/timing.h"
#include "platform/random.h"
#include "platform/ui/form.h"
#include "platform/ui/panel.h"
#include "play/playneeds.h"
#include "platform/ui/ticktimer.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTimer;
class MatchCard;
namespace tategaki {
class TLabelTategaki;
}

// A window played on the floor: the cards laid out, memorised for a while,
// then read one after another, each reading led in by the verse before it,
// and a quit question that holds everything still while it is open. The
// match adds its opponent and its sends; the position drill its verdicts.
class FloorForm : public platform::ui::Form {
    Q_OBJECT
public:
    using Needs = play::PlayNeeds;

    // Waiting: the lead-in before a reading. Sending: a card owed after a
    // take across (the match only).
    enum class Phase { Arranging, Memorising, Reading, Sending, Waiting, Over };

    ~FloorForm() override;

    QComboBox *CbMemorise;
    QPushButton *BtnMemorise;
    QPushButton *BtnStartNow;
    QLabel *LblStatus;
    QPushButton *BtnClose;
    platform::ui::Panel *PField;
    platform::ui::Panel *PReading;
    tategaki::TLabelTategaki *lt1;
    tategaki::TLabelTategaki *lt2;
    QCheckBox *CbYomiage; // reading aloud, shared with the game
    QWidget *Cursor;      // the keyboard's frame
    platform::ui::TickTimer *Timer1; // the reading's 150 ms ticks, and the lead-in's before it
    QTimer *TimerWait;               // the memorisation's countdown

    // Injected by tests: the question asked before leaving while under way.
    std::function<bool()> confirmLeave;

    void BtnMemoriseClick();
    void BtnStartNowClick();
    void BtnCloseClick();
    void Timer1Timer();
    void TimerWaitTimer();
    // A touch of a floor place (mouse press or the keyboard), with the
    // monotonic time it happened.
    virtual void touchPlace(match::Place place, qint64 atMs) = 0;

    Phase phase() const { return phase_; }
    MatchCard *cardOf(int poem) const { return floor_.cardOf(poem); }
    match::Place cursor() const { return cursor_; }
    qint64 decidedMs() const { return decidedMs_; }

protected:
    FloorForm(const Needs &needs, const QString &title, const QString &name, const QString &leaveQuestion,
              QWidget *parent);

    // A fresh deal from `seed`, laid out and waiting to be arranged.
    virtual void deal(quint32 seed) = 0;
    virtual const match::Field &field() const = 0;
    // The controls closed by the memorisation, and by the readings' start
    // (with the history's session opened).
    virtual void memorisationStarted() = 0;
    virtual void readingsStarting() = 0;
    virtual QString countdownText(qint64 remainingMs) const = 0;
    virtual match::Pace leadInPace() const { return {}; }
    // The next reading opened by the rules: false when none is left.
    virtual bool nextReading() = 0;
    virtual int poemRead() const = 0;
    virtual const deck::ReadSet &readBefore() const = 0;
    virtual bool readingOpen() const { return phase_ == Phase::Reading; }
    virtual void readingOpened() = 0;
    virtual void readingTicked() {}
    virtual void readingTimedOut() = 0;
    virtual void showEnd() = 0;
    // Whether the reading's beeps sound over the voice.
    virtual bool beepsUnderVoice() const { return true; }
    // Own cards may be moved (dragged, or picked up with the take key).
    virtual bool mayRearrange() const = 0;
    virtual void moveOwnCard(int poem, match::Place from, match::Place to) = 0;
    virtual void cardTouched(match::Place at, qint64 atMs) { touchPlace(at, atMs); }
    virtual void emptyPlaceTouched(match::Place, qint64) {}
    virtual void takeKey(qint64 atMs) { touchPlace(cursor_, atMs); }
    virtual bool frameFollowsKeys() const { return true; }

    void FormShow() override;
    void FormHide() override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    bool underway() const { return phase_ != Phase::Arranging && phase_ != Phase::Over; }
    // `follow`: right after the reading of `previousPoem` was judged.
    void startLeadIn(int previousPoem, bool follow = false);
    void startReading();
    // The timers and the voice stopped, as at the end or when hidden.
    void standStill();
    // The verses of the reading just closed, whole, its ticks stopped.
    void showVerses(int poem);
    void clearVerses();
    void showCursor() { floor_.showFrame(cursor_); }
    void setStatus(const QString &text);
    // Asks `question` with everything standing still: no tick, and the
    // clocks of the reading and the memorisation moved on by its time.
    bool askPaused(const std::function<bool()> &question);
    // The monotonic clock: reaction times, and the clock input events' own
    // time stamps are mapped onto.
    qint64 now() const;

    const Needs needs_;
    FloorView floor_;
    match::EventClock eventClock_;
    match::Memorisation memorisation_;
    deck::Reveal reveal_;
    platform::Random rng_;
    match::Reciter reciter_;
    Phase phase_ = Phase::Arranging;
    qint64 readingStartMs_ = 0;
    qint64 decidedMs_ = 0;
    qint64 session_ = 0;
    int dragged_ = 0; // a card being dragged with the mouse
    match::Place cursor_{match::Side::Player, match::slotAt(match::kRows - 1, 0)};

private:
    void leadInTick();
    void cardPressed(MatchCard *card, qint64 stamp);
    void cardReleased(MatchCard *card, QPoint inField);
};
