#pragma once

#include <QFutureWatcher>
#include <QHash>
#include <QPushButton>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "play/floorform.h"
#include "match/matchrecorder.h"
#include "match/opponent.h"
#include "match/rules.h"

class QSpinBox;

// The practice match window: the floor of 50 cards, the memorisation time,
// the readings against the computer opponent and the end screen.
class TF_Match : public FloorForm {
    Q_OBJECT
public:
    explicit TF_Match(const Needs &needs, QWidget *parent = nullptr);
    ~TF_Match() override;

    QComboBox *CbLevel;
    QLabel *LblLevel;
    QSpinBox *SpGap;
    QLabel *LblCount;
    QCheckBox *CbLayout;  // one's own cards laid by the standard layout
    QPushButton *BtnReplay; // opens a saved match
    QLabel *LblEnd;

    // Injected by tests: where each match is saved, and the saved match to
    // open (empty: none).
    std::function<QString()> recordFolder;
    std::function<QString()> askRecordFile;

    void BtnReplayClick();
    void touchPlace(match::Place place, qint64 atMs) override;
    void newMatch(quint32 seed);

    const match::Match &state() const { return *match_; }
    const match::Plan &plan() const { return plan_; }
    const match::MatchRecorder &matchRecord() const { return record_; }
    int levelNo() const;
    QList<qint64> playerReactions() const { return reactions_[0]; }

protected:
    void FormHide() override;
    void deal(quint32 seed) override { newMatch(seed); }
    const match::Field &field() const override { return match_->field(); }
    void memorisationStarted() override;
    void readingsStarting() override;
    QString countdownText(qint64 remainingMs) const override;
    match::Pace leadInPace() const override;
    bool nextReading() override;
    int poemRead() const override { return match_->poem(); }
    const deck::ReadSet &readBefore() const override { return match_->readBefore(); }
    bool readingOpen() const override { return match_->readingOpen(); }
    void readingOpened() override;
    void readingTicked() override;
    void readingTimedOut() override;
    void showEnd() override;
    bool beepsUnderVoice() const override;
    // Before the readings and between them; the rules have the last word.
    bool mayRearrange() const override;
    void moveOwnCard(int poem, match::Place from, match::Place to) override;
    void cardTouched(match::Place at, qint64 atMs) override;
    void takeKey(qint64 atMs) override;

private:
    void layCards();
    void arrangeByLayout();
    void moveCard(int poem);
    void hideTaken();
    void applyOpponent(qint64 upToMs);
    match::TouchResult touch(match::Side who, match::Place place, qint64 atMs);
    void afterTouch(match::Side who, const match::TouchResult &r);
    void readingClosed();
    void sendsOrNext();
    void reportReading();
    void showCounts();
    // The end's figures; the advice once `recent` (the history's takes and
    // this match's) has been read.
    void showEndText(const std::optional<QList<qint64>> &recent);
    // The match record that could not be saved: told once during the match,
    // and again when the match is left while it still is not.
    void tellRecordTrouble();
    void leaveRecord();
    void keepFocusOnFloor(bool on);

    std::unique_ptr<match::Match> match_;
    match::MatchRecorder record_;
    match::Opponent opponent_{1};
    match::Plan plan_;
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
    std::optional<match::Place> held_; // a card picked up with the keyboard
    QHash<QWidget *, Qt::FocusPolicy> focusPolicies_; // of the controls, while readings run
};

extern TF_Match *F_Match;
