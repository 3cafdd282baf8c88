#pragma once

#include "tategaki/speedbuttontategaki.h"

// A menu entry written vertically that the keyboard reaches too: it takes
// the focus, shows it, and fires on Space or Return (once per press).
class VerticalMenuButton : public tategaki::TSpeedButtonTategaki {
    Q_OBJECT
public:
    VerticalMenuButton(QWidget *parent, const char *name, const QString &caption, const QRect &bounds);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
