#pragma once

#include <QPushButton>

#include <memory>
#include <optional>

#include "game/boardlayout.h"
#include "game/gamerules.h"
#include "history/readingclock.h"
#include "platform/ui/form.h"
#include "play/playneeds.h"
#include "platform/ui/ticktimer.h"
#include "platform/ui/panel.h"
#include "voice/speaker.h"

class DecidedMark;
class QCheckBox;
class QLabel;

namespace platform {
class WavePlayer;
}
namespace tategaki {
class TLabelTategaki;
class TSpeedButtonTategaki;
}

// The card-taking game window; one class serves the three board sizes, each
// window with a game state of its own.
class TF_Game : public platform::ui::Form {
    Q_OBJECT
public:
    using Needs = play::PlayNeeds;

    TF_Game(game::BoardSize size, const Needs &needs, QWidget *parent = nullptr);
    ~TF_Game() override;

    QPushButton *BtnShow;
    QPushButton *BtnStart;
    QPushButton *BtnYomijun;
    QPushButton *BtnTorijun;
    QPushButton *BtnReset;
    QPushButton *BtnClose;
    QLabel *Label1;
    platform::ui::Panel *PTokuten;
    platform::ui::Panel *Panel2; // the board, parent of sbt1 .. sbtN
    platform::ui::Panel *Panel1; // the reading panel, parent of lt1 and lt2
    tategaki::TLabelTategaki *lt1;
    tategaki::TLabelTategaki *lt2;
    DecidedMark *Kimari; // beside lt1, where the reading became decided
    std::unique_ptr<platform::WavePlayer> MP1;
    std::unique_ptr<platform::WavePlayer> MP2;
    platform::ui::TickTimer *Timer1;
    // Feedback beyond the fixed controls, placed in free space only: the
    // reading's number, the last take's points and a frame over the card
    // clicked wrongly. The L board has no free space for the two labels.
    QLabel *LblYomiNo = nullptr;
    QLabel *LblLastTake = nullptr;
    QWidget *WrongMark;
    // "読み上げ": on the S and M boards in a free corner; every board also
    // offers it on its context menu. Null where the board has no room.
    QCheckBox *CbYomiage = nullptr;

    void BtnShowClick();
    void BtnStartClick();
    void Timer1Timer();
    void sbt1Click(QObject *Sender);
    void BtnYomijunClick();
    void BtnTorijunClick();
    void BtnResetClick();
    void BtnCloseClick();

    const game::Board &board() const { return board_; }
    const game::Game &state() const { return game_; }
    // Card button sbt<k>, looked up by its name.
    tategaki::TSpeedButtonTategaki *card(int k) const;

protected:
    void FormShow() override;
    void FormHide() override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void MakeYomijun();
    void sortBoard(game::SortKey key);
    void showBoard();
    void setCard(int k, const QByteArray &caption, bool enabled);
    void markCard(int k, const QColor &color);
    void appendByte(tategaki::TLabelTategaki *label, char byte);
    void showWholeVerses();
    void addToScore(int points);
    void endOfGame();
    void recordTake(std::optional<game::Verdict::Kind> verdict, int tag); // none: time-out
    void showFeedback(const QString &reading, const QString &lastTake);
    void markWrongCard(const QWidget *card);

    const Needs needs_;
    const game::Board &board_;
    game::Game game_;
    history::ReadingClock readingClock_;
    qint64 session_ = 0;
    voice::Reader reader_;
};

class TF_24 : public TF_Game {
    Q_OBJECT
public:
    explicit TF_24(const Needs &needs, QWidget *parent = nullptr);
};

class TF_44 : public TF_Game {
    Q_OBJECT
public:
    explicit TF_44(const Needs &needs, QWidget *parent = nullptr);
};

class TF_84 : public TF_Game {
    Q_OBJECT
public:
    explicit TF_84(const Needs &needs, QWidget *parent = nullptr);
};

extern TF_24 *F_24;
extern TF_44 *F_44;
extern TF_84 *F_84;
