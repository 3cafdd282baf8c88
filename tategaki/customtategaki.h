#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QPainter;

namespace tategaki {

using TTrnsIndex = std::uint8_t; // mix level with the background, 0 .. 7

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TMouseEvent =
    std::function<void(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;

class TCustomTategaki;
// A control's own face-drawing procedure; draws in the control's client
// coordinates on whatever painter it is given.
using TTategakiDrawProc = std::function<void(TCustomTategaki *Control, QPainter &Canvas)>;

// Common base of the vertical label and the vertical speed button: the
// drawing properties shared by both, the pointer-entered and -left events,
// and the painting wrapper both Paint operations go through.
class TCustomTategaki : public QWidget {
    Q_OBJECT
public:
    explicit TCustomTategaki(QWidget *parent = nullptr);

    TTrnsIndex TrnsIndex() const { return FTrnsIndex; }
    void setTrnsIndex(TTrnsIndex Value); // values above 7 are ignored
    bool TrnsPrint() const { return FTrnsPrint; }
    void setTrnsPrint(bool Value) { FTrnsPrint = Value; }
    bool Transparent() const { return FTransparent; }
    void setTransparent(bool Value);

    // Background colour; follows the parent's colour while ParentColor.
    QColor Color() const;
    void setColor(const QColor &Value);
    bool ParentColor() const { return FParentColor; }
    void setParentColor(bool Value);

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // True when the control covers its whole rectangle itself, so the parent
    // need not paint beneath it.
    virtual bool IsOpaque() const;

    // At level 0 the face is drawn straight onto `Canvas`; at 1 .. 7 it is
    // drawn aside and blended with what lies behind (mixbackground.h).
    void PaintMixed(QPainter &Canvas, const TTategakiDrawProc &DrawProc, int Level);

    // TrnsIndex; 0 on a printer unless TrnsPrint, since a printer cannot
    // give back the pixels a blend needs.
    int MixLevel(const QPainter &Canvas) const;

    // Paints the control on any painter, a printer's included, exactly as
    // on screen (Paint). QWidget::render() into a printer goes through an
    // off-screen image first, so only this way does the control see the
    // printer.
    void PaintTo(QPainter &Canvas) { Paint(Canvas); }
    static bool IsPrinterCanvas(const QPainter &Canvas);

protected:
    QColor FColor;
    bool FParentColor = false;

    // Stores a drawing property and repaints when it changed.
    template <typename T>
    bool SetAndRepaint(T &field, const T &value)
    {
        if (field == value)
            return false;
        field = value;
        update();
        return true;
    }

    // Brings the opaque declaration to Qt in line with IsOpaque(); call after
    // changing anything IsOpaque() reads.
    void UpdateOpaque();

    // Opens a painter on the control and runs Paint.
    void paintEvent(QPaintEvent *event) override;
    virtual void Paint(QPainter &Canvas);

    // Pointer entered / left: Qt's handling, then these; they fire
    // OnMouseEnter / OnMouseLeave. Descendants extend them (hot tracking).
    virtual void MouseEnter();
    virtual void MouseLeave();
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    TTrnsIndex FTrnsIndex = 0;
    bool FTrnsPrint = false;
    bool FTransparent = false;
};

} // namespace tategaki
