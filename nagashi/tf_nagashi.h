#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>

#include "nagashi/drill.h"
#include "platform/ui/form.h"
#include "platform/ui/panel.h"
#include "play/playneeds.h"

namespace tategaki {
class TLabelTategaki;
class TSpeedButtonTategaki;
}

// 札流し: the lower-verse cards of a set, one at a time against the clock.
// Each is answered by picking its deciding syllables (keys 1-4) or by
// flipping it (Space) and grading oneself (J knew, F did not). A run ends
// with its total time, the slowest cards and the misses, and offers a
// re-drill of those.
//
// A card is open exactly while running() and its time counts from its
// showing on the monotonic clock; keys and clicks outside a run do nothing.
class TF_Nagashi : public platform::ui::Form {
    Q_OBJECT
public:
    using Needs = play::PlayNeeds;

    explicit TF_Nagashi(const Needs &needs, QWidget *parent = nullptr);
    ~TF_Nagashi() override;

    QComboBox *CmbSet;    // the set to drill; item 0 is the whole hundred
    QComboBox *CmbAnswer; // item 0 picks the deciding syllables, item 1 flips
    QLabel *LblHow;       // the keys of the chosen way, always in sight
    platform::ui::Panel *PnlCard;
    tategaki::TSpeedButtonTategaki *Card;    // the lower verse
    tategaki::TLabelTategaki *LtKaminoku;    // the upper verse, once flipped
    std::array<QPushButton *, nagashi::kChoiceCount> BtnChoice{}; // BtnChoice1 ..
    QLabel *LblProgress;
    QLabel *LblLast;
    QPlainTextEdit *TxtSummary;
    QPushButton *BtnStart;
    QPushButton *BtnRedrill;
    QPushButton *BtnClose;

    void BtnStartClick();
    void BtnRedrillClick();
    void BtnCloseClick();
    void ChoiceClick(int index); // 0-based
    void Flip();
    void Grade(bool knew);

    bool running() const { return running_; }
    bool flipping() const { return CmbAnswer->currentIndex() == 1; }
    deck::PoemNo currentPoem() const { return running_ ? order_[position_] : 0; }
    const nagashi::Choices &choices() const { return choices_; }
    const nagashi::Summary &summary() const { return summary_; }

protected:
    void FormShow() override;
    void FormHide() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void startRun(const QList<deck::PoemNo> &poems);
    void showCard();
    void finishCard(bool right, deck::PoemNo chosen, qint64 ms);
    void endRun();
    void showHow();
    void setIdle(bool idle);
    qint64 now() const;

    const Needs needs_;
    bool running_ = false;
    bool flipped_ = false;
    QList<deck::PoemNo> order_;
    int position_ = 0;
    qint64 runStartedAt_ = 0;
    qint64 shownAt_ = 0;
    qint64 flipMs_ = 0;
    qint64 session_ = 0;
    nagashi::Choices choices_;
    QList<nagashi::CardResult> results_;
    nagashi::Summary summary_;
};

extern TF_Nagashi *F_Nagashi;
