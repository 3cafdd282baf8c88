#include "matchcard.h"

#include <QMouseEvent>
#include <QPainter>

MatchCard::MatchCard(QWidget *parent)
    : TSpeedButtonTategaki(parent)
{
    OnDrawButton = [this](tategaki::TCustomSpeedButtonTategaki *, tategaki::TDrawButtonZelInfo &info) {
        if (pass_ == Pass::FrameOnly) {
            info.Caption.clear();
        } else if (pass_ == Pass::TextOnly) {
            info.Frame = false;
            info.Color = tategaki::clNone;
        }
    };
}

void MatchCard::setUpsideDown(bool on)
{
    if (upsideDown_ != on) {
        upsideDown_ = on;
        update();
    }
}

void MatchCard::Paint(QPainter &Canvas)
{
    if (!upsideDown_) {
        TSpeedButtonTategaki::Paint(Canvas);
        return;
    }
    // Face and bevels stay lit from the same side as every other card; only
    // the text turns. Turning the painter, not a finished bitmap, keeps the
    // text at the device's resolution.
    pass_ = Pass::FrameOnly;
    TSpeedButtonTategaki::Paint(Canvas);
    Canvas.save();
    Canvas.translate(width(), height());
    Canvas.rotate(180);
    pass_ = Pass::TextOnly;
    TSpeedButtonTategaki::Paint(Canvas);
    Canvas.restore();
    pass_ = Pass::Whole;
}

void MatchCard::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && OnPress)
        OnPress(this, qint64(event->timestamp()));
    TSpeedButtonTategaki::mousePressEvent(event);
}

void MatchCard::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = mapToParent(event->position().toPoint());
    TSpeedButtonTategaki::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && OnRelease)
        OnRelease(this, at);
}
