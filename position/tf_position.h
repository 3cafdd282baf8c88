#pragma once

#include <QPushButton>

#include <array>
#include <functional>
#include <memory>

#include "play/floorform.h"
#include "position/positiondrill.h"

class QSpinBox;

// The position drill (札の位置): a few cards laid out on the match floor,
// memorised, turned face down; each reading asks where its card lies.
class TF_Position : public FloorForm {
    Q_OBJECT
public:
    explicit TF_Position(const Needs &needs, QWidget *parent = nullptr);
    ~TF_Position() override;

    QSpinBox *SpCount;
    QComboBox *CbSet;
    QComboBox *CbArrange;
    QPushButton *BtnLayout;
    QPushButton *BtnDeal;
    QLabel *LblResult;

    // Injected by tests: where the standard layout is kept.
    QString settingsPath;

    void BtnDealClick();
    void BtnLayoutClick();
    void touchPlace(match::Place place, qint64 atMs) override;
    void newDrill(quint32 seed);

    const match::PositionDrill &drill() const { return *drill_; }
    QLabel *missMark(int poem) const;

protected:
    void FormShow() override;
    void deal(quint32 seed) override { newDrill(seed); }
    const match::Field &field() const override { return drill_->field(); }
    void memorisationStarted() override;
    void readingsStarting() override;
    QString countdownText(qint64 remainingMs) const override;
    bool nextReading() override;
    int poemRead() const override { return drill_->poem(); }
    const deck::ReadSet &readBefore() const override { return drill_->readBefore(); }
    void readingOpened() override;
    void readingTimedOut() override;
    void showEnd() override;
    bool mayRearrange() const override;
    void moveOwnCard(int poem, match::Place from, match::Place to) override;
    void emptyPlaceTouched(match::Place at, qint64 atMs) override { touchPlace(at, atMs); }
    // The frame moves only while the cards lie face down.
    bool frameFollowsKeys() const override;

private:
    void showCard(int poem, bool faceUp);
    void layCards();
    void readingClosed();
    void setControls(bool idle);

    std::unique_ptr<match::PositionDrill> drill_;
    std::array<QLabel *, 101> marks_{};
    int shownRead_ = 0; // the card just read, face up until the next reading
};

extern TF_Position *F_Position;
