#pragma once

#include <QByteArray>
#include <QColor>

#include <functional>

#include "tategaki/customtategaki.h"
#include "tategaki/engine.h"

namespace tategaki {

class TCustomLabelTategaki;
using TGetLabelTextEvent = std::function<void(TCustomLabelTategaki *Sender, QByteArray &Text)>;

// A label that writes its Shift-JIS caption in vertical columns (or
// horizontal lines) through the engine, with every engine parameter as a
// property. It can size itself to its text.
class TCustomLabelTategaki : public TCustomTategaki {
    Q_OBJECT
public:
    explicit TCustomLabelTategaki(QWidget *parent = nullptr);

    // Shift-JIS bytes. May end in the first byte of a double-byte character;
    // the complete characters before it are shown.
    QByteArray Caption() const { return FCaption; }
    void setCaption(const QByteArray &Value);

    TAlignment Alignment() const { return FAlignment; }
    void setAlignment(TAlignment Value);
    bool AutoSize() const { return FAutoSize; }
    virtual void setAutoSize(bool Value);
    int KinsokuMargin() const { return FKinsokuMargin; }
    void setKinsokuMargin(int Value); // only 0 .. 100; others are ignored
    TTextLayout Layout() const { return FLayout; }
    void setLayout(TTextLayout Value);
    int LineMargin() const { return FLineMargin; }
    void setLineMargin(int Value);
    bool MultiLine() const { return FMultiLine; }
    void setMultiLine(bool Value);
    bool Tategaki() const { return FTategaki; }
    void setTategaki(bool Value);

    // While loading, size changes by AdjustBounds are held back, so the
    // bounds a window gives the label stay.
    void setLoading(bool Value) { FLoading = Value; }
    bool Loading() const { return FLoading; }

    // The text to draw; the caption unless a descendant says otherwise.
    virtual QByteArray GetLabelText() const;
    // Fits the bounds to the caption (AutoSize only).
    void AdjustBounds();
    // The label's face: background unless Transparent, then the text,
    // embossed when disabled.
    void DrawLabel(QPainter &Canvas);
    // The engine parameters the label draws with.
    TTategakiTextParams TextParams() const;

    TGetLabelTextEvent OnGetLabelText;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    void Paint(QPainter &Canvas) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QByteArray FCaption;
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    int FKinsokuMargin = 0;
    TTextLayout FLayout = tlTop;
    int FLineMargin = 0;
    bool FMultiLine = false;
    bool FTategaki = true;
    bool FLoading = false;
    bool FPressed = false;
};

// The label as windows use it.
class TLabelTategaki : public TCustomLabelTategaki {
    Q_OBJECT
public:
    explicit TLabelTategaki(QWidget *parent = nullptr);
};

} // namespace tategaki
