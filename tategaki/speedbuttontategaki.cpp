#include "speedbuttontategaki.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "platform/gui/colors.h"
#include "tategaki/facecache.h"
#include "platform/ui/panel.h"

namespace tategaki {
namespace {

namespace cl = platform::colors;

QRect toQRect(const TRect &r)
{
    return r.toQRect();
}

TRect grown(TRect r)
{
    return {r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1};
}

TRect moved(TRect r, int dx, int dy)
{
    r.Offset(dx, dy);
    return r;
}

TRect adjusted(TRect r, int dl, int dt, int dr, int db)
{
    return {r.Left + dl, r.Top + dt, r.Right + dr, r.Bottom + db};
}

// Two one-pixel rings, outer first: a classic 3-D edge.
void bevel(QPainter &p, const TRect &r, QColor outerTL, QColor outerBR, QColor innerTL, QColor innerBR)
{
    const QRect inner = platform::ui::frame3D(p, toQRect(r), outerTL, outerBR, 1);
    platform::ui::frame3D(p, inner, innerTL, innerBR, 1);
}

void drawRectFrame(QPainter &p, const TRect &r, TTategakiFrameStyle style)
{
    switch (style) {
    case tfsRaised:
        bevel(p, r, cl::cl3DLight, cl::cl3DDkShadow, cl::clBtnHighlight, cl::clBtnShadow);
        break;
    case tfsLowered:
        bevel(p, r, cl::clBtnShadow, cl::clBtnHighlight, cl::cl3DDkShadow, cl::cl3DLight);
        break;
    case tfsFlatRaised:
        platform::ui::frame3D(p, toQRect(r), cl::clBtnHighlight, cl::clBtnShadow, 1);
        break;
    case tfsFlatLowered:
        platform::ui::frame3D(p, toQRect(r), cl::clBtnShadow, cl::clBtnHighlight, 1);
        break;
    case tfsNone:
        break;
    }
}

void ring(QPainter &p, const TRect &r, const QColor &color)
{
    p.setPen(QPen(color, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(r.Left, r.Top, r.Width(), r.Height()));
}

void drawRings(QPainter &p, const TRect &R, TTategakiFrameStyle style, const ButtonShades &s)
{
    const TRect G = grown(R);
    switch (style) {
    case tfsRaised:
        ring(p, moved(R, -2, -2), s.ShadeShadow);
        ring(p, moved(R, 1, 1), s.ShadeLight);
        ring(p, moved(G, -2, -2), s.ShadeDark);
        ring(p, moved(G, 1, 1), s.ShadeHighlight);
        break;
    case tfsLowered:
        ring(p, moved(R, 1, 1), s.ShadeShadow);
        ring(p, adjusted(moved(R, -2, -2), 0, 0, 1, 1), s.ShadeLight);
        ring(p, moved(G, 1, 1), s.ShadeDark);
        ring(p, moved(G, -2, -2), s.ShadeHighlight);
        break;
    case tfsFlatRaised:
        ring(p, adjusted(moved(G, -2, -2), -1, -1, 0, 0), s.ShadeShadow);
        ring(p, adjusted(moved(G, 1, 1), 0, 0, 1, 1), s.ShadeHighlight);
        break;
    case tfsFlatLowered:
        ring(p, adjusted(moved(G, 1, 1), 0, 0, 1, 1), s.ShadeShadow);
        ring(p, adjusted(moved(G, -2, -2), 0, 0, 1, 1), s.ShadeHighlight);
        break;
    case tfsNone:
        break;
    }
}

void drawFocusMark(QPainter &p, const TRect &R, bool elliptic)
{
    const TRect f = adjusted(R, 4, 4, -4, -4);
    if (f.Width() <= 0 || f.Height() <= 0)
        return;
    p.save();
    // Dotted and inverting, so it shows on any face and a second draw
    // would take it away again.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen dots(Qt::white, 1);
    dots.setDashPattern({1, 1}); // every other pixel
    p.setPen(dots);
    p.setBrush(Qt::NoBrush);
    if (elliptic)
        p.drawEllipse(QRect(f.Left, f.Top, f.Width() - 1, f.Height() - 1));
    else
        p.drawRect(QRect(f.Left, f.Top, f.Width() - 1, f.Height() - 1));
    p.restore();
}

QRegion ellipseRegion(int width, int height)
{
    // Row spans of exactly the points the hit test accepts.
    QRegion region;
    for (int y = 0; y < height; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < width; ++x)
            if (ellipseHit(x, y, width, height)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        if (first >= 0)
            region += QRect(first, y, last - first + 1, 1);
    }
    return region;
}

} // namespace

void DrawButtonFace(QPainter &Canvas, const TDrawButtonZelInfo &Info, bool Elliptic)
{
    const TRect R = Info.Rect;
    Canvas.save();

    // Background, frame and image first; the caption goes over them.
    if (Info.Color.isValid()) {
        if (Elliptic) {
            Canvas.setRenderHint(QPainter::Antialiasing, true);
            Canvas.setPen(QPen(Info.Color, 2));
            Canvas.setBrush(Info.Color);
            Canvas.drawEllipse(QRectF(R.Left + 1, R.Top + 1, R.Width() - 2, R.Height() - 2));
        } else {
            Canvas.fillRect(toQRect(R), Info.Color);
        }
    }

    if (Info.Frame) {
        if (Elliptic) {
            Canvas.setRenderHint(QPainter::Antialiasing, true);
            drawRings(Canvas, R, Info.FrameStyle, DeriveShades(Info.Color));
        } else {
            Canvas.setRenderHint(QPainter::Antialiasing, false);
            drawRectFrame(Canvas, R, Info.FrameStyle);
        }
    }
    Canvas.setRenderHint(QPainter::Antialiasing, false);

    // The caption's box: inside the frame, pushed down-right while lowered.
    TRect T = adjusted(R, 4, 4, -4, -4);
    T.Offset(Info.Offset.x(), Info.Offset.y());
    TTategakiTextParams params;
    params.Alignment = taCenter;
    params.Layout = tlCenter;
    params.MultiLine = Info.MultiLine;
    params.LineMargin = 2;
    params.Tategaki = Info.Tategaki;
    params.KinsokuLevel = 2;
    params.KinsokuMargin = 0;
    params.MeasureOnly = false;

    if (Info.Images && Info.ImageIndex >= 0 && Info.ImageIndex < Info.Images->Count()
        && Info.Images->Height() > 0) {
        const QSize image(Info.Images->Width(), Info.Images->Height());
        const int index = ImageToDraw(Info.ImageIndex, Info.NumImages, Info.Enabled, Info.FrameStyle);
        int gap = 0;
        QSize text(0, 0);
        if (!Info.Caption.isEmpty()) {
            gap = 2;
            TRect room = textRoomBesideImage(T, image, gap, Info.Layout);
            TTategakiTextParams measure = params;
            measure.MeasureOnly = true;
            DrawTategakiTextState(Canvas, Info.Font, Info.Caption, true, measure, room);
            text = QSize(room.Width(), room.Height());
        }
        const ImagePlacement placed = PlaceImage(T, image, text, gap, Info.Layout, params);
        Info.Images->Draw(Canvas, placed.imagePos.x(), placed.imagePos.y(), index);
        T = placed.textBox;
        params = placed.params;
    }

    // The caption has no background of its own: the face shows through.
    Canvas.setBrush(Qt::NoBrush);
    Canvas.setPen(Info.FontColor.isValid() ? Info.FontColor : cl::clWindowText);
    Canvas.setBackgroundMode(Qt::TransparentMode);
    DrawTategakiTextState(Canvas, Info.Font, Info.Caption, Info.Enabled, params, T);

    if (Info.Focused)
        drawFocusMark(Canvas, R, Elliptic);

    Canvas.restore();
}

TCustomSpeedButtonTategaki::TCustomSpeedButtonTategaki(QWidget *parent)
    : TCustomTategaki(parent)
{
    FColor = cl::clBtnFace;
    FImageChangeLink.OnChange = [this] { update(); };
    FImageChangeLink.OnListDestroyed = [this] { ImagesDestroyed(); };
    resize(25, 25);
    UpdateOpaque();
}

TCustomSpeedButtonTategaki::~TCustomSpeedButtonTategaki()
{
    if (FImages)
        FImages->UnRegisterChanges(&FImageChangeLink);
}

void TCustomSpeedButtonTategaki::setHideFrame(bool Value)
{
    SetAndRepaint(FHideFrame, Value);
}

void TCustomSpeedButtonTategaki::setCaption(const QByteArray &Value)
{
    SetAndRepaint(FCaption, Value);
}

void TCustomSpeedButtonTategaki::setElliptic(bool Value)
{
    if (Value == FElliptic)
        return;
    FElliptic = Value;
    UpdateOpaque();
    UpdateMask();
    update();
}

void TCustomSpeedButtonTategaki::setFlat(bool Value)
{
    if (Value == FLogic.Flat())
        return;
    FLogic.setFlat(Value);
    UpdateOpaque();
    update();
}

void TCustomSpeedButtonTategaki::setImageIndex(int Value)
{
    SetAndRepaint(FImageIndex, Value);
}

void TCustomSpeedButtonTategaki::setImages(TImageList *Value)
{
    // Done also for the same list: the link is registered afresh.
    if (FImages)
        FImages->UnRegisterChanges(&FImageChangeLink);
    FImages = Value;
    if (FImages)
        FImages->RegisterChanges(&FImageChangeLink);
    update();
}

void TCustomSpeedButtonTategaki::ImagesDestroyed()
{
    setImages(nullptr);
}

void TCustomSpeedButtonTategaki::setNumImages(TDrawButtonZelNumImages Value)
{
    if (Value >= 1 && Value <= 3)
        SetAndRepaint(FNumImages, Value);
}

void TCustomSpeedButtonTategaki::setLayout(TButtonLayout Value)
{
    SetAndRepaint(FLayout, Value);
}

void TCustomSpeedButtonTategaki::setMultiLine(bool Value)
{
    SetAndRepaint(FMultiLine, Value);
}

void TCustomSpeedButtonTategaki::setTategaki(bool Value)
{
    SetAndRepaint(FTategaki, Value);
}

bool TCustomSpeedButtonTategaki::IsOpaque() const
{
    return TCustomTategaki::IsOpaque() && !FElliptic;
}

void TCustomSpeedButtonTategaki::Click()
{
    if (OnClick)
        OnClick(this);
    emit clicked(this);
}

TDrawButtonZelInfo TCustomSpeedButtonTategaki::ButtonInfo() const
{
    TDrawButtonZelInfo info;
    info.Frame = !FHideFrame;
    info.Caption = FCaption;
    info.Color = Transparent() ? clNone : Color();
    info.Enabled = isEnabled();
    info.Focused = false;
    info.Font = font();
    info.ImageIndex = FImageIndex;
    info.Images = FImages;
    info.NumImages = FNumImages;
    info.Layout = FLayout;
    info.MultiLine = FMultiLine;
    info.FrameStyle = FrameStyle();
    info.Offset = info.FrameStyle == tfsLowered || info.FrameStyle == tfsFlatLowered ? QPoint(2, 2) : QPoint(0, 0);
    info.Rect = TRect::fromQRect(rect());
    info.Tategaki = FTategaki;
    info.FontColor = palette().color(foregroundRole());
    return info;
}

void TCustomSpeedButtonTategaki::DrawButton(QPainter &Canvas)
{
    TDrawButtonZelInfo info = ButtonInfo();
    if (OnDrawButton)
        OnDrawButton(this, info);
    if (!FElliptic) {
        if (FaceCache::usable(Canvas, info, false))
            FaceCache::instance().paint(Canvas, info, [&info](QPainter &p) { DrawButtonFace(p, info, false); });
        else
            DrawButtonFace(Canvas, info, false);
        return;
    }
    // The face stays inside the ellipse, in the button's own coordinates
    // whatever the painter's translation (a mixing band shifts it).
    Canvas.save();
    QPainterPath ellipse;
    ellipse.addEllipse(QRectF(rect()));
    Canvas.setClipPath(ellipse, Qt::IntersectClip);
    DrawButtonFace(Canvas, info, true);
    Canvas.restore();
}

void TCustomSpeedButtonTategaki::Paint(QPainter &Canvas)
{
    const TTategakiDrawProc proc = [](TCustomTategaki *control, QPainter &canvas) {
        static_cast<TCustomSpeedButtonTategaki *>(control)->DrawButton(canvas);
    };
    PaintMixed(Canvas, proc, MixLevel(Canvas));
}

void TCustomSpeedButtonTategaki::MouseEnter()
{
    TCustomTategaki::MouseEnter();
    FLogic.pointerEntered();
}

void TCustomSpeedButtonTategaki::MouseLeave()
{
    TCustomTategaki::MouseLeave();
    FLogic.pointerLeft();
}

void TCustomSpeedButtonTategaki::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
    FLogic.press(event->button());
}

void TCustomSpeedButtonTategaki::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press like any other.
    mousePressEvent(event);
}

void TCustomSpeedButtonTategaki::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, Qt::NoButton, event->modifiers(), p.x(), p.y());
    FLogic.move(rect().contains(p));
}

void TCustomSpeedButtonTategaki::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
    FReleasePos = event->globalPosition().toPoint();
    FLogic.release(rect().contains(p));
    FReleasePos.reset();
}

void TCustomSpeedButtonTategaki::changeEvent(QEvent *event)
{
    TCustomTategaki::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        FLogic.setEnabled(isEnabled());
        FLogic.UpdateTracking();
        update();
        break;
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
        update();
        break;
    default:
        break;
    }
}

void TCustomSpeedButtonTategaki::resizeEvent(QResizeEvent *event)
{
    TCustomTategaki::resizeEvent(event);
    UpdateMask();
}

void TCustomSpeedButtonTategaki::UpdateMask()
{
    // Outside the ellipse the pointer belongs to whatever lies behind.
    if (FElliptic)
        setMask(ellipseRegion(width(), height()));
    else
        clearMask();
}

void TCustomSpeedButtonTategaki::announceToGroup()
{
    const QWidget *parent = parentWidget();
    if (!parent || FLogic.GroupIndex() == 0)
        return;
    const int group = FLogic.GroupIndex();
    for (QObject *child : parent->children())
        if (auto *button = qobject_cast<TCustomSpeedButtonTategaki *>(child))
            button->FLogic.groupButtonPressed(group, FLogic);
}

bool TCustomSpeedButtonTategaki::pointerIsOverThis() const
{
    const QPoint global = FReleasePos ? *FReleasePos : QCursor::pos();
    if (isWindow())
        return isVisible() && (mask().isEmpty() ? rect() : mask()).contains(mapFromGlobal(global));
    const QWidget *top = window();
    return top->isVisible() && top->childAt(top->mapFromGlobal(global)) == this;
}

TSpeedButtonTategaki::TSpeedButtonTategaki(QWidget *parent)
    : TCustomSpeedButtonTategaki(parent)
{
}

} // namespace tategaki
