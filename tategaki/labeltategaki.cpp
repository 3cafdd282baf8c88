#include "labeltategaki.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/ui/panel.h"
#include "tategaki/shaper.h"

namespace tategaki {

TCustomLabelTategaki::TCustomLabelTategaki(QWidget *parent)
    : TCustomTategaki(parent)
{
    FParentColor = true;
    // One column of a vertical text.
    resize(fontPixelSize(font()), 128);
}

void TCustomLabelTategaki::setCaption(const QByteArray &Value)
{
    if (Value == FCaption)
        return;
    FCaption = Value;
    update();
    AdjustBounds();
}

void TCustomLabelTategaki::setAlignment(TAlignment Value)
{
    SetAndRepaint(FAlignment, Value);
}

void TCustomLabelTategaki::setAutoSize(bool Value)
{
    if (Value == FAutoSize)
        return;
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabelTategaki::setKinsokuMargin(int Value)
{
    if (Value >= 0 && Value <= 100)
        SetAndRepaint(FKinsokuMargin, Value);
}

void TCustomLabelTategaki::setLayout(TTextLayout Value)
{
    SetAndRepaint(FLayout, Value);
}

void TCustomLabelTategaki::setLineMargin(int Value)
{
    SetAndRepaint(FLineMargin, Value);
}

void TCustomLabelTategaki::setMultiLine(bool Value)
{
    SetAndRepaint(FMultiLine, Value);
}

void TCustomLabelTategaki::setTategaki(bool Value)
{
    if (Value == FTategaki)
        return;
    FTategaki = Value;
    AdjustBounds();
    update();
}

QByteArray TCustomLabelTategaki::GetLabelText() const
{
    return FCaption;
}

TTategakiTextParams TCustomLabelTategaki::TextParams() const
{
    TTategakiTextParams params;
    params.Alignment = FAlignment;
    params.Layout = FLayout;
    params.MultiLine = FMultiLine;
    params.LineMargin = FLineMargin;
    params.Tategaki = FTategaki;
    params.MeasureOnly = false;
    params.KinsokuLevel = 2;
    params.KinsokuMargin = FKinsokuMargin;
    return params;
}

void TCustomLabelTategaki::AdjustBounds()
{
    if (!FAutoSize || FLoading)
        return;
    TRect r = TRect::fromQRect(geometry());
    TTategakiTextParams params = TextParams();
    params.MeasureOnly = true;
    params.KinsokuMargin = 0; // the size never reserves the hanging room
    FontMeasurer measurer(font(), FTategaki);
    if (!measurer.isValid())
        return;
    r = MeasureTategakiText(measurer, TategakiUnits(FCaption), r, params);
    if (FMultiLine) {
        if (FTategaki)
            r.Bottom = y() + height();
        else
            r.Right = x() + width();
    }
    // An empty multi-line caption measures as minus one LineMargin: no size
    // rather than a negative one, on the side that stays put.
    if (r.Width() < 0)
        r.Left = r.Right;
    if (r.Height() < 0)
        r.Bottom = r.Top;
    setGeometry(r.toQRect());
}

void TCustomLabelTategaki::DrawLabel(QPainter &Canvas)
{
    QByteArray text = GetLabelText();
    if (OnGetLabelText)
        OnGetLabelText(this, text);
    if (!Transparent())
        Canvas.fillRect(rect(), Color());
    Canvas.setPen(palette().color(foregroundRole()));
    TRect r = TRect::fromQRect(rect());
    // The label's own Enabled, as a disabled parent does not grey it.
    const bool enabled = !testAttribute(Qt::WA_ForceDisabled);
    DrawTategakiTextState(Canvas, font(), text, enabled, TextParams(), r);
}

void TCustomLabelTategaki::Paint(QPainter &Canvas)
{
    PaintMixed(
        Canvas, [](TCustomTategaki *control, QPainter &canvas) { static_cast<TCustomLabelTategaki *>(control)->DrawLabel(canvas); },
        MixLevel(Canvas));
}

void TCustomLabelTategaki::changeEvent(QEvent *event)
{
    TCustomTategaki::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        update();
        AdjustBounds();
        break;
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
        update();
        break;
    default:
        break;
    }
}

void TCustomLabelTategaki::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
    if (event->button() == Qt::LeftButton)
        FPressed = true;
}

void TCustomLabelTategaki::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, Qt::NoButton, event->modifiers(), p.x(), p.y());
}

void TCustomLabelTategaki::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    if (event->button() == Qt::LeftButton) {
        const bool click = FPressed && rect().contains(p);
        FPressed = false;
        if (click && OnClick)
            OnClick(this);
    }
}

void TCustomLabelTategaki::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click: OnDblClick instead of a click.
    const QPoint p = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
    FPressed = false;
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
}

TLabelTategaki::TLabelTategaki(QWidget *parent)
    : TCustomLabelTategaki(parent)
{
}

} // namespace tategaki
