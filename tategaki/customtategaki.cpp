#include "customtategaki.h"

#include "platform/ui/panel.h"
#include "tategaki/mixbackground.h"

#include <QPaintEngine>
#include <QPainter>

namespace tategaki {

TCustomTategaki::TCustomTategaki(QWidget *parent)
    : QWidget(parent)
{
    UpdateOpaque();
}

void TCustomTategaki::setTrnsIndex(TTrnsIndex Value)
{
    if (Value > 7 || Value == FTrnsIndex)
        return;
    FTrnsIndex = Value;
    UpdateOpaque();
    update();
}

void TCustomTategaki::setTransparent(bool Value)
{
    if (Value == FTransparent)
        return;
    FTransparent = Value;
    UpdateOpaque();
    update();
}

bool TCustomTategaki::IsOpaque() const
{
    return !FTransparent && FTrnsIndex == 0;
}

void TCustomTategaki::UpdateOpaque()
{
    // An opaque control paints every pixel itself, so Qt may skip the parent
    // beneath it; any other control shows what the parent painted.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent, IsOpaque());
}

bool TCustomTategaki::IsPrinterCanvas(const QPainter &Canvas)
{
    // A widget painted into a printer keeps the widget as device(); the
    // engine knows where the pixels really go.
    if (Canvas.device() && Canvas.device()->devType() == QInternal::Printer)
        return true;
    const QPaintEngine *engine = Canvas.paintEngine();
    return engine && engine->paintDevice() && engine->paintDevice()->devType() == QInternal::Printer;
}

int TCustomTategaki::MixLevel(const QPainter &Canvas) const
{
    if (IsPrinterCanvas(Canvas) && !FTrnsPrint)
        return 0;
    return FTrnsIndex;
}

void TCustomTategaki::PaintMixed(QPainter &Canvas, const TTategakiDrawProc &DrawProc, int Level)
{
    if (Level <= 0)
        DrawProc(this, Canvas);
    else
        paintMixedWidget(Canvas, *this, paintedRect(Canvas, rect()),
                         [&](QPainter &p) { DrawProc(this, p); }, Level);
}

void TCustomTategaki::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    Paint(canvas);
}

void TCustomTategaki::Paint(QPainter &) {}

void TCustomTategaki::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TCustomTategaki::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TCustomTategaki::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    MouseEnter();
}

void TCustomTategaki::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    MouseLeave();
}

QColor TCustomTategaki::Color() const
{
    if (!FParentColor)
        return FColor;
    const QWidget *parent = parentWidget();
    if (!parent)
        return palette().color(QPalette::Window);
    if (const auto *panel = qobject_cast<const platform::ui::Panel *>(parent))
        return panel->color();
    return parent->palette().color(parent->backgroundRole());
}

void TCustomTategaki::setColor(const QColor &Value)
{
    if (!FParentColor && Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    update();
}

void TCustomTategaki::setParentColor(bool Value)
{
    SetAndRepaint(FParentColor, Value);
}

} // namespace tategaki
