#pragma once

#include <QPushButton>

#include <array>
#include <functional>
#include <memory>

#include "deck/reveal.h"
#include "match/reciter.h"
#include "match/positiondrill.h"
#include "match/timing.h"
#include "platform/ui/form.h"
#include "platform/ui/panel.h"
#include "platform/ui/playneeds.h"
#include "platform/ui/ticktimer.h"
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

// How a reading of the drill is revealed, as the match reveals it.
deck::Reveal drillReveal(int poem, const deck::ReadSet &readBefore);

// The position drill (札の位置): a few cards laid out on the match floor,
// memorised, turned face down; each reading asks where its card lies.
class TF_Position : public platform::ui::Form {
    Q_OBJECT
public:
    using Needs = platform::ui::PlayNeeds;

    explicit TF_Position(const Needs &needs, QWidget *parent = nullptr);
    ~TF_Position() override;

    enum class Phase { Arranging, Memorising, Reading, Waiting, Over }; // Waiting: the lead-in

    QSpinBox *SpCount;
    QComboBox *CbSet;
    QComboBox *CbArrange;
    QPushButton *BtnLayout;
    QPushButton *BtnDeal;
    QComboBox *CbMemorise;
    QPushButton *BtnMemorise;
    QPushButton *BtnStartNow;
    QLabel *LblStatus;
    QPushButton *BtnClose;
    platform::ui::Panel *PField;
    platform::ui::Panel *PReading;
    tategaki::TLabelTategaki *lt1;
    tategaki::TLabelTategaki *lt2;
    QLabel *LblResult;
    QCheckBox *CbYomiage;
    QWidget *Cursor; // the place last clicked
    platform::ui::TickTimer *Timer1; // the reading's ticks
    QTimer *TimerWait;               // the memorisation's countdown

    // Injected by tests: the question before leaving a drill under way, and
    // where the standard layout is kept.
    std::function<bool()> confirmLeave;
    QString settingsPath;

    void BtnDealClick();
    void BtnLayoutClick();
    void BtnMemoriseClick();
    void BtnStartNowClick();
    void BtnCloseClick();
    void Timer1Timer();
    void TimerWaitTimer();
    void touchPlace(match::Place place, qint64 atMs);
    void newDrill(quint32 seed);

    Phase phase() const { return phase_; }
    const match::PositionDrill &drill() const { return *drill_; }
    MatchCard *cardOf(int poem) const;
    QLabel *missMark(int poem) const;
    qint64 decidedMs() const { return decidedMs_; }

protected:
    void FormShow() override;
    void FormHide() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showCard(int poem, bool faceUp);
    void layCards();
    void cardPressed(MatchCard *card, qint64 stamp);
    void cardReleased(MatchCard *card, QPoint inField);
    // `follow`: right after the reading of `previousPoem` was judged.
    void startLeadIn(int previousPoem, bool follow = false);
    bool askPaused();
    void startReading();
    void readingClosed();
    void showEnd();
    void setControls(bool idle);
    qint64 now() const;

    const Needs needs_;
    std::unique_ptr<match::PositionDrill> drill_;
    std::array<MatchCard *, 101> cards_{};
    std::array<QLabel *, 101> marks_{};
    match::EventClock eventClock_;
    match::Memorisation memorisation_;
    deck::Reveal reveal_;
    platform::Random rng_;
    match::Reciter reciter_; // reads as the match reads
    Phase phase_ = Phase::Arranging;
    qint64 readingStartMs_ = 0;
    qint64 decidedMs_ = 0;
    qint64 session_ = 0;
    int shownRead_ = 0; // the card just read, face up until the next reading
    int dragged_ = 0;
    match::Place cursor_{match::Side::Player, match::slotAt(match::kRows - 1, 0)}; // the keyboard's frame
};

extern TF_Position *F_Position;
