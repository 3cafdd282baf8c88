#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>

#include <cstdint>

#include "tategaki/engine.h"

// The rules of the vertical speed button, apart from any widget: the press
// states and their transitions, groups with exclusive latching, hot
// tracking, the elliptic hit test, the frame style, the derived shades and
// the choice and placement of the image.
namespace tategaki {

enum TTategakiButtonState : std::uint8_t { tbsUp, tbsPressed, tbsLatched };
enum TTategakiFrameStyle : std::uint8_t { tfsRaised, tfsLowered, tfsFlatRaised, tfsFlatLowered, tfsNone };
enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using TDrawButtonZelNumImages = std::uint8_t; // 1 .. 3

// What the press rules ask of the control they belong to.
class SpeedButtonHost {
public:
    virtual ~SpeedButtonHost() = default;
    virtual void Invalidate() = 0;
    virtual void DoClick() = 0;
    // Passes (GroupIndex, sender) to every button of the same parent.
    virtual void announceToGroup() = 0;
    // Is the pointer over this very control now (the toolkit's answer)?
    virtual bool pointerIsOverThis() const = 0;
    // Makes the control act as if the pointer had just entered / left it, so
    // its OnMouseEnter / OnMouseLeave run before the hot look changes.
    virtual void sendPointerEntered() = 0;
    virtual void sendPointerLeft() = 0;
};

class SpeedButtonLogic {
public:
    explicit SpeedButtonLogic(SpeedButtonHost &host) : host_(host) {}
    SpeedButtonLogic(const SpeedButtonLogic &) = delete;
    SpeedButtonLogic &operator=(const SpeedButtonLogic &) = delete;

    bool AllowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool value);
    bool Down() const { return down_; }
    void setDown(bool value);
    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int value);
    bool Flat() const { return flat_; }
    void setFlat(bool value) { flat_ = value; }
    bool Enabled() const { return enabled_; }
    // Disabling drops a press in progress (no click follows).
    void setEnabled(bool value);

    TTategakiButtonState State() const { return state_; }
    bool Dragging() const { return dragging_; }
    bool MouseInControl() const { return mouseInControl_; }

    // Pointer input; `inside` is 0 <= x < ClientWidth and 0 <= y < ClientHeight.
    void press(Qt::MouseButton button);
    void move(bool inside);
    void release(bool inside);

    // The group-button-pressed notification from another button of the
    // same parent.
    void groupButtonPressed(int groupIndex, const SpeedButtonLogic &sender);

    // Hot tracking, after the control's own enter / leave events ran.
    void pointerEntered();
    void pointerLeft();
    // Brings MouseInControl in line with the pointer (flat, enabled buttons).
    void UpdateTracking();

    TTategakiFrameStyle frameStyle(bool designing = false) const;

private:
    void setState(TTategakiButtonState state, bool repaint);

    SpeedButtonHost &host_;
    bool allowAllUp_ = false;
    bool down_ = false;
    bool dragging_ = false;
    bool flat_ = false;
    bool enabled_ = true;
    bool mouseInControl_ = false;
    int groupIndex_ = 0;
    TTategakiButtonState state_ = tbsUp;
};

// Is (x, y), in the control's own coordinates, on the ellipse inscribed in
// a width x height rectangle?
bool ellipseHit(int x, int y, int width, int height);

// The colours of the elliptic rings, derived from the face colour.
struct ButtonShades {
    QColor ShadeHighlight;
    QColor ShadeLight;
    QColor ShadeShadow;
    QColor ShadeDark;
};
// An invalid colour (the face of a transparent button) counts as white.
ButtonShades DeriveShades(const QColor &color);

// Index of the image to draw from a list whose first image for this button
// is `imageIndex`.
int ImageToDraw(int imageIndex, int numImages, bool enabled, TTategakiFrameStyle style);

// Where the image sits in the content box and what is left for the text.
struct ImagePlacement {
    QPoint imagePos;
    TRect textBox;
    TTategakiTextParams params;
};
// `box` is the content box, `image` the list's image size, `text` the
// measured caption (0 x 0 for an empty caption, `gap` then 0).
ImagePlacement PlaceImage(const TRect &box, QSize image, QSize text, int gap, TButtonLayout layout,
                          const TTategakiTextParams &params);

// The rectangle a caption is measured in when an image shares the box.
TRect textRoomBesideImage(const TRect &box, QSize image, int gap, TButtonLayout layout);

} // namespace tategaki
