#include "matchcard.h"

#include <QMouseEvent>
#include <QPainter>

MatchCard::MatchCard(QWidget *parent)
    : TSpeedButtonTategaki(parent)
{
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
    if (upsideDown_) {
        // Turning the painter keeps text and bevels at the device's
        // resolution, unlike turning a finished bitmap.
        Canvas.translate(width(), height());
        Canvas.rotate(180);
    }
    TSpeedButtonTategaki::Paint(Canvas);
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
