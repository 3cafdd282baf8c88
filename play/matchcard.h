#pragma once

#include "tategaki/speedbuttontategaki.h"

#include <functional>

// A card on the match floor: the project's vertical speed button, drawn
// upside down on the opponent's side, reporting a press with the event's
// own time (a take is judged on the press, not on the release).
class MatchCard : public tategaki::TSpeedButtonTategaki {
    Q_OBJECT
public:
    explicit MatchCard(QWidget *parent = nullptr);

    bool upsideDown() const { return upsideDown_; }
    void setUpsideDown(bool on);

    std::function<void(MatchCard *, qint64 stamp)> OnPress;
    std::function<void(MatchCard *, QPoint posInParent)> OnRelease;

protected:
    void Paint(QPainter &Canvas) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    enum class Pass { Whole, FrameOnly, TextOnly };
    bool upsideDown_ = false;
    Pass pass_ = Pass::Whole;
};
