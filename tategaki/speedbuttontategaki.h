#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPoint>

#include <functional>
#include <optional>

#include "tategaki/customtategaki.h"
#include "tategaki/engine.h"
#include "tategaki/imagelist.h"
#include "tategaki/speedbuttonlogic.h"

namespace tategaki {

// The face colour of a transparent button: no background is painted.
inline const QColor clNone;

class TCustomSpeedButtonTategaki;

// Everything about to be drawn for one face. OnDrawButton gets it by
// reference and may change any field.
struct TDrawButtonZelInfo {
    bool Frame = true;
    QByteArray Caption;               // Shift-JIS bytes
    QColor Color;                     // clNone (invalid): no background
    bool Enabled = true;
    bool Focused = false;
    QFont Font;
    std::int32_t ImageIndex = 0;
    TImageList *Images = nullptr;
    TDrawButtonZelNumImages NumImages = 1;
    TButtonLayout Layout = blGlyphTop;
    bool MultiLine = false;
    QPoint Offset;                    // (2, 2) while lowered
    TRect Rect;
    TTategakiFrameStyle FrameStyle = tfsRaised;
    bool Tategaki = true;
    QColor FontColor;                 // Qt's fonts carry no colour of their own
};

using TDrawButtonZelEvent = std::function<void(TCustomSpeedButtonTategaki *Sender, TDrawButtonZelInfo &Info)>;

// Draws one face: background, frame (bevels, or rings when elliptic),
// image, caption (embossed when disabled) and focus mark. Elliptic faces
// expect the caller to have limited drawing to the ellipse.
void DrawButtonFace(QPainter &Canvas, const TDrawButtonZelInfo &Info, bool Elliptic);

// A push button without a window of its own whose Shift-JIS caption is
// written in vertical columns. Offers what a toolbar speed button offers:
// groups with exclusive latching (GroupIndex, Down, AllowAllUp), a flat look
// with hot tracking, an elliptic shape and hit region, images from an image
// list, and a hook to change the face before it is drawn.
//
// The button fires its click itself at the end of a press released inside
// (a double click is two clicks); while a button is held the pointer stays
// captured by it (Qt's implicit grab).
class TCustomSpeedButtonTategaki : public TCustomTategaki, private SpeedButtonHost {
    Q_OBJECT
public:
    explicit TCustomSpeedButtonTategaki(QWidget *parent = nullptr);
    ~TCustomSpeedButtonTategaki() override;

    bool AllowAllUp() const { return FLogic.AllowAllUp(); }
    void setAllowAllUp(bool Value) { FLogic.setAllowAllUp(Value); }
    bool HideFrame() const { return FHideFrame; }
    void setHideFrame(bool Value);
    QByteArray Caption() const { return FCaption; }
    void setCaption(const QByteArray &Value);
    bool Elliptic() const { return FElliptic; }
    void setElliptic(bool Value);
    // Enabled is QWidget's own (setEnabled / isEnabled); a disabled button
    // raises no click and shows an embossed caption.
    bool Enabled() const { return isEnabled(); }
    bool Flat() const { return FLogic.Flat(); }
    void setFlat(bool Value);
    int GroupIndex() const { return FLogic.GroupIndex(); }
    void setGroupIndex(int Value) { FLogic.setGroupIndex(Value); }
    // Only a member of a group can be down; see the press rules.
    bool Down() const { return FLogic.Down(); }
    void setDown(bool Value) { FLogic.setDown(Value); }
    int ImageIndex() const { return FImageIndex; }
    void setImageIndex(int Value);
    TImageList *Images() const { return FImages; }
    void setImages(TImageList *Value); // not owned
    TDrawButtonZelNumImages NumImages() const { return FNumImages; }
    void setNumImages(TDrawButtonZelNumImages Value); // 1 .. 3; others are ignored
    TButtonLayout Layout() const { return FLayout; }
    void setLayout(TButtonLayout Value);
    bool MultiLine() const { return FMultiLine; }
    void setMultiLine(bool Value);
    bool Tategaki() const { return FTategaki; }
    void setTategaki(bool Value);
    int Tag() const { return FTag; }
    void setTag(int Value) { FTag = Value; }

    TTategakiButtonState State() const { return FLogic.State(); }
    bool Dragging() const { return FLogic.Dragging(); }
    bool MouseInControl() const { return FLogic.MouseInControl(); }
    TTategakiFrameStyle FrameStyle() const { return FLogic.frameStyle(); }

    bool IsOpaque() const override;

    // Runs OnClick (and the clicked signal) as a release inside does.
    virtual void Click();
    // Brings the hot look of a flat button in line with the pointer.
    void UpdateTracking() { FLogic.UpdateTracking(); }

    // The record the next paint starts from (before OnDrawButton).
    TDrawButtonZelInfo ButtonInfo() const;
    // The face-drawing procedure: fills the record, runs OnDrawButton, draws.
    void DrawButton(QPainter &Canvas);

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TDrawButtonZelEvent OnDrawButton;

signals:
    // Fires with OnClick; use one or the other.
    void clicked(tategaki::TCustomSpeedButtonTategaki *Sender);

protected:
    void Paint(QPainter &Canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // SpeedButtonHost
    void Invalidate() override { update(); }
    void DoClick() override { Click(); }
    void announceToGroup() override;
    bool pointerIsOverThis() const override;
    void sendPointerEntered() override { MouseEnter(); }
    void sendPointerLeft() override { MouseLeave(); }

    void UpdateMask();
    void ImagesDestroyed();

    SpeedButtonLogic FLogic{*this};
    bool FHideFrame = false;
    QByteArray FCaption;
    bool FElliptic = false;
    int FImageIndex = 0;
    TImageList *FImages = nullptr;
    TChangeLink FImageChangeLink;
    TDrawButtonZelNumImages FNumImages = 1;
    TButtonLayout FLayout = blGlyphTop;
    bool FMultiLine = false;
    bool FTategaki = true;
    int FTag = 0;
    // Where the pointer is while a release is handled (Qt moves its
    // enter / leave bookkeeping only afterwards).
    std::optional<QPoint> FReleasePos;
};

// The button as windows use it.
class TSpeedButtonTategaki : public TCustomSpeedButtonTategaki {
    Q_OBJECT
public:
    explicit TSpeedButtonTategaki(QWidget *parent = nullptr);
};

} // namespace tategaki
