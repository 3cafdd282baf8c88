#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <bitset>
#include <memory>
#include <optional>

#include "history/schedulecache.h"
#include "history/weak.h"
#include "history/words.h"
#include "platform/services.h"
#include "platform/ui/form.h"
#include "play/playneeds.h"
#include "platform/ui/panel.h"
#include "training/quizrules.h"
#include "voice/speaker.h"


// The training quiz: one upper verse, ten lower verses on numbered rows, ten
// seconds to pick. A miss brings the poem back a few questions later, so a
// run ends when every poem has been answered right once.
//
// The five counters live only as the texts of their value labels. A question
// is open exactly while Timer1 runs; picks and ticks outside that are ignored.
class TF_Training : public platform::ui::Form {
    Q_OBJECT
public:
    using Needs = play::PlayNeeds;

    // `schedules`, shared with the statistics, outlives the window; without
    // it the window keeps a cache of its own.
    explicit TF_Training(const Needs &needs, QWidget *parent = nullptr, history::ScheduleCache *schedules = nullptr);
    ~TF_Training() override;

    platform::ui::Panel *PnlHantei;
    platform::ui::Panel *Panel2;
    QLabel *LblMondai;
    QLabel *LblMondaiK;
    platform::ui::Panel *Panel4;
    QLabel *LblMondaisu;
    QLabel *LblSeikai;
    QLabel *LblMachigai;
    QLabel *LblSeikairitu;
    QLabel *LblNokoriJikan;
    platform::ui::Panel *Panel1; // Btn0..9, Lbl0..9, LblK0..9, found by name
    platform::ui::Panel *Panel10;
    QCheckBox *CbIro;
    platform::ui::Panel *Panel3;
    QPushButton *BtnShutudai;
    QPushButton *BtnClose;
    // The weak-poem drill, off by default: the run is the N weakest poems.
    QCheckBox *CbDrill;
    QSpinBox *SpDrill;
    QLabel *LblDrill;
    QComboBox *CmbSet; // the set to drill: item 0 is the whole hundred, then the review, the sets by sound, the player's
    QToolButton *BtnSets; // the player's sets and the review's options (OwnSetsDialog)
    QTimer *Timer1; // countdown, 1000 ms while a question is open
    QTimer *Timer2; // blink of the right row, 300 ms after a verdict
    std::unique_ptr<platform::WavePlayer> MP1; // "Push.wav", open while shown
    std::unique_ptr<platform::WavePlayer> MP2; // "Close.wav", open while shown
    // Listening ("聞き取り"), between the question and the answer rows: the
    // upper verse is only heard until the pick; the label shows how long
    // after its deciding syllables were heard the pick came (or why the
    // mode cannot be used here).
    QCheckBox *CbKikitori;
    QComboBox *CmbMa; // the reader's pause before the verse (item data: ms)
    QLabel *LblKikitori;
    QTimer *TimerYomi; // single shot: the pause is over, the verse is spoken

    // Run state.
    training::MondaiListType MondaiList{};
    int MondaiNo = 0;
    training::SentakushiList Sentakushi{};
    training::KaitoRanList KaitoRan{};
    int SeikaiNo = 0;
    // Opt-in: a set of poems to drill, by sound or the player's own; empty
    // for the whole hundred. Takes effect at the next run.
    QList<deck::PoemNo> DrillPoems;
    // Today's review, chosen in CmbSet: its poems in the order asked, from
    // the history as it stands each time the window is shown. Worked out off
    // the window thread: until it is in, the item says so and 出題 waits.
    bool Review = false;
    QList<deck::PoemNo> ReviewPoems;
    static constexpr int kReviewItem = -1; // CmbSet's item data for it
    int runLength = deck::kPoemCount; // questions to answer right; fewer in a drill
    training::MissedPoems Missed; // poems missed at least once in this run

    void BtnShutudaiClick();
    void Btn0Click(QObject *Sender); // shared by Btn0..Btn9; the tag is the row
    void Timer1Timer();
    void Timer2Timer();
    void BtnCloseClick();
    void TimerYomiTimer();
    void BtnSetsClick();
    // After the player's sets or the review's options changed: CmbSet and
    // today's review read again, the run rebuilt unless it has begun.
    void setsEdited();

    bool questionOpen() const { return Timer1->isActive(); }
    // The last listening answer's ms after its deciding syllables were
    // heard (negative: picked before); nullopt after a time-out or outside
    // the listening mode. What the learning history keeps as spoken timing.
    std::optional<qint64> listeningMsAfterDeciding() const { return msAfterDeciding_; }
    // Runs the event loop until the drill's takes are read and its run built (tests).
    void waitUntilDrillReady();
    bool reviewPending() const { return reviewPending_; }
    history::ScheduleCache &schedules() const { return *schedules_; }

protected:
    void FormShow() override;
    void FormHide() override;
    // Bare digit keys choose a row, as the "(&0)" .. "(&9)" mnemonics do in a
    // dialog while a button has the focus.
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool listening() const { return CbKikitori->isEnabled() && CbKikitori->isChecked(); }
    void showListeningResult(bool timedOut);
    void MondaiShuryo();
    void MachigaiShori();
    void buildRun();
    void loadWeakTakes();
    void weakTakesLoaded();
    void drillChanged();
    void refreshReview();
    void showReview();
    void scheduleReady();
    void holdRun();
    void fillSets();
    void recordAnswer(history::Outcome outcome, int row);

    const Needs needs_;
    std::unique_ptr<history::ScheduleCache> ownSchedules_;
    history::ScheduleCache *schedules_;
    bool reviewPending_ = false;
    bool runStarted_ = false;
    // The drill's takes, read once per run off the window thread.
    std::optional<QList<history::WeakTake>> weakTakes_;
    QDate weakDay_;
    QFutureWatcher<QList<history::WeakTake>> weakLoad_;
    bool loadingWeak_ = false;
    bool focusAfterLoad_ = false;
    qint64 session_ = 0;
    qint64 posedAt_ = 0;
    std::array<int, training::kChoiceCount> rowPoem_{};
    void showRunSummary();

    void buildLayout();
    void addCounter(platform::ui::Panel *parent, const QString &caption, int y, QLabel *&value, const char *name,
                    const QString &unit, int unitX);

    voice::Reader reader_;
    std::bitset<deck::kPoemCount + 1> asked_; // poems posed so far in this run
    int askedPoem_ = 0;                       // the poem of the open (or last) question
    int listenPoem_ = 0;                      // the poem being heard; 0 when not listening
    int voiceDelayMs_ = 0;
    std::optional<qint64> msAfterDeciding_;
};

extern TF_Training *F_Training;
