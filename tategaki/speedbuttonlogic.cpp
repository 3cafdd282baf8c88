#include "speedbuttonlogic.h"

namespace tategaki {

void SpeedButtonLogic::setState(TTategakiButtonState state, bool repaint)
{
    state_ = state;
    if (repaint)
        host_.Invalidate();
}

void SpeedButtonLogic::setAllowAllUp(bool value)
{
    if (allowAllUp_ == value)
        return;
    allowAllUp_ = value;
    if (groupIndex_ != 0)
        host_.announceToGroup();
}

void SpeedButtonLogic::setGroupIndex(int value)
{
    if (groupIndex_ == value)
        return;
    groupIndex_ = value;
    // Only a member of a group can be latched; a button leaving every group
    // would otherwise stay down for good.
    if (value == 0 && down_) {
        down_ = false;
        setState(tbsUp, true);
    }
    if (groupIndex_ != 0)
        host_.announceToGroup();
}

void SpeedButtonLogic::setDown(bool value)
{
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    if (down_ && !allowAllUp_)
        return;
    down_ = value;
    if (value) {
        const bool wasUp = state_ == tbsUp;
        setState(tbsLatched, wasUp);
        host_.announceToGroup();
    } else {
        setState(tbsUp, true);
    }
}

void SpeedButtonLogic::setEnabled(bool value)
{
    if (enabled_ == value)
        return;
    enabled_ = value;
    // A disabled control gets no more pointer input, so a press held on it
    // would never be released: drop it here, without a click.
    if (!value && dragging_) {
        dragging_ = false;
        setState(down_ ? tbsLatched : tbsUp, true);
    }
}

void SpeedButtonLogic::press(Qt::MouseButton button)
{
    if (button != Qt::LeftButton || !enabled_)
        return;
    if (!down_)
        setState(tbsPressed, true);
    dragging_ = true;
}

void SpeedButtonLogic::move(bool inside)
{
    if (!dragging_)
        return;
    const TTategakiButtonState wanted = down_ ? tbsLatched : inside ? tbsPressed : tbsUp;
    if (wanted != state_)
        setState(wanted, true);
}

void SpeedButtonLogic::release(bool inside)
{
    if (!dragging_)
        return;
    dragging_ = false;
    if (groupIndex_ == 0) {
        // Repainted also when released outside if the face is still down
        // (a release without a move before it).
        const bool changed = state_ != tbsUp;
        mouseInControl_ = false;
        setState(tbsUp, inside || changed);
    } else if (inside) {
        setDown(!down_);
        if (down_)
            host_.Invalidate();
    } else {
        // Outside the face is up again, even when no move came before the
        // release to say so.
        state_ = down_ ? tbsLatched : tbsUp;
        host_.Invalidate();
    }
    if (inside)
        host_.DoClick();
    UpdateTracking();
}

void SpeedButtonLogic::groupButtonPressed(int groupIndex, const SpeedButtonLogic &sender)
{
    if (&sender == this || groupIndex != groupIndex_)
        return;
    if (sender.down_ && down_) {
        down_ = false;
        setState(tbsUp, true);
    }
    allowAllUp_ = sender.allowAllUp_;
}

void SpeedButtonLogic::pointerEntered()
{
    if (!flat_ || !enabled_)
        return;
    if (!mouseInControl_) {
        mouseInControl_ = true;
        host_.Invalidate();
    }
}

void SpeedButtonLogic::pointerLeft()
{
    if (!flat_ || !enabled_)
        return;
    if (mouseInControl_ && !dragging_) {
        mouseInControl_ = false;
        host_.Invalidate();
    }
}

void SpeedButtonLogic::UpdateTracking()
{
    if (!flat_ || !enabled_)
        return;
    // Set to the opposite of the truth so that the notification below
    // flips it back and repaints.
    mouseInControl_ = !host_.pointerIsOverThis();
    if (mouseInControl_)
        host_.sendPointerLeft();
    else
        host_.sendPointerEntered();
}

TTategakiFrameStyle SpeedButtonLogic::frameStyle(bool designing) const
{
    const bool lowered = state_ == tbsPressed || state_ == tbsLatched;
    if (!flat_)
        return lowered ? tfsLowered : tfsRaised;
    if (lowered)
        return tfsFlatLowered;
    return mouseInControl_ || designing ? tfsFlatRaised : tfsNone;
}

bool ellipseHit(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    const double dx = double(x) / width - 0.5;
    const double dy = double(y) / height - 0.5;
    return dx * dx + dy * dy <= 0.25;
}

ButtonShades DeriveShades(const QColor &color)
{
    const QColor c = color.isValid() ? color.toRgb() : QColor(255, 255, 255);
    auto derive = [&c](auto f) { return QColor(f(c.red()), f(c.green()), f(c.blue())); };
    return {
        derive([](int ch) { return 224 + ch / 8; }),
        derive([](int ch) { return ch - ch / 4 + 63; }),
        derive([](int ch) { return ch / 2; }),
        derive([](int ch) { return ch / 8; }),
    };
}

int ImageToDraw(int imageIndex, int numImages, bool enabled, TTategakiFrameStyle style)
{
    int extra;
    // The pressed image (+2) goes with both pressed frames, tfsLowered and
    // tfsFlatLowered. Pairing it with tfsNone instead, the frame of a flat
    // button at rest, would show a flat button pressed while idle and never
    // while held down.
    if (enabled)
        extra = style == tfsLowered || style == tfsFlatLowered ? 2 : 0;
    else
        extra = numImages > 1 ? 1 : 0;
    return extra < numImages ? imageIndex + extra : imageIndex;
}

TRect textRoomBesideImage(const TRect &box, QSize image, int gap, TButtonLayout layout)
{
    TRect room = box;
    if (layout == blGlyphLeft || layout == blGlyphRight)
        room.Right -= image.width() + gap;
    else
        room.Bottom -= image.height() + gap;
    return room;
}

ImagePlacement PlaceImage(const TRect &box, QSize image, QSize text, int gap, TButtonLayout layout,
                          const TTategakiTextParams &params)
{
    const int iw = image.width(), ih = image.height();
    const int tw = text.width(), th = text.height();
    const int L = box.Left, T = box.Top, R = box.Right, B = box.Bottom;
    ImagePlacement p{{}, box, params};
    const bool vertical = params.Tategaki;
    switch (layout) {
    case blGlyphLeft:
        p.imagePos = {(L + R - iw - tw - gap) / 2, (T + B - ih) / 2};
        p.textBox.Left = (L + R + iw - tw - gap) / 2 + gap;
        if (vertical)
            p.params.Layout = tlBottom;
        else
            p.params.Alignment = taLeftJustify;
        break;
    case blGlyphRight:
        p.imagePos = {(L + R - iw + tw + gap) / 2, (T + B - ih) / 2};
        p.textBox.Right = (L + R - iw + tw + gap) / 2 - gap;
        if (vertical)
            p.params.Layout = tlTop;
        else
            p.params.Alignment = taRightJustify;
        break;
    case blGlyphTop:
        p.imagePos = {(L + R - iw) / 2, (T + B - ih - th - gap) / 2};
        p.textBox.Top = (T + B + ih - th - gap) / 2 + gap;
        if (vertical)
            p.params.Alignment = taLeftJustify;
        else
            p.params.Layout = tlTop;
        break;
    case blGlyphBottom:
        p.imagePos = {(L + R - iw) / 2, (T + B - ih + th + gap) / 2};
        p.textBox.Bottom = (T + B - ih + th + gap) / 2 - gap;
        if (vertical)
            p.params.Alignment = taRightJustify;
        else
            p.params.Layout = tlBottom;
        break;
    }
    return p;
}

} // namespace tategaki
