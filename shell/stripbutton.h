#pragma once

#include "tategaki/speedbuttontategaki.h"

// A menu entry in the free strips beside the menu panel: a vertical speed
// button that also takes the focus and answers Space and Return, as the
// menu's push buttons do.
class StripButton : public tategaki::TSpeedButtonTategaki {
    Q_OBJECT
public:
    StripButton(QWidget *parent, const char *name, const QString &caption, const QRect &bounds);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};
