#pragma once

#include <QDialog>

#include <array>
#include <memory>

#include "play/floorview.h"
#include "match/replay.h"

class QLabel;
class QPushButton;
class MatchCard;
namespace deck {
class PoemTableData;
}
namespace platform {
class Messages;
}
namespace platform::ui {
class Panel;
}

// A saved match shown reading by reading: the floor as it stood after each
// reading (the card just taken left in its place, in the taker's colour),
// and what the rules judged. Frame 0 is the arrangement the readings began
// from; frame n follows reading n.
class MatchReplayView : public QDialog {
    Q_OBJECT
public:
    MatchReplayView(const deck::PoemTableData &poems, const match::Replay &replay, const QString &name,
                    QWidget *parent = nullptr);

    QPushButton *BtnPrev;
    QPushButton *BtnNext;
    QPushButton *BtnClose;
    QLabel *LblReading;
    platform::ui::Panel *PField;

    // The record in `path` ready to be shown; null, with the player told
    // why through `messages`, when it cannot be read or its notation is
    // broken. A record the rules refuse is shown up to the line they refuse.
    static std::unique_ptr<MatchReplayView> open(const deck::PoemTableData &poems, platform::Messages &messages,
                                                 const QString &path, QWidget *parent = nullptr);

    void BtnPrevClick();
    void BtnNextClick();
    int frame() const { return frame_; }
    int frames() const { return static_cast<int>(replay_.readings.size()) + 1; }
    MatchCard *cardOf(int poem) const { return floor_.cardOf(poem); }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showFrame(int n);

    const match::Replay replay_;
    FloorView floor_;
    int frame_ = 0;
};
